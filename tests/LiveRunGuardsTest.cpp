// The guards of `upgrade` against a run that stops half-way, on a live
// server: --whole-steps leaves the table of a step that fails, by a refused
// statement or a lost session, exactly as before the step, and sends the
// same statements as a run without it; --safety-copy on a server that makes
// no backups stops the run before anything is sent.
#include <signal.h>

#include <algorithm>
#include <regex>

#include <gtest/gtest.h>

#include "CliRunner.h"
#include "LiveCliRuns.h"
#include "LiveServer.h"
#include "database/NameMatching.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using test::RunCli;

// Everything a step may change in one table: its columns with their types
// and nullability, its keys, and its rows.
std::vector<test::Row> tableFingerprint(test::ServerSession& session, const std::string& table) {
    auto rows = session.rows(
        "select c.name, type_name(c.user_type_id), c.max_length, c.is_nullable from sys.columns c "
        "where c.object_id = object_id('" + table + "') order by c.column_id");
    const auto keys = session.rows(
        "select tc.CONSTRAINT_TYPE, k.COLUMN_NAME from INFORMATION_SCHEMA.TABLE_CONSTRAINTS tc "
        "join INFORMATION_SCHEMA.KEY_COLUMN_USAGE k on k.CONSTRAINT_NAME = tc.CONSTRAINT_NAME "
        "where lower(tc.TABLE_NAME) = lower('" + table + "') order by 1, 2");
    const auto data = session.rows("select * from " + table + " order by 1");
    rows.insert(rows.end(), keys.begin(), keys.end());
    rows.insert(rows.end(), data.begin(), data.end());
    return rows;
}

// The restaurant product's settings table as an older version left it: a
// key, some of the step's columns, flags kept as text, and a row whose
// TO_P3 is no number, so the step's last statement (TO_P3 to integer) is
// refused after it has added columns and changed the other flags.
void createOlderSettings(test::ServerSession& session) {
    session.run("create table Setting (shr int NOT NULL PRIMARY KEY, ON1 nvarchar(50), Auto_back nvarchar(10), "
                "TO_P3 nvarchar(50))");
    session.run("insert into Setting (shr, ON1, Auto_back, TO_P3) values (1, N'office', N'1', N'not a number')");
}

TEST(LiveWholeSteps, AStepRefusedAtItsLastStatementLeavesItsTableAsBeforeItOnlyWithTheOption) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::TempDir dir;
    const struct {
        const char* what;
        bool wholeSteps;
    } cases[] = {{"with --whole-steps", true}, {"without", false}};
    std::vector<std::string> logs;
    for (const auto& c : cases) {
        test::ScratchDatabase scratch("orvel_live_whole_refused_");
        const std::string odbc = scratch.connectionString();
        test::ServerSession session(odbc);
        createOlderSettings(session);
        const auto before = tableFingerprint(session, "Setting");
        const auto log = dir.path() / (std::string(c.wholeSteps ? "whole" : "plain") + ".jsonl");
        Strings arguments{"upgrade", "--product", "Mornale", "--odbc", odbc, "--log", log.string()};
        if (c.wholeSteps) arguments.push_back("--whole-steps");

        const auto refused = RunCli(arguments);
        EXPECT_EQ(refused.exitCode, 1) << c.what << "\n" << refused.err;
        const std::string sent = test::LoggedStatements(log);
        const std::string last = sent.substr(sent.rfind('\n', sent.size() - 2) + 1);
        EXPECT_NE(last.find("\"alter table Setting alter column TO_P3  integer\",\"error\""), std::string::npos)
            << c.what << ": the run stopped elsewhere: " << last;
        logs.push_back(test::WithoutDurations(sent));

        const auto after = tableFingerprint(session, "Setting");
        if (c.wholeSteps) {
            EXPECT_EQ(after, before) << c.what;
            EXPECT_NE(refused.err.find("The step \"Setting_R\" was rolled back"), std::string::npos) << refused.err;
            // With its data mended, the next run completes as usual.
            session.run("update Setting set TO_P3 = N'3'");
            const auto rerun = RunCli(arguments);
            EXPECT_EQ(rerun.exitCode, 0) << rerun.err;
        } else {
            EXPECT_EQ(refused.err.find("was rolled back"), std::string::npos) << refused.err;
            EXPECT_NE(after, before) << c.what << ": the step's earlier statements stay applied";
        }
    }
    // The transactions are no statements of the run: both runs sent the same.
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0], logs[1]);
    EXPECT_EQ(logs[0].find("TRANSACTION"), std::string::npos);
}

