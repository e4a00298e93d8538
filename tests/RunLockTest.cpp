// The run lock on test doubles: what each answer of the server means, the
// message of a refused run, the databases that give no lock, and how the run
// driver holds the lock from its connection's opening to its end, reconnects
// included, without a trace of it among the run's statements.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <utility>

#include "TestSupport.h"
#include "upgrade/RunDriver.h"
#include "products/StepLists.h"
#include "database/RunLock.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

bool mentions(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The lock as a server keeps it for all its sessions.
struct LockTable {
    const void* holder = nullptr;  // the session holding it
    std::string refusalCode = "-1";  // what the server answers a session refused
    bool hasLockViews = true;        // whether it can tell who holds the lock
    ResultSet::Row holderRow{"PC-ACCOUNTS", "orvel-updater", "2026-03-01 09:15:00"};
};

// One session of a server with application locks: a simulated catalogue
// that answers the lock questions from the shared table and, like a server,
// drops its lock when it closes.
class LockingSession : public CatalogueSimulator {
public:
    explicit LockingSession(LockTable& locks, CatalogueSnapshot catalogue = {})
        : CatalogueSimulator(std::move(catalogue)), locks_(locks) {}

    std::optional<ServerIdentity> serverIdentity() const override {
        return isOpen() ? std::optional(ServerIdentity{"Microsoft SQL Server", "12.00.2000"}) : std::nullopt;
    }
    void open(const std::string& connectionText) override {
        CatalogueSimulator::open(connectionText);
        if (auto then = std::exchange(onNextOpen, nullptr)) then();
    }
    void close() override {
        if (holds()) locks_.holder = nullptr;
        CatalogueSimulator::close();
    }

    bool holds() const { return locks_.holder == this; }
    // Called once, right after the next opening.
    std::function<void()> onNextOpen;
    // Every lock question, in order: "take", "release", "holder".
    Strings questions;

protected:
    std::vector<ResultSet> doReadResults(const std::string& sql) override {
        if (mentions(sql, "sp_getapplock")) {
            questions.push_back("take");
            if (locks_.holder && !holds()) return {{{""}, {{locks_.refusalCode}}}};
            locks_.holder = this;
            return {{{""}, {{"0"}}}};
        }
        if (mentions(sql, "sp_releaseapplock")) {
            questions.push_back("release");
            if (holds()) locks_.holder = nullptr;
            return {};
        }
        if (mentions(sql, "sys.dm_tran_locks")) {
            questions.push_back("holder");
            if (!locks_.hasLockViews) throw DatabaseError("DatabaseError", "Invalid object name 'sys.dm_tran_locks'.");
            return {{{"host_name", "program_name", "login_time"}, {locks_.holderRow}}};
        }
        ADD_FAILURE() << "unexpected question: " << sql;
        return {};
    }

private:
    LockTable& locks_;
};

// A session that says what it is but answers no lock question.
class NamedSimulator : public CatalogueSimulator {
public:
    NamedSimulator(std::string product, std::string failure)
        : product_(std::move(product)), failure_(std::move(failure)) {}
    std::optional<ServerIdentity> serverIdentity() const override { return ServerIdentity{product_, "1"}; }
    int questions = 0;

protected:
    std::vector<ResultSet> doReadResults(const std::string&) override {
        ++questions;
        throw DatabaseError("DatabaseError", failure_);
    }

private:
    std::string product_, failure_;
};

TEST(RunLock, AnyNegativeAnswerIsARefusal) {
    const struct {
        const char* code;
    } refusals[] = {{"-1"}, {"-2"}, {"-3"}, {"-999"}};
    for (const auto& c : refusals) {
        LockTable locks;
        locks.refusalCode = c.code;
        LockingSession first(locks), second(locks);
        first.open("connection");
        second.open("connection");
        RunLock held(first), refused(second);
        EXPECT_EQ(held.take(), "run lock taken");
        EXPECT_THROW(refused.take(), RunLockRefused) << c.code;
        EXPECT_FALSE(refused.held()) << c.code;
        EXPECT_TRUE(first.holds()) << c.code;
    }
}

TEST(RunLock, TheRefusalSaysWhoHoldsTheLockWhereTheServerTells) {
    const struct {
        const char* what;
        bool hasLockViews;
        ResultSet::Row holderRow;
        std::string message;
    } cases[] = {
        {"everything told", true, {"PC-ACCOUNTS", "orvel-updater", "2026-03-01 09:15:00"},
         "Another upgrade of this database is running, from the computer \"PC-ACCOUNTS\", by the program "
         "\"orvel-updater\", connected since 2026-03-01 09:15:00 (server time). Start this upgrade again when that "
         "one has ended."},
        {"blank-padded computer, no program", true, {"PC-7      ", std::nullopt, "2026-03-01 09:15:00"},
         "Another upgrade of this database is running, from the computer \"PC-7\", connected since 2026-03-01 "
         "09:15:00 (server time). Start this upgrade again when that one has ended."},
        {"a server without the lock views", false, {},
         "Another upgrade of this database is running. Start this upgrade again when that one has ended."},
        {"a holder the views do not show", true, {},
         "Another upgrade of this database is running. Start this upgrade again when that one has ended."},
    };
    for (const auto& c : cases) {
        LockTable locks;
        locks.hasLockViews = c.hasLockViews;
        locks.holderRow = c.holderRow;
        if (c.holderRow.empty()) locks.holderRow = {std::nullopt, std::nullopt, std::nullopt};
        LockingSession first(locks), second(locks);
        first.open("connection");
        second.open("connection");
        RunLock held(first);
        held.take();
        try {
            RunLock(second).take();
            ADD_FAILURE() << c.what << ": not refused";
        } catch (const RunLockRefused& e) {
            EXPECT_EQ(e.what(), c.message) << c.what;
        }
        EXPECT_EQ(second.questions, (Strings{"take", "holder"})) << c.what;
    }
}

TEST(RunLock, ADatabaseWithoutApplicationLocksRunsWithoutOne) {
    const struct {
        const char* what;
        const char* product;
        int questions;  // lock questions asked
        const char* note;
    } cases[] = {
        {"an Access file", "ACCESS", 0, "the database (ACCESS) gives no application lock"},
        {"a server that refuses the request", "Microsoft SQL Server", 1,
         "the server refused to give one (Could not find stored procedure 'sp_getapplock'.)"},
    };
    for (const auto& c : cases) {
        NamedSimulator db(c.product, "Could not find stored procedure 'sp_getapplock'.");
        db.open("connection");
        RunLock lock(db);
        const std::string note = lock.take();
        EXPECT_TRUE(mentions(note, c.note)) << c.what << ": " << note;
        EXPECT_TRUE(mentions(note, "the run goes on without one")) << c.what << ": " << note;
        EXPECT_FALSE(lock.held()) << c.what;
        EXPECT_EQ(db.questions, c.questions) << c.what;
    }
    CatalogueSimulator simulator;
    simulator.open("connection");
    EXPECT_TRUE(mentions(RunLock(simulator).take(), "this database gives no application lock"));
}

// A run of the network-marketing product (four reconnect points) by fake
// steps that send one statement each, on a session of a locking server.
struct LockedRun {
    LockedRun() : session(locks, {{{"LOGIN", {"ID"}}}, {}}), progress(display) {
        for (const auto& entry : StepListFor("Tamrix2")) {
            if (entry.isReconnectPoint()) continue;
            const std::string name(entry.step);
            registry.add(name, [this, name](SchemaOperations& schema) {
                if (beforeStep) beforeStep(name);
                if (silentSteps.contains(name)) return;
                schema.database().execute("UPDATE T SET step = '" + name + "'");
                heldWhileSending = heldWhileSending && session.holds();
            });
        }
    }

    void run() {
        RunDriver driver(session, progress, registry, options, &records);
        driver.onStatementSent = [this](const StatementRecord& s) { logged.push_back(s.sql); };
        driver.RunWithConnectionText("Tamrix2", "connection");
    }

    Strings recordLines() const { return test::ReadLines(records.fileOf(records.list().front().id).value()); }

    LockTable locks;
    LockingSession session;
    test::TempDir dir;
    RunRecords records{dir.path(), "orvel-test"};
    FixedOptions options;
    test::RecordingDisplay display;
    Progress progress;
    StepRegistry registry;
    Strings logged;
    bool heldWhileSending = true;
    std::set<std::string> silentSteps;  // steps that send nothing (a database already up to date)
    std::function<void(const std::string& step)> beforeStep;
};

TEST(RunDriverLock, IsHeldFromTheOpeningAcrossEveryReconnectAndGivenBackAtTheEnd) {
    LockedRun run;
    run.run();
    EXPECT_TRUE(run.heldWhileSending);
    EXPECT_FALSE(run.session.holds());
    // Taken after the opening and after each reconnect (before the next
    // statement), given back before each close and at the end.
    Strings expected{"take"};
    for (int i = 0; i < 4; ++i) expected.insert(expected.end(), {"release", "take"});
    expected.push_back("release");
    EXPECT_EQ(run.session.questions, expected);
    // No statement of the run: neither the log nor the statement count shows it.
    for (const auto& sql : run.logged) EXPECT_FALSE(mentions(sql, "applock")) << sql;
    const Strings lines = run.recordLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), R"({"note":"run lock taken"})"), 5);
    EXPECT_TRUE(mentions(lines.back(), R"("result":"success","statements":)" + std::to_string(run.logged.size())))
        << lines.back();
    EXPECT_EQ(run.display.successMessages.size(), 1u);
}

