// What a run is about to change, said before it changes anything, and the
// connections no run may change.
//
// Before its first statement a run names the server, the database (as the
// connection reports it, so a connection text without one names the
// database it landed in), the product and the server's version; the
// command line prints it, every record keeps it.  A connection that leads
// to one of the server's own databases (master, model, msdb, tempdb) is
// refused before anything is sent: where no database was named that is
// what the login's default database usually is, and a run there would
// create a product's tables beside the server's own.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "database/Database.h"

namespace orvel {

struct RunTarget {
    std::string product;                  // the product's id
    std::optional<std::string> server;    // as the connection text names it; none: the local default instance
    std::optional<std::string> database;  // as the connection reports it, else as its text names it
    std::optional<std::string> file;      // an Access file
    std::optional<ServerIdentity> identity;  // what the database says it is
};

// The target of a run of `productId` on `opened`, opened with `connectionText`.
RunTarget DescribeRunTarget(const Database& opened, const std::string& productId, const std::string& connectionText);

// "SQL Server 2014" for a SQL Server version "12.00.2000"; empty for a
// version that names no release this program knows.
std::string SqlServerRelease(std::string_view version);

// One sentence for the user, as standard error shows it before the run:
// This run changes the database "Velora" on the server "PC\SQL" for the
// product Velora (insurance office); the server is SQL Server 2014 (12.00.2000).
std::string RunTargetSentence(const RunTarget& target);

// {"target": {"product", "server", "database", "file" (Access only),
// "dbms", "dbmsVersion", "sqlServer"}}: the line of a record or a `--log`
// file that names what the run changes.
nlohmann::ordered_json RunTargetJson(const RunTarget& target);

// master, model, msdb or tempdb, in any letter case.
bool IsSystemDatabase(std::string_view name);

// The connection leads to a system database; nothing was sent.
class SystemDatabaseRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws SystemDatabaseRefused, with the advice to name the product's
// database, when `opened` reports that it is in a system database.
void RefuseSystemDatabase(const Database& opened, const std::string& connectionText);

}  // namespace orvel
