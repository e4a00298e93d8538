// What a database holds, as far as the schema operations can see: tables
// and views with their ordered columns.  Read and written as JSON:
//
//   {"tables": {"Name": ["col", ...], ...}, "views": {"Name": ["col", ...]}}
//
// Object order is kept, because the table list is returned in that order.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

class SnapshotError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CatalogueObject {
    std::string name;
    std::vector<std::string> columns;

    bool operator==(const CatalogueObject&) const = default;
};

struct CatalogueSnapshot {
    std::vector<CatalogueObject> tables;
    std::vector<CatalogueObject> views;

    bool operator==(const CatalogueSnapshot&) const = default;

    // Throws SnapshotError naming what is wrong with the text.
    static CatalogueSnapshot FromJson(std::string_view json);
    static CatalogueSnapshot Load(const std::filesystem::path& file);
    std::string ToJson() const;  // indented, ends with a line break
    void Save(const std::filesystem::path& file) const;
};

}  // namespace orvel