// The session of a run with --whole-steps is ended in the middle of its
// second step, as LiveDroppedConnection ends one without the option: the
// step's table is left as before the step (here: not there at all), every
// earlier step's table complete.
TEST(LiveWholeSteps, ASessionEndedInTheMiddleOfAStepLeavesItsTableAsBeforeTheStep) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_whole_dropped_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = test::ReadLiveCatalogue(odbc);
    test::TempDir dir;
    const auto log = dir.path() / "interrupted.jsonl";
    const CatalogueSnapshot predicted = test::PredictedCatalogue("Pelsa", dir);

    // The office-automation run's second step sends its 26th to 92nd
    // statements; the run is held once 40 are answered.
    constexpr int kStatementsBeforeTheEnd = 40;
    const auto held = test::StartUntilLogged(
        Strings{"upgrade", "--product", "Pelsa", "--odbc", odbc, "--whole-steps", "--log", log.string()}, log,
        kStatementsBeforeTheEnd);
    test::CliProcess& run = *held;
    ASSERT_TRUE(run.running()) << "the run ended before its session could be: " << run.wait().err;
    ASSERT_EQ(kill(run.pid(), SIGSTOP), 0);
    scratch.endSessions();
    ASSERT_EQ(kill(run.pid(), SIGCONT), 0);
    const auto interrupted = run.wait();
    EXPECT_EQ(interrupted.exitCode, 1) << interrupted.err;

    // The steps the log shows before the one under way were committed.
    Strings stepsDone;
    const std::regex stepOfLine(R"RE(^\{"step":"([^"]+)")RE");
    for (const auto& line : test::ReadLines(log)) {
        std::smatch step;
        if (!std::regex_search(line, step, stepOfLine)) continue;
        if (stepsDone.empty() || stepsDone.back() != step[1]) stepsDone.push_back(step[1]);
    }
    ASSERT_GE(stepsDone.size(), 2u);
    const std::string stepUnderWay = stepsDone.back();
    stepsDone.pop_back();
    CatalogueSnapshot expected = predicted;
    std::erase_if(expected.tables, [&](const CatalogueObject& table) {
        return std::none_of(stepsDone.begin(), stepsDone.end(),
                            [&](const std::string& step) { return EqualIgnoringAsciiCase(step, table.name); });
    });
    EXPECT_EQ(test::MadeByTheRuns(odbc, newDatabase).ToJson(), expected.ToJson()) << "the session ended in step " << stepUnderWay;

    // Run again, it completes to what an uninterrupted run leaves.
    const auto next = RunCli(Strings{"upgrade", "--product", "Pelsa", "--odbc", odbc, "--whole-steps"});
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(test::MadeByTheRuns(odbc, newDatabase).ToJson(), predicted.ToJson());
}

// SQL Server's backup cannot run here: the engine has no backups, so it
// answers for a server that cannot make the copy (no right, no space).
TEST(LiveSafetyCopy, AServerThatCannotMakeTheCopyStopsTheRunBeforeAnythingIsSent) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_safety_copy_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = test::ReadLiveCatalogue(odbc);
    test::TempDir dir;
    const auto log = dir.path() / "run.jsonl";
    const struct {
        const char* what;
        Strings folder;
        std::string reason;  // on the engine
    } cases[] = {
        {"into a folder given", {"C:\\Backups"}, "'BACKUP' is not currently supported"},
        {"into the server's default folder", {}, "default backup folder"},
    };
    for (const auto& c : cases) {
        Strings arguments{"upgrade", "--product", "Pelsa", "--odbc", odbc, "--log", log.string(), "--safety-copy"};
        arguments.insert(arguments.end(), c.folder.begin(), c.folder.end());
        const auto stopped = RunCli(arguments);
        EXPECT_EQ(stopped.exitCode, 1) << c.what << "\n" << stopped.err;
        EXPECT_NE(stopped.err.find("The safety copy of"), std::string::npos) << c.what << "\n" << stopped.err;
        EXPECT_NE(stopped.err.find("Nothing was sent"), std::string::npos) << c.what << "\n" << stopped.err;
        if (test::LiveServerIsTsqlEngine()) {
            EXPECT_NE(stopped.err.find(c.reason), std::string::npos) << c.what << "\n" << stopped.err;
        }
        EXPECT_EQ(test::LoggedStatements(log), "") << c.what;
        EXPECT_EQ(test::ReadLiveCatalogue(odbc), newDatabase) << c.what;
    }
}

}  // namespace
}  // namespace orvel
