// Real upgrades by orvel-updater-cli on a live server, each product in an
// empty scratch database: two runs in a row, held against what `plan`
// predicts on the simulator; a run whose server session is ended in the
// middle, then repeated; and two runs of one database at once, and a run
// killed in the middle, against the run lock.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "CliRunner.h"
#include "LiveCliRuns.h"
#include "LiveServer.h"
#include "database/NameMatching.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using test::RunCli;

test::CliResult upgrade(const std::string& product, const std::string& odbc, const std::filesystem::path& log) {
    return RunCli(Strings{"upgrade", "--product", product, "--odbc", odbc, "--log", log.string()});
}

class LiveUpgrade : public testing::TestWithParam<const char*> {};

TEST_P(LiveUpgrade, TwoRunsOnAnEmptyDatabaseSendWhatPlanPredictsAndEndAsPredicted) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    const std::string product = GetParam();
    test::ScratchDatabase scratch("orvel_live_" + FoldAsciiCase(product) + "_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = test::ReadLiveCatalogue(odbc);
    test::TempDir dir;

    // The first run sends exactly the statements `plan` lists for an empty
    // database: the simulator's answers were the server's.
    const auto first = upgrade(product, odbc, dir.path() / "first.jsonl");
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(test::WithoutDurations(test::LoggedStatements(dir.path() / "first.jsonl")), RunCli(Strings{"plan", "--product", product}).out);

    // The second run sends exactly what `plan` predicts from the catalogue the
    // first one left: on an up-to-date database, the statements sent on every
    // run and nothing else.
    const auto predictedSecond = RunCli(Strings{"plan", "--product", product, "--odbc", odbc});
    ASSERT_EQ(predictedSecond.exitCode, 0) << predictedSecond.err;
    const auto second = upgrade(product, odbc, dir.path() / "second.jsonl");
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(test::WithoutDurations(test::LoggedStatements(dir.path() / "second.jsonl")), predictedSecond.out);

    EXPECT_EQ(test::MadeByTheRuns(odbc, newDatabase).ToJson(), test::PredictedCatalogue(product, dir).ToJson());
}

INSTANTIATE_TEST_SUITE_P(Products, LiveUpgrade, testing::Values("Pelsa", "Mornale", "Zorbex", "Kestin", "Tamrix2"),
                         [](const auto& info) { return std::string(info.param); });


// The office-automation run (181 statements, no reconnect point) started on
// `odbc` and left running until its log shows `statements` answered.
std::unique_ptr<test::CliProcess> runUntil(const std::string& odbc, const std::filesystem::path& log, int statements) {
    return test::StartUntilLogged(Strings{"upgrade", "--product", "Pelsa", "--odbc", odbc, "--log", log.string()}, log,
                                  statements);
}

