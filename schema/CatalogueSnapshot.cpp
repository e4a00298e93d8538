// JSON reading and writing of catalogue snapshots.
#include "schema/CatalogueSnapshot.h"

#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "database/Utf8Path.h"

namespace orvel {

namespace {

using Json = nlohmann::ordered_json;

std::vector<CatalogueObject> objectsFrom(const Json& json, const char* key) {
    std::vector<CatalogueObject> objects;
    if (!json.contains(key)) return objects;
    const Json& group = json.at(key);
    if (!group.is_object())
        throw SnapshotError(std::string("\"") + key + "\" must be an object of names to column lists");
    for (const auto& [name, columns] : group.items()) {
        if (!columns.is_array())
            throw SnapshotError(std::string("the columns of \"") + name + "\" must be a list of names");
        CatalogueObject object{name, {}};
        for (const auto& column : columns) {
            if (!column.is_string())
                throw SnapshotError(std::string("a column of \"") + name + "\" is not a text");
            object.columns.push_back(column.get<std::string>());
        }
        objects.push_back(std::move(object));
    }
    return objects;
}

Json objectsTo(const std::vector<CatalogueObject>& objects) {
    Json group = Json::object();
    for (const auto& object : objects) group[object.name] = object.columns;
    return group;
}

}  // namespace

CatalogueSnapshot CatalogueSnapshot::FromJson(std::string_view text) {
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::exception& e) {
        throw SnapshotError(std::string("not valid JSON: ") + e.what());
    }
    if (!json.is_object()) throw SnapshotError("the snapshot must be a JSON object with \"tables\" and \"views\"");
    for (const auto& [key, value] : json.items())
        if (key != "tables" && key != "views") throw SnapshotError("unknown key \"" + key + "\"");
    return {objectsFrom(json, "tables"), objectsFrom(json, "views")};
}

CatalogueSnapshot CatalogueSnapshot::Load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw SnapshotError("cannot read the catalogue file \"" + Utf8FromPath(file) + "\"");
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        return FromJson(text);
    } catch (const SnapshotError& e) {
        throw SnapshotError("catalogue file \"" + Utf8FromPath(file) + "\": " + e.what());
    }
}

std::string CatalogueSnapshot::ToJson() const {
    Json json = Json::object();
    json["tables"] = objectsTo(tables);
    json["views"] = objectsTo(views);
    return json.dump(2) + "\n";
}

void CatalogueSnapshot::Save(const std::filesystem::path& file) const {
    std::ofstream out(file, std::ios::binary);
    out << ToJson();
    if (!out) throw SnapshotError("cannot write the catalogue file \"" + Utf8FromPath(file) + "\"");
}

}  // namespace orvel
