// The run lock on a live server, with the first run driven here so that its
// moments are known: a second `upgrade` started at many moments of the
// first (before its first step, at every third step, and right at each of
// its reconnect points, with its connection closed and again once it is
// open) is refused every time while the first completes as `plan`
// predicts, and `exec` is never kept waiting; the lock's own session ended
// by the server stops the run before its next statement, and the next run
// completes it.
#include <chrono>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "CliRunner.h"
#include "LiveCliRuns.h"
#include "LiveServer.h"
#include "TestSupport.h"
#include "database/OdbcDatabase.h"
#include "products/StepLists.h"
#include "products/StepRegistry.h"
#include "upgrade/RunDriver.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using test::RunCli;

// A run of `product` on `odbc` driven in this process, as the command line
// drives one, with records of its own.
struct DrivenRun {
    DrivenRun() : progress(display), registry(BuildStepRegistry()), driver(db, progress, registry, options, &records) {
        driver.onStatementSent = [this](const StatementRecord& statement) { sent.push_back(statement); };
    }

    Strings recordLines() const { return test::ReadLines(records.fileOf(records.list().front().id).value()); }

    OdbcDatabase db;
    test::TempDir dir;
    RunRecords records{dir.path(), "orvel-test"};
    FixedOptions options;
    test::RecordingDisplay display;
    Progress progress;
    StepRegistry registry;
    RunDriver driver;
    std::vector<StatementRecord> sent;
};


TEST(LiveRunLock, ASecondRunAtManyMomentsOfTheFirstIsRefusedAndTheFirstCompletes) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_lock_moments_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = test::ReadLiveCatalogue(odbc);
    test::TempDir dir;
    const auto secondLog = dir.path() / "second.jsonl";

    Strings refusedAt, notRefused;
    const auto startSecond = [&](const std::string& moment) {
        const auto second = RunCli(Strings{"upgrade", "--product", "Tamrix2", "--odbc", odbc, "--log", secondLog.string()});
        if (second.exitCode == 1 && test::ErrorMessage(second.err).starts_with("Another upgrade of this database is running"))
            refusedAt.push_back(moment);
        else
            notRefused.push_back(moment + " (exit " + std::to_string(second.exitCode) + "): " + second.err);
    };
    // The network-marketing run: 49 steps, four reconnect points.
    DrivenRun first;
    int steps = 0;
    first.driver.onStepStarted = [&](const std::string& step) {
        if (steps++ % 3 == 0) startSecond("at the start of " + step);
        // The query window's statements take no lock and wait for none.
        if (steps == 2) {
            const auto exec = RunCli(Strings{"exec", "--odbc", odbc, "--sql", "select 1"});
            EXPECT_EQ(exec.exitCode, 0) << exec.err;
        }
    };
    first.driver.onReconnect = [&](ReconnectMoment moment, const std::string& afterStep) {
        startSecond((moment == ReconnectMoment::Closed ? "closed after " : "reopened after ") + afterStep);
    };
    first.driver.RunWithConnectionText("Tamrix2", odbc);

    for (const auto& moment : notRefused) ADD_FAILURE() << "a second run not refused " << moment;
    EXPECT_EQ(refusedAt.size(), 17u + 8u) << "every third of 49 steps and two moments at each of 4 reconnect points";
    EXPECT_EQ(test::LoggedStatements(secondLog), "") << "a refused run sent statements";
    EXPECT_EQ(first.display.successMessages.size(), 1u);
    EXPECT_EQ(first.recordLines().back().find(R"({"result":"success")"), 0u) << first.recordLines().back();
    EXPECT_EQ(test::MadeByTheRuns(odbc, newDatabase).ToJson(), test::PredictedCatalogue("Tamrix2", dir).ToJson());
}

TEST(LiveRunLock, ALostLockSessionStopsTheRunBeforeItsNextStatementAndTheNextRunCompletes) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_lock_lost_");
    const std::string odbc = scratch.connectionString();
    const CatalogueSnapshot newDatabase = test::ReadLiveCatalogue(odbc);
    test::TempDir dir;

    // The office-automation run; at the start of its third step the server
    // ends the lock's session (the one that is not the run's own).
    DrivenRun run;
    std::string stoppedStep;
    int steps = 0;
    run.driver.onStepStarted = [&](const std::string& step) {
        if (++steps != 3) return;
        stoppedStep = step;
        const auto own = run.db.readResults("SELECT @@SPID").at(0).rows.at(0).at(0).value();
        Strings others;
        for (const auto& id : scratch.sessions())
            if (id != own) others.push_back(id);
        ASSERT_EQ(others.size(), 1u) << "the lock's session alone besides the run's";
        scratch.endSession(others.front());
        // The watch asks four times a second; the run waits here meanwhile.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (scratch.sessions().size() > 1 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::seconds(2));
    };
    try {
        run.driver.RunWithConnectionText("Pelsa", odbc);
        FAIL() << "the run went on without its lock";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.errorClass(), "RunLockLost") << e.what();
        EXPECT_NE(std::string(e.what()).find("stopped before its next statement"), std::string::npos) << e.what();
    }
    ASSERT_FALSE(run.sent.empty());
    EXPECT_NE(run.sent.back().step, stoppedStep) << "a statement of the step was sent without the lock";
    const std::string result = run.recordLines().back();
    EXPECT_NE(result.find(R"("result":"failed","stoppedIn":")" + stoppedStep + "\""), std::string::npos) << result;
    EXPECT_TRUE(run.display.successMessages.empty());

    // The lock went with its session: the next run takes it and completes.
    const auto next = RunCli(Strings{"upgrade", "--product", "Pelsa", "--odbc", odbc});
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(test::MadeByTheRuns(odbc, newDatabase).ToJson(), test::PredictedCatalogue("Pelsa", dir).ToJson());
}

}  // namespace
}  // namespace orvel
