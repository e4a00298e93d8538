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
#include <regex>
#include <thread>

#include <gtest/gtest.h>

#include "CliRunner.h"
#include "LiveServer.h"
#include "schema/NameMatching.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using test::RunCli;

// The statements of a `--log` file as `plan` lists them: the log adds how
// long each one took, which no plan can predict.
std::string withoutDurations(const std::string& log) {
    static const std::regex duration(R"(,"ms":[-+.0-9eE]+\}$)", std::regex::multiline);
    return std::regex_replace(log, duration, "}");
}

// The catalogue a run of `product` on an empty database leaves, as `plan`
// predicts it on the simulator, compared as the server compares names.
CatalogueSnapshot predictedCatalogue(const std::string& product, const test::TempDir& dir) {
    const auto file = dir.path() / (product + "-predicted.json");
    const auto plan = RunCli(Strings{"plan", "--product", product, "--summary", "--catalog-out", file.string()});
    EXPECT_EQ(plan.exitCode, 0) << plan.err;
    return test::AsServerCompares(CatalogueSnapshot::Load(file));
}

// The catalogue of the live database, read by `snapshot`.
CatalogueSnapshot readCatalogue(const std::string& odbc) {
    const auto snapshot = RunCli(Strings{"snapshot", "--odbc", odbc});
    EXPECT_EQ(snapshot.exitCode, 0) << snapshot.err;
    return CatalogueSnapshot::FromJson(snapshot.out);
}

// What the runs made of the database: its catalogue less what it held when
// new, compared as the server compares names.
CatalogueSnapshot madeByTheRuns(const std::string& odbc, const CatalogueSnapshot& newDatabase) {
    return test::AsServerCompares(test::WithoutServerObjects(readCatalogue(odbc), newDatabase));
}

test::CliResult upgrade(const std::string& product, const std::string& odbc, const std::filesystem::path& log) {
    return RunCli(Strings{"upgrade", "--product", product, "--odbc", odbc, "--log", log.string()});
}

class LiveUpgrade : public testing::TestWithParam<const char*> {};

TEST_P(LiveUpgrade, TwoRunsOnAnEmptyDatabaseSendWhatPlanPredictsAndEndAsPredicted) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    const std::string product = GetParam();
    test::ScratchDatabase scratch("orvel_live_" + FoldAsciiCase(product) + "_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = readCatalogue(odbc);
    test::TempDir dir;

    // The first run sends exactly the statements `plan` lists for an empty
    // database: the simulator's answers were the server's.
    const auto first = upgrade(product, odbc, dir.path() / "first.jsonl");
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(withoutDurations(test::FileText(dir.path() / "first.jsonl")), RunCli(Strings{"plan", "--product", product}).out);

    // The second run sends exactly what `plan` predicts from the catalogue the
    // first one left: on an up-to-date database, the statements sent on every
    // run and nothing else.
    const auto predictedSecond = RunCli(Strings{"plan", "--product", product, "--odbc", odbc});
    ASSERT_EQ(predictedSecond.exitCode, 0) << predictedSecond.err;
    const auto second = upgrade(product, odbc, dir.path() / "second.jsonl");
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(withoutDurations(test::FileText(dir.path() / "second.jsonl")), predictedSecond.out);

    EXPECT_EQ(madeByTheRuns(odbc, newDatabase).ToJson(), predictedCatalogue(product, dir).ToJson());
}

INSTANTIATE_TEST_SUITE_P(Products, LiveUpgrade, testing::Values("Pelsa", "Mornale", "Zorbex", "Kestin", "Tamrix2"),
                         [](const auto& info) { return std::string(info.param); });