TEST(RunDriverLock, AReconnectAfterWhichNothingIsSentAsksForNoLock) {
    // Only the steps before the first reconnect send a statement.
    LockedRun run;
    bool reconnected = false;
    for (const auto& entry : StepListFor("Tamrix2")) {
        if (entry.isReconnectPoint()) reconnected = true;
        else if (reconnected) run.silentSteps.insert(std::string(entry.step));
    }
    ASSERT_FALSE(run.silentSteps.empty());
    run.run();
    EXPECT_TRUE(run.heldWhileSending);
    EXPECT_FALSE(run.session.holds());
    EXPECT_EQ(run.session.questions, (Strings{"take", "release"}));
    const Strings lines = run.recordLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), R"({"note":"run lock taken"})"), 1);
    EXPECT_EQ(run.display.successMessages.size(), 1u);
}

TEST(RunDriverLock, ARefusedRunSendsNothingAndSaysWhy) {
    LockedRun run;
    LockingSession other(run.locks);
    other.open("connection");
    RunLock held(other);
    held.take();
    try {
        run.run();
        FAIL() << "the run was not refused";
    } catch (const RunLockRefused& e) {
        EXPECT_TRUE(mentions(e.what(), "Another upgrade of this database is running")) << e.what();
    }
    EXPECT_TRUE(run.session.statements().empty());
    EXPECT_TRUE(run.logged.empty());
    EXPECT_TRUE(run.display.successMessages.empty());
    EXPECT_TRUE(other.holds());
    const Strings lines = run.recordLines();
    EXPECT_TRUE(mentions(lines.back(), R"("result":"failed","stoppedIn":"before the first step")")) << lines.back();
    EXPECT_TRUE(mentions(lines.back(), "Another upgrade of this database is running")) << lines.back();
}

