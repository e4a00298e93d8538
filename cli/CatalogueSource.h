// Where `snapshot`, `plan` and `drift` take a database's catalogue from: the
// live database the connection options name, or a snapshot file.
//
// The live catalogue is read through the ODBC adapter with a progress line
// on standard error.  The connection is handed only to the catalogue reader,
// which has no way to send a statement, and is closed before the snapshot is
// returned.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/ConnectionOptions.h"
#include "schema/CatalogueSnapshot.h"

namespace orvel {

// Nothing when the attempt was aborted (the reason is on standard error).
// A connection that cannot be opened, or a catalogue that cannot be read,
// raises an error that says which of the two failed.
std::optional<CatalogueSnapshot> ReadLiveCatalogue(const ConnectionOptions& o);

struct CatalogueSourceOptions {
    ConnectionOptions connection;
    std::string catalogFile;
    bool live = false;
    std::vector<CLI::Option*> connectionOnly;

    // --live, --odbc or any option that says where the database is.
    bool isLive() const;
};

// The connection options, --catalog FILE and --live (which excludes it).
void addCatalogueSourceOptions(CLI::App& command, CatalogueSourceOptions& o);

// The live catalogue, the file's, or an empty one when neither was asked
// for; nothing when the attempt was aborted.  An unreadable file is a
// usage error.
std::optional<CatalogueSnapshot> LoadCatalogue(const CatalogueSourceOptions& o);

}  // namespace orvel
