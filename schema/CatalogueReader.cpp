// The catalogue snapshot of a database, made from one reading of it.
#include "schema/CatalogueReader.h"

#include <algorithm>

#include "database/NameMatching.h"

namespace orvel {

CatalogueSnapshot SnapshotOf(const CatalogueListing& listing) {
    // Each name once, in list order; a table when any object of it is one.
    std::vector<ListedObject> entries;
    for (const auto& object : listing.objects) {
        auto entry = std::find_if(entries.begin(), entries.end(),
                                  [&](const ListedObject& e) { return EqualIgnoringAsciiCase(e.name, object.name); });
        if (entry == entries.end())
            entries.push_back(object);
        else if (object.kind == ObjectKind::Table)
            entry->kind = ObjectKind::Table;
    }
    CatalogueSnapshot snapshot;
    for (const auto& entry : entries) {
        auto& group = entry.kind == ObjectKind::View ? snapshot.views : snapshot.tables;
        CatalogueObject object{entry.name, {}};
        for (const auto& named : listing.columns)
            if (EqualIgnoringAsciiCase(named.name, entry.name)) object.columns = named.columns;
        group.push_back(std::move(object));
    }
    return snapshot;
}

}  // namespace orvel