TEST(RunDriverLock, ARunThatLosesTheLockAtAReconnectStopsThere) {
    LockedRun run;
    LockingSession other(run.locks);
    other.open("connection");
    auto lock = std::make_unique<RunLock>(other);
    // Another run takes the lock in the moment of the reconnect after P_SSeri.
    run.beforeStep = [&](const std::string& step) {
        if (step == "P_SSeri") run.session.onNextOpen = [&] { lock->take(); };
    };
    EXPECT_THROW(run.run(), RunLockRefused);
    // Refused before the first statement after that reconnect: nothing of
    // the next step was sent.
    std::string next;
    bool afterReconnect = false, afterStep = false;
    for (const auto& entry : StepListFor("Tamrix2")) {
        if (afterStep && entry.isReconnectPoint()) afterReconnect = true;
        else if (afterReconnect && next.empty()) next = entry.step;
        if (entry.step == std::string_view("P_SSeri")) afterStep = true;
    }
    ASSERT_FALSE(next.empty());
    const Strings lines = run.recordLines();
    EXPECT_TRUE(mentions(lines.back(), "\"stoppedIn\":\"" + next + "\"")) << lines.back();
    EXPECT_EQ(run.logged.back(), "UPDATE T SET step = 'P_SSeri'");
}

TEST(RunDriverLock, AFailedRunGivesTheLockBackOnItsOpenConnection) {
    LockedRun run;
    run.beforeStep = [](const std::string& step) {
        if (step == "Login") throw DatabaseError("DatabaseError", "step failed");
    };
    EXPECT_THROW(run.run(), DatabaseError);
    EXPECT_TRUE(run.session.isOpen());
    EXPECT_FALSE(run.session.holds());
    EXPECT_EQ(run.session.questions.back(), "release");
}

}  // namespace
}  // namespace orvel
