// Reading what a database holds into a catalogue snapshot, changing nothing.
//
// The reader is handed a ReadOnlyCatalogue: the whole-catalogue reading of a
// database, nothing that sends a statement.  It reads once (the table list
// and every column, in one or two calls on most drivers).  Names that differ
// only in the case of A-Z (the same table in two schemas, or a table beside
// a view of that name) become one entry holding every column the database
// lists under that name: a snapshot cannot hold a name twice, and one entry
// answers the schema operations' questions exactly as the database does.
// Such an entry is a table when any of the objects is one.
#pragma once

#include "schema/CatalogueSnapshot.h"
#include "database/Database.h"

namespace orvel {

class ReadOnlyCatalogue {
public:
    explicit ReadOnlyCatalogue(Database& db) : db_(db) {}

    CatalogueListing read() { return db_.readCatalogue(); }

private:
    Database& db_;
};

CatalogueSnapshot SnapshotOf(const CatalogueListing& listing);

inline CatalogueSnapshot ReadCatalogueSnapshot(ReadOnlyCatalogue catalogue) { return SnapshotOf(catalogue.read()); }

}  // namespace orvel
