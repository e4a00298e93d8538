// Reading what a database holds into a catalogue snapshot, changing nothing.
//
// The reader is handed a ReadOnlyCatalogue: the table list with kinds and
// the column lists, nothing that sends a statement.  It asks for the table
// list once and for each name's columns once.  Names that differ only in the
// case of A-Z (the same table in two schemas, or a table beside a view of
// that name) become one entry holding every column the database lists under
// that name: a snapshot cannot hold a name twice, and one entry answers the
// schema operations' questions exactly as the database does.  Such an entry
// is a table when any of the objects is one.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "schema/CatalogueSnapshot.h"
#include "schema/Database.h"

namespace orvel {

class ReadOnlyCatalogue {
public:
    explicit ReadOnlyCatalogue(Database& db) : db_(db) {}

    // Throws DatabaseError when the database cannot tell tables from views.
    std::vector<ListedObject> objects();
    std::vector<std::string> columnNames(const std::string& table) { return db_.columnNames(table); }

private:
    Database& db_;
};

// Called before the columns of each entry are read: its position (from 1),
// the number of entries and its name.
using SnapshotProgress = std::function<void(std::size_t position, std::size_t entries, const std::string& name)>;

CatalogueSnapshot ReadCatalogueSnapshot(ReadOnlyCatalogue catalogue, const SnapshotProgress& progress = {});

}  // namespace orvel
