// Ctrl-C and SIGTERM in the middle of `upgrade` on a live server: the run
// stops before its next statement, says on standard error which step it
// stopped in, records "interrupted" with that step and the signal, exits
// with 130 or 143, and with --whole-steps leaves the step's table as before
// the step; a statement waiting on another session's lock is cancelled, or
// allowed to end where the server ends it only when it can.  The next run
// completes what the stopped one began.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <regex>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "LiveCliRuns.h"
#include "LiveServer.h"
#include "TestSupport.h"
#include "database/NameMatching.h"
#include "products/StepLists.h"
#include "upgrade/RunRecords.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using test::RunCli;

// The step a stopped run names on standard error; empty when it names none.
std::string stoppedStep(const std::string& err) {
    static const std::regex stopped(R"RE(The upgrade was stopped by .* in the step "([^"]+)"\.)RE");
    std::smatch step;
    return std::regex_search(err, step, stopped) ? std::string(step[1]) : std::string();
}

// The last line of the only record in `state`, as JSON.
nlohmann::json lastRecordLine(const test::TempDir& state) {
    const RunRecords kept(state.path() / "orvel-updater", "");
    const auto lines = test::ReadLines(kept.fileOf(kept.list().front().id).value());
    return nlohmann::json::parse(lines.back());
}

TEST(LiveStop, ASignalStopsTheRunBeforeItsNextStatementAndSaysWhere) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    const struct {
        const char* what;
        int signal;
        bool wholeSteps;
        int exitCode;
        const char* by;
    } cases[] = {
        {"Ctrl-C", SIGINT, false, 130, "SIGINT"},
        {"SIGTERM with whole steps", SIGTERM, true, 143, "SIGTERM"},
    };
    for (const auto& c : cases) {
        test::ScratchDatabase scratch("orvel_live_stop_");
        const std::string odbc = scratch.connectionString();
        const CatalogueSnapshot newDatabase = test::ReadLiveCatalogue(odbc);
        test::TempDir dir, state;
        test::ScopedEnvironment records("XDG_STATE_HOME", state.path().string());
        const CatalogueSnapshot predicted = test::PredictedCatalogue("Pelsa", dir);
        const auto log = dir.path() / "stopped.jsonl";

        // The office-automation run's second step sends its 26th to 92nd
        // statements; the signal comes once 40 are answered.
        Strings arguments{"upgrade", "--product", "Pelsa", "--odbc", odbc, "--log", log.string()};
        if (c.wholeSteps) arguments.push_back("--whole-steps");
        const auto held = test::StartUntilLogged(arguments, log, 40);
        ASSERT_TRUE(held->running()) << c.what << ": the run ended first: " << held->wait().err;
        ASSERT_EQ(kill(held->pid(), c.signal), 0);
        const auto stopped = held->wait();
        EXPECT_EQ(stopped.exitCode, c.exitCode) << c.what << "\n" << stopped.err;

        const std::string step = stoppedStep(stopped.err);
        ASSERT_FALSE(step.empty()) << c.what << "\n" << stopped.err;
        const auto result = lastRecordLine(state);
        EXPECT_EQ(result["result"], "interrupted") << c.what << ": " << result;
        EXPECT_EQ(result["stoppedIn"], step) << c.what;
        EXPECT_EQ(result["by"], c.by) << c.what;
        // It stopped in the step whose statements the log shows last, or at
        // the start of the next one: nothing of a later step was sent.
        Strings stepsSent;
        for (const auto& line : test::ReadLines(log))
            if (line.starts_with("{\"step\":")) {
                const std::string sent = nlohmann::json::parse(line)["step"];
                if (stepsSent.empty() || stepsSent.back() != sent) stepsSent.push_back(sent);
            }
        ASSERT_FALSE(stepsSent.empty());
        Strings order;
        for (const auto& entry : StepListFor("Pelsa"))
            if (!entry.isReconnectPoint()) order.emplace_back(entry.step);
        const auto at = [&order](const std::string& name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
        EXPECT_TRUE(at(step) == at(stepsSent.back()) || at(step) == at(stepsSent.back()) + 1)
            << c.what << ": stopped in " << step << ", last sent " << stepsSent.back();

        if (c.wholeSteps) {
            // The steps before it are whole; its own table is as before it.
            EXPECT_NE(stopped.err.find("The step \"" + step + "\" was rolled back"), std::string::npos) << stopped.err;
            Strings done = stepsSent;
            std::erase(done, step);
            CatalogueSnapshot expected = predicted;
            std::erase_if(expected.tables, [&](const CatalogueObject& table) {
                return std::none_of(done.begin(), done.end(),
                                    [&](const std::string& s) { return EqualIgnoringAsciiCase(s, table.name); });
            });
            EXPECT_EQ(test::MadeByTheRuns(odbc, newDatabase).ToJson(), expected.ToJson()) << c.what;
        } else {
            EXPECT_NE(stopped.err.find("run the upgrade again to complete it"), std::string::npos) << stopped.err;
        }

        const auto next = RunCli(Strings{"upgrade", "--product", "Pelsa", "--odbc", odbc});
        EXPECT_EQ(next.exitCode, 0) << c.what << "\n" << next.err;
        EXPECT_EQ(test::MadeByTheRuns(odbc, newDatabase).ToJson(), predicted.ToJson()) << c.what;
    }
}

// The first step's first statement on an older table waits for a
// transaction of another session.  SQL Server cancels the waiting statement
// at once; the T-SQL engine takes the cancel only when the statement ends,
// so there the other session's transaction is ended for it.
TEST(LiveStop, AStatementUnderWayIsCancelledOrAllowedToEnd) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_stop_waiting_");
    const std::string odbc = scratch.connectionString();
    test::TempDir dir, state;
    test::ScopedEnvironment records("XDG_STATE_HOME", state.path().string());
    test::ServerSession other(odbc);
    other.run("create table TCapability (ID int)");
    other.run("BEGIN TRANSACTION");
    other.run("insert into TCapability (ID) values (1)");

    const auto log = dir.path() / "run.jsonl";
    test::CliProcess run(Strings{"upgrade", "--product", "Pelsa", "--odbc", odbc, "--log", log.string()});
    // Past the step's start, its first statement (a column added to the
    // table) is sent and waits.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (run.errSoFar().find("step 1 of 8") == std::string::npos && run.running() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(run.running()) << run.wait().err;
    EXPECT_EQ(test::StatementCount(log), 0) << "the first statement did not wait";
    ASSERT_EQ(kill(run.pid(), SIGINT), 0);

    std::this_thread::sleep_for(std::chrono::seconds(2));
    const bool cancelledAtOnce = !run.running();
    if (!cancelledAtOnce) other.run("ROLLBACK");
    const auto stopped = run.wait();
    EXPECT_EQ(stopped.exitCode, 130) << stopped.err;
    EXPECT_EQ(stoppedStep(stopped.err), "TCapability") << stopped.err;
    EXPECT_EQ(lastRecordLine(state)["result"], "interrupted");
    // The waiting statement is the only one sent.
    EXPECT_LE(test::StatementCount(log), 1) << test::FileText(log);
    if (cancelledAtOnce) other.run("ROLLBACK");
    std::cout << "the waiting statement " << (cancelledAtOnce ? "was cancelled at once" : "ended with the other transaction")
              << ": " << test::LoggedStatements(log);
}

}  // namespace
}  // namespace orvel
