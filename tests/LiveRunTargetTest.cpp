// No run where none was meant, on a live server: `upgrade` on one of the
// server's own databases, named or landed in for want of a name, is
// refused before anything is sent (and with ORVEL_ODBC too), while `exec`
// still reaches them; ORVEL_ODBC with a choice it cannot serve is a usage
// error; a run names server, database, product and version before its first
// statement, on standard error and in its record.
#include <map>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "LiveCliRuns.h"
#include "LiveServer.h"
#include "TestSupport.h"
#include "database/ConnectionText.h"
#include "upgrade/RunRecords.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using test::RunCli;

TEST(LiveRunTarget, ASystemDatabaseIsRefusedBeforeAnythingIsSent) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    const std::string server = *test::LiveServerConnection();
    const struct {
        const char* what;
        std::string odbc;  // "" for ORVEL_ODBC holding the server's string alone
        const char* database;
        const char* says;
    } cases[] = {
        {"no database named", server, "master", "names no database, so it landed in the login's default database"},
        {"no database named, from ORVEL_ODBC", "", "master", "landed in the login's default database"},
        {"master named", server + ";Database=master", "master", "names the database \"master\""},
        {"tempdb named", server + ";Database=tempdb", "tempdb", "names the database \"tempdb\""},
        {"msdb named", server + ";Database=msdb", "msdb", "names the database \"msdb\""},
    };
    std::map<std::string, CatalogueSnapshot> before;  // each database's catalogue, read once
    for (const auto& c : cases) {
        const std::string there = server + ";Database=" + c.database;
        if (!before.contains(c.database)) before[c.database] = test::ReadLiveCatalogue(there);
        test::TempDir dir;
        const auto log = dir.path() / "run.jsonl";
        test::ScopedEnvironment variable("ORVEL_ODBC", c.odbc.empty() ? std::optional(server) : std::nullopt);
        Strings arguments{"upgrade", "--product", "Pelsa", "--log", log.string()};
        if (!c.odbc.empty()) arguments.insert(arguments.end(), {"--odbc", c.odbc});
        const auto refused = RunCli(arguments);
        EXPECT_EQ(refused.exitCode, 1) << c.what << "\n" << refused.err;
        EXPECT_NE(refused.err.find(c.says), std::string::npos) << c.what << "\n" << refused.err;
        EXPECT_NE(refused.err.find("nothing was sent. Name the product's database in the connection"),
                  std::string::npos)
            << c.what << "\n" << refused.err;
        EXPECT_EQ(refused.err.find("This run changes"), std::string::npos) << c.what << "\n" << refused.err;
        EXPECT_EQ(test::LoggedStatements(log), "") << c.what;
        EXPECT_EQ(test::ReadLiveCatalogue(there), before[c.database]) << c.what << ": the database changed";
    }
    // The query window (and `exec`) is no run: it reaches them as before.
    const auto exec = RunCli(Strings{"exec", "--odbc", server, "--sql", "select 1"});
    EXPECT_EQ(exec.exitCode, 0) << exec.err;
}

TEST(LiveRunTarget, OrvelOdbcWithAChoiceItCannotServeIsAUsageError) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_target_kind_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = test::ReadLiveCatalogue(odbc);
    test::TempDir dir;
    test::ScopedEnvironment variable("ORVEL_ODBC", odbc);
    const Strings refusedChoices[] = {
        {"--kind", "access"},
        {"--kind", "oracle"},
        {"--kind", "access", "--access-file", (dir.path() / "office.mdb").string()},
    };
    for (const auto& choice : refusedChoices) {
        Strings arguments{"upgrade", "--product", "Pelsa"};
        arguments.insert(arguments.end(), choice.begin(), choice.end());
        const auto refused = RunCli(arguments);
        EXPECT_EQ(refused.exitCode, 2) << choice.back() << "\n" << refused.err;
        EXPECT_NE(refused.err.find("ORVEL_ODBC"), std::string::npos) << refused.err;
        EXPECT_EQ(test::ReadLiveCatalogue(odbc), newDatabase) << choice.back();
    }
}

TEST(LiveRunTarget, ARunNamesServerDatabaseProductAndVersionBeforeItsFirstStatement) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_target_named_");
    test::TempDir dir, state;
    test::ScopedEnvironment records("XDG_STATE_HOME", state.path().string());
    const auto run = RunCli(Strings{"upgrade", "--product", "Zorbex", "--odbc", scratch.connectionString()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string first = run.err.substr(0, run.err.find('\n'));
    const std::string server = DescribeConnectionText(*test::LiveServerConnection()).server.value_or("");
    EXPECT_TRUE(first.starts_with("This run changes the database \"" + scratch.name() + "\" on the server \"" +
                                  server + "\" for the product Zorbex (touch-screen accounting); the server is SQL Server "))
        << first;

    const RunRecords kept(state.path() / "orvel-updater", "");
    const auto lines = test::ReadLines(kept.fileOf(kept.list().front().id).value());
    ASSERT_GE(lines.size(), 3u);
    const auto target = nlohmann::json::parse(lines[2])["target"];
    EXPECT_EQ(target["database"], scratch.name()) << lines[2];
    EXPECT_EQ(target["server"], server) << lines[2];
    EXPECT_EQ(target["dbms"], "Microsoft SQL Server") << lines[2];
    EXPECT_TRUE(target["sqlServer"].is_string()) << lines[2];
}

}  // namespace
}  // namespace orvel