TEST(LiveDroppedConnection, EndsTheRunWithTheDriversMessageAndTheNextRunCompletesIt) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_dropped_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = test::ReadLiveCatalogue(odbc);
    test::TempDir dir;
    const auto log = dir.path() / "interrupted.jsonl";

    // The office-automation run has no reconnect point, so the session ended
    // here is not replaced before the run's next call.  The run is held
    // (SIGSTOP) once its log shows the 40th of its 181 statements answered,
    // its session is ended from a second connection, then it goes on.
    constexpr int kStatementsBeforeTheEnd = 40, kStatementsOfAWholeRun = 181;
    auto held = runUntil(odbc, log, kStatementsBeforeTheEnd);
    test::CliProcess& run = *held;
    ASSERT_TRUE(run.running()) << "the run ended before its session could be: " << run.wait().err;
    ASSERT_GE(test::StatementCount(log), kStatementsBeforeTheEnd) << "the run sent too little within five minutes";
    ASSERT_EQ(kill(run.pid(), SIGSTOP), 0);
    EXPECT_EQ(scratch.sessions().size(), 2u) << "the run's session and its lock's";
    scratch.endSessions();
    ASSERT_EQ(kill(run.pid(), SIGCONT), 0);

    const auto interrupted = run.wait();
    EXPECT_EQ(interrupted.exitCode, 1) << interrupted.err;
    // The error ends with the driver's own message, on a line of its own
    // when the lost lock's sentence comes before it.
    const std::string message = test::LastLine(test::ErrorMessage(interrupted.err));
    EXPECT_TRUE(message.starts_with("[")) << interrupted.err;
    EXPECT_NE(interrupted.err.find("orvel-updater-cli: error: upgrading Pelsa, step "), std::string::npos)
        << interrupted.err;
    std::cout << "the interrupted run ended with: " << message << '\n';
    EXPECT_EQ(interrupted.err.find("\xD9\x85\xD9\x88\xD9\x81\xD9\x82"), std::string::npos)  // "موفق": no success message
        << interrupted.err;
    EXPECT_GE(test::StatementCount(log), kStatementsBeforeTheEnd);
    EXPECT_LT(test::StatementCount(log), kStatementsOfAWholeRun);

    // Run again, it completes to what an uninterrupted run leaves.
    const auto next = upgrade("Pelsa", odbc, dir.path() / "next.jsonl");
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(test::MadeByTheRuns(odbc, newDatabase).ToJson(), test::PredictedCatalogue("Pelsa", dir).ToJson());
}

TEST(LiveRunLock, ASecondUpgradeWhileTheFirstRunsIsRefusedAtOnceAndTheFirstCompletes) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_lock_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = test::ReadLiveCatalogue(odbc);
    test::TempDir dir;

    // The first run is held (SIGSTOP) in the middle, its lock taken.
    auto first = runUntil(odbc, dir.path() / "first.jsonl", 20);
    ASSERT_TRUE(first->running()) << "the first run ended too soon: " << first->wait().err;
    ASSERT_EQ(kill(first->pid(), SIGSTOP), 0);

    const auto started = std::chrono::steady_clock::now();
    const auto second = upgrade("Pelsa", odbc, dir.path() / "second.jsonl");
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(kill(first->pid(), SIGCONT), 0);

    EXPECT_EQ(second.exitCode, 1) << second.err;
    const std::string message = test::ErrorMessage(second.err);
    EXPECT_TRUE(message.starts_with("Another upgrade of this database is running")) << second.err;
    EXPECT_TRUE(message.ends_with("Start this upgrade again when that one has ended.")) << second.err;
    std::cout << "the second run was refused with: " << message << '\n';
    EXPECT_EQ(test::LoggedStatements(dir.path() / "second.jsonl"), "") << "the refused run sent statements";
    EXPECT_LT(took.count(), 15.0) << "the refused run waited";

    const auto completed = first->wait();
    EXPECT_EQ(completed.exitCode, 0) << completed.err;
    EXPECT_EQ(test::StatementCount(dir.path() / "first.jsonl"), 181);
    EXPECT_EQ(test::MadeByTheRuns(odbc, newDatabase).ToJson(), test::PredictedCatalogue("Pelsa", dir).ToJson());
}

TEST(LiveRunLock, ARunKilledMidwayLeavesTheLockFreeForTheNext) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_killed_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = test::ReadLiveCatalogue(odbc);
    test::TempDir dir;

    auto killed = runUntil(odbc, dir.path() / "killed.jsonl", 40);
    ASSERT_TRUE(killed->running()) << "the run ended before it could be killed: " << killed->wait().err;
    ASSERT_EQ(kill(killed->pid(), SIGKILL), 0);
    EXPECT_EQ(killed->wait().exitCode, -1);
    EXPECT_LT(test::StatementCount(dir.path() / "killed.jsonl"), 181);
    // The server ends the session of a dead client when its connection closes.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!scratch.sessions().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));

    const auto next = upgrade("Pelsa", odbc, dir.path() / "next.jsonl");
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(test::MadeByTheRuns(odbc, newDatabase).ToJson(), test::PredictedCatalogue("Pelsa", dir).ToJson());
}

}  // namespace
}  // namespace orvel