int lineCount(const std::filesystem::path& file) {
    const std::string text = test::FileText(file);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The last line the program wrote to stderr: its error, as the ErrorBox shows it.
std::string lastLine(std::string err) {
    if (err.ends_with('\n')) err.pop_back();
    return err.substr(err.rfind('\n') + 1);  // from the start when there is one line
}

// The office-automation run (181 statements, no reconnect point) started on
// `odbc` and left running until its log shows `statements` answered.
std::unique_ptr<test::CliProcess> runUntil(const std::string& odbc, const std::filesystem::path& log, int statements) {
    auto run = std::make_unique<test::CliProcess>(
        Strings{"upgrade", "--product", "Pelsa", "--odbc", odbc, "--log", log.string()});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (lineCount(log) < statements && run->running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return run;
}

TEST(LiveDroppedConnection, EndsTheRunWithTheDriversMessageAndTheNextRunCompletesIt) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_dropped_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = readCatalogue(odbc);
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
    ASSERT_GE(lineCount(log), kStatementsBeforeTheEnd) << "the run sent too little within five minutes";
    ASSERT_EQ(kill(run.pid(), SIGSTOP), 0);
    EXPECT_EQ(scratch.sessions().size(), 1u);
    scratch.endSessions();
    ASSERT_EQ(kill(run.pid(), SIGCONT), 0);

    const auto interrupted = run.wait();
    EXPECT_EQ(interrupted.exitCode, 1) << interrupted.err;
    // The last line is the driver's own message, as the error box shows it.
    const std::string message = lastLine(interrupted.err);
    EXPECT_TRUE(message.starts_with("[")) << interrupted.err;
    std::cout << "the interrupted run ended with: " << message << '\n';
    EXPECT_EQ(interrupted.err.find("\xD9\x85\xD9\x88\xD9\x81\xD9\x82"), std::string::npos)  // "موفق": no success message
        << interrupted.err;
    EXPECT_GE(lineCount(log), kStatementsBeforeTheEnd);
    EXPECT_LT(lineCount(log), kStatementsOfAWholeRun);

    // Run again, it completes to what an uninterrupted run leaves.
    const auto next = upgrade("Pelsa", odbc, dir.path() / "next.jsonl");
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(madeByTheRuns(odbc, newDatabase).ToJson(), predictedCatalogue("Pelsa", dir).ToJson());
}

TEST(LiveRunLock, ASecondUpgradeWhileTheFirstRunsIsRefusedAtOnceAndTheFirstCompletes) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_lock_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = readCatalogue(odbc);
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
    const std::string message = lastLine(second.err);
    EXPECT_TRUE(message.starts_with("Another upgrade of this database is running")) << second.err;
    EXPECT_TRUE(message.ends_with("Start this upgrade again when that one has ended.")) << second.err;
    std::cout << "the second run was refused with: " << message << '\n';
    EXPECT_EQ(test::FileText(dir.path() / "second.jsonl"), "") << "the refused run sent statements";
    EXPECT_LT(took.count(), 15.0) << "the refused run waited";

    const auto completed = first->wait();
    EXPECT_EQ(completed.exitCode, 0) << completed.err;
    EXPECT_EQ(lineCount(dir.path() / "first.jsonl"), 181);
    EXPECT_EQ(madeByTheRuns(odbc, newDatabase).ToJson(), predictedCatalogue("Pelsa", dir).ToJson());
}

TEST(LiveRunLock, ARunKilledMidwayLeavesTheLockFreeForTheNext) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_killed_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = readCatalogue(odbc);
    test::TempDir dir;

    auto killed = runUntil(odbc, dir.path() / "killed.jsonl", 40);
    ASSERT_TRUE(killed->running()) << "the run ended before it could be killed: " << killed->wait().err;
    ASSERT_EQ(kill(killed->pid(), SIGKILL), 0);
    EXPECT_EQ(killed->wait().exitCode, -1);
    EXPECT_LT(lineCount(dir.path() / "killed.jsonl"), 181);
    // The server ends the session of a dead client when its connection closes.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!scratch.sessions().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));

    const auto next = upgrade("Pelsa", odbc, dir.path() / "next.jsonl");
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(madeByTheRuns(odbc, newDatabase).ToJson(), predictedCatalogue("Pelsa", dir).ToJson());
}

}  // namespace
}  // namespace orvel
