// What a database lacks against a product's table steps: the tables they
// would create and the columns they would add.
//
// The tables and columns come from the table steps of the product's step
// list themselves (the table, the first column and the add entries), tested
// against the catalogue with the name tests the schema operations use, so a
// table or column counts as present exactly when a run would find it.
// Object steps and further statements do not take part: they are sent on
// every run whatever the database holds.  A step list naming a step this
// program lacks is refused rather than judged on the steps it has.
#pragma once

#include <string>
#include <vector>

#include "schema/CatalogueSnapshot.h"

namespace orvel {

struct MissingTable {
    std::string table;
    std::string step;                  // the first step that names it
    std::vector<std::string> columns;  // as the database would list them
};

struct MissingColumn {
    std::string table;
    std::string column;  // as the database would list it
    std::string type;    // the catalogue's type text
    std::string step;
};

struct Drift {
    std::string product;
    std::vector<MissingTable> tables;
    std::vector<MissingColumn> columns;

    bool nothingMissing() const { return tables.empty() && columns.empty(); }
};

Drift FindDrift(const std::string& productId, const CatalogueSnapshot& catalogue);

// For people: one line per missing table or column, under a heading line.
std::string FormatDriftTable(const Drift& drift);
// For tools: {"product", "missingTables": [...], "missingColumns": [...]}.
std::string FormatDriftJson(const Drift& drift);

}  // namespace orvel
