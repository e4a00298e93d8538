// The catalogue snapshot of a database, read through its catalogue lists.
#include "schema/CatalogueReader.h"

#include "schema/SchemaOperations.h"

namespace orvel {

std::vector<ListedObject> ReadOnlyCatalogue::objects() {
    auto objects = db_.listedObjects();
    if (!objects)
        throw DatabaseError("CatalogueError", "This database cannot tell its tables from its views");
    return std::move(*objects);
}

CatalogueSnapshot ReadCatalogueSnapshot(ReadOnlyCatalogue catalogue, const SnapshotProgress& progress) {
    std::vector<ListedObject> entries;
    std::vector<std::string> names;
    for (auto& object : catalogue.objects()) {
        if (!ContainsNameIgnoreCase(object.name, names)) {
            names.push_back(object.name);
            entries.push_back(std::move(object));
            continue;
        }
        if (object.kind != ObjectKind::Table) continue;
        for (auto& entry : entries)
            if (ContainsNameIgnoreCase(object.name, {entry.name})) entry.kind = ObjectKind::Table;
    }
    CatalogueSnapshot snapshot;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (progress) progress(i + 1, entries.size(), entries[i].name);
        auto& group = entries[i].kind == ObjectKind::View ? snapshot.views : snapshot.tables;
        group.push_back({entries[i].name, catalogue.columnNames(entries[i].name)});
    }
    return snapshot;
}

}  // namespace orvel
