// Where `snapshot`, `plan` and `drift` take a database's catalogue from: the
// live database the connection options name, or a snapshot file.
//
// The live catalogue is read through the ODBC adapter with a progress line
// on standard error.  The connection is handed only to the catalogue reader,
// which has no way to send a statement, and is closed before the snapshot is
// returned.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/ConnectionOptions.h"
#include "schema/CatalogueSnapshot.h"

namespace orvel {

// The catalogue of the database the options name; `alsoRead`, when given,
// reads more on the same connection before it closes.  `activity` says
// whether the connection or a reading failed, and where.
CatalogueSnapshot ReadLiveCatalogue(const ConnectionOptions& o, Activity& activity,
                                    const std::function<void(Database& db)>& alsoRead = {});

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
// for.  An unreadable file is a usage error.  `alsoRead` as in
// ReadLiveCatalogue, for a live database only.
CatalogueSnapshot LoadCatalogue(const CatalogueSourceOptions& o, Activity& activity,
                                const std::function<void(Database& db)>& alsoRead = {});

}  // namespace orvel
