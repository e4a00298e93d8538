// The live server the live suites run against, and what a test needs there.
//
// ORVEL_TEST_ODBC names the server: the ODBC string of a login that may
// create databases (./test sets it to the T-SQL engine it starts).  Each live
// test works in a ScratchDatabase of its own, made under a unique name and
// dropped when the test ends, passed or failed.  ServerSession is the tests'
// own connection, apart from the program's adapter that the tests check:
// it reads result rows and the server's informational messages (PRINT)
// through narrow ODBC calls of its own.  Catalogues read from the server are
// compared as the server compares names.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "schema/CatalogueSnapshot.h"

namespace orvel::test {

// ORVEL_TEST_ODBC (an ODBC string that signs in to a server, no database needed); nullopt when unset.
std::optional<std::string> LiveServerConnection();

// Why a live test did not run, for its skip message.
extern const char* const kNoLiveServer;

// Ends the calling test (or SetUpTestSuite) as skipped when no live server is named.
#define ORVEL_SKIP_WITHOUT_LIVE_SERVER() \
    if (!::orvel::test::LiveServerConnection()) GTEST_SKIP() << ::orvel::test::kNoLiveServer

// A database created for one test on the live server and dropped when this object goes.
class ScratchDatabase {
public:
    explicit ScratchDatabase(std::string_view prefix);   // creates <prefix><unique suffix>
    // ... with this collation (the server's default when empty).
    ScratchDatabase(std::string_view prefix, std::string_view collation);
    ~ScratchDatabase();                                   // drops it (ends its sessions first if needed)
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const std::string& name() const { return name_; }
    std::string connectionString() const;                 // ORVEL_TEST_ODBC + ";Database=" + name

    // The ids of the sessions connected to this database, other than the asker's.
    std::vector<std::string> sessions() const;
    // Ends every session connected to this database, as a server operator would.
    void endSessions() const;
    // Ends the session `id` (as sessions() lists it).
    void endSession(const std::string& id) const;

private:
    std::string server_;
    std::string name_;
};

using Row = std::vector<std::optional<std::string>>;  // a NULL is nullopt

struct ServerAnswer {
    std::vector<Row> rows;              // the rows of every result set, in order
    std::vector<std::string> messages;  // informational messages (PRINT), in order
};

// A connection of the test's own.  Text goes through the narrow ODBC calls
// as UTF-8 (the drivers take the process's UTF-8 locale, FreeTDS its
// ClientCharset), values come back as text.  A failure throws DatabaseError
// with the driver's messages.
class ServerSession {
public:
    explicit ServerSession(const std::string& odbc);
    ~ServerSession();
    ServerSession(ServerSession&&) noexcept;
    ServerSession& operator=(ServerSession&&) noexcept;

    ServerAnswer run(const std::string& sql);
    std::vector<Row> rows(const std::string& sql) { return run(sql).rows; }
    // The first column of the only row; throws unless exactly one row came back.
    std::optional<std::string> value(const std::string& sql);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

// The catalogue as a case-insensitive server compares it: every name with the
// letters A to Z folded to lower case, tables and views in name order.  (The
// engine lists table names lower-cased; SQL Server as they were created.)
CatalogueSnapshot AsServerCompares(CatalogueSnapshot catalogue);

// The catalogue without the objects the server put in the database when it
// was created, as the catalogue of the new database lists them (the engine
// lists a view dbo.sysdatabases in every database; SQL Server lists none).
CatalogueSnapshot WithoutServerObjects(CatalogueSnapshot catalogue, const CatalogueSnapshot& newDatabase);

// True when the live server is the T-SQL engine ./test starts (its @@VERSION
// names it).  Tests adapt the few cases where it differs from SQL Server.
bool LiveServerIsTsqlEngine();

}  // namespace orvel::test
