// The run lock on test doubles: what each answer of the server means, the
// message of a refused run, the databases that give no lock, the watch that
// finds the lock's session gone, and how the run driver holds the lock on a
// session of its own from before its connection opens to its end, across
// every reconnect, without a trace of it among the run's statements.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
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

class LockingSession;

// A server with application locks, as its sessions share it.
struct LockTable {
    const void* holder = nullptr;    // the session holding the lock
    std::string refusalCode = "-1";  // what the server answers a session refused
    bool hasLockViews = true;        // whether it can tell who holds the lock
    ResultSet::Row holderRow{"PC-ACCOUNTS", "orvel-updater", "2026-03-01 09:15:00"};
    // Every lock question and every opening and closing, in order, by the
    // run's own thread: "take", "release", "holder", "open run",
    // "open lock", "close run", "close lock".
    Strings events;
    // The sessions the run locks opened, newest last.
    std::vector<LockingSession*> lockSessions;
};

// One session of a server with application locks: a simulated catalogue
// that answers the lock questions from the shared table and, like a server,
// drops its lock when it closes.  The sessions it makes for a run lock are
// sessions of the same server; one of them can be lost, as a session ended
// by the server is.
class LockingSession : public CatalogueSimulator {
public:
    explicit LockingSession(LockTable& locks, CatalogueSnapshot catalogue = {}, std::string name = "run")
        : CatalogueSimulator(std::move(catalogue)), locks_(locks), name_(std::move(name)) {}
    ~LockingSession() override { std::erase(locks_.lockSessions, this); }

    std::optional<ServerIdentity> serverIdentity() const override {
        return isOpen() ? std::optional(ServerIdentity{"Microsoft SQL Server", "12.00.2000"}) : std::nullopt;
    }
    std::unique_ptr<Database> newSession() const override {
        auto session = std::make_unique<LockingSession>(locks_, CatalogueSnapshot{}, "lock");
        locks_.lockSessions.push_back(session.get());
        return session;
    }
    void cancel() noexcept override { ++cancels; }
    void open(const std::string& connectionText) override {
        CatalogueSimulator::open(connectionText);
        locks_.events.push_back("open " + name_);
        if (auto then = std::exchange(onNextOpen, nullptr)) then();
    }
    void close() override {
        if (holds()) locks_.holder = nullptr;
        if (isOpen()) locks_.events.push_back("close " + name_);
        CatalogueSimulator::close();
    }

    bool holds() const { return locks_.holder == this; }
    // The server ends this session: it answers nothing more.
    void lose() {
        if (holds()) locks_.holder = nullptr;
        lost_ = true;
    }
    // Waits until the watch has asked this session since it was lost and
    // has taken note of the answer.
    void waitUntilTheWatchFoundItLost() {
        std::unique_lock lock(mutex_);
        watched_.wait(lock, [this] { return lostAnswered_; });
    }

    // Called once, right after the next opening.
    std::function<void()> onNextOpen;
    std::atomic<int> cancels{0};

protected:
    std::vector<ResultSet> doReadResults(const std::string& sql) override {
        if (sql == kRunLockWatchQuestion) {
            // The watch's question comes on the watch's own thread.
            if (!lost_) return {{{""}, {{"1"}}}};
            throw LostAnswer(*this);
        }
        if (lost_) throw DatabaseError("OdbcError", "[FreeTDS][SQL Server]Unexpected EOF from the server");
        if (mentions(sql, "sp_getapplock")) {
            locks_.events.push_back("take");
            if (locks_.holder && !holds()) return {{{""}, {{locks_.refusalCode}}}};
            locks_.holder = this;
            return {{{""}, {{"0"}}}};
        }
        if (mentions(sql, "sp_releaseapplock")) {
            locks_.events.push_back("release");
            if (holds()) locks_.holder = nullptr;
            return {};
        }
        if (mentions(sql, "sys.dm_tran_locks")) {
            locks_.events.push_back("holder");
            if (!locks_.hasLockViews) throw DatabaseError("DatabaseError", "Invalid object name 'sys.dm_tran_locks'.");
            return {{{"host_name", "program_name", "login_time"}, {locks_.holderRow}}};
        }
        ADD_FAILURE() << "unexpected question: " << sql;
        return {};
    }

private:
    // The error a lost session answers the watch with; once the watch has
    // handled it (the error object then goes), waitUntilTheWatchFoundItLost
    // returns.
    class LostAnswer : public DatabaseError {
    public:
        explicit LostAnswer(LockingSession& session)
            : DatabaseError("OdbcError", "[FreeTDS][SQL Server]Unexpected EOF from the server"), session_(session) {}
        LostAnswer(const LostAnswer&) = default;
        ~LostAnswer() override {
            const std::lock_guard lock(session_.mutex_);
            session_.lostAnswered_ = true;
            session_.watched_.notify_all();
        }

    private:
        LockingSession& session_;
    };

    LockTable& locks_;
    std::string name_;
    std::atomic<bool> lost_{false};
    std::mutex mutex_;
    std::condition_variable watched_;
    bool lostAnswered_ = false;
};

// A lock of `connection` taken as a run takes it.
std::string takeLock(RunLock& lock) {
    lock.openSession("connection");
    return lock.take();
}

TEST(RunLock, AnyNegativeAnswerIsARefusal) {
    const struct {
        const char* code;
    } refusals[] = {{"-1"}, {"-2"}, {"-3"}, {"-999"}};
    for (const auto& c : refusals) {
        LockTable locks;
        locks.refusalCode = c.code;
        LockingSession first(locks), second(locks);
        RunLock held(first), refused(second);
        EXPECT_EQ(takeLock(held), "run lock taken");
        EXPECT_THROW(takeLock(refused), RunLockRefused) << c.code;
        EXPECT_FALSE(refused.held()) << c.code;
        EXPECT_TRUE(held.held()) << c.code;
        ASSERT_EQ(locks.lockSessions.size(), 1u) << c.code << ": the refused lock's session stays open";
        EXPECT_TRUE(locks.lockSessions.front()->holds()) << c.code;
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
        RunLock held(first);
        takeLock(held);
        locks.events.clear();
        try {
            RunLock refused(second);
            takeLock(refused);
            ADD_FAILURE() << c.what << ": not refused";
        } catch (const RunLockRefused& e) {
            EXPECT_EQ(e.what(), c.message) << c.what;
        }
        EXPECT_EQ(locks.events, (Strings{"open lock", "take", "holder", "close lock"})) << c.what;
    }
}

// A session that says what it is but answers no lock question; the
// sessions it makes are of the same kind and count their questions with it.
class NamedSimulator : public CatalogueSimulator {
public:
    NamedSimulator(std::string product, std::string failure, int& questions)
        : product_(std::move(product)), failure_(std::move(failure)), questions_(questions) {}
    std::optional<ServerIdentity> serverIdentity() const override { return ServerIdentity{product_, "1"}; }
    std::unique_ptr<Database> newSession() const override {
        return std::make_unique<NamedSimulator>(product_, failure_, questions_);
    }

protected:
    std::vector<ResultSet> doReadResults(const std::string&) override {
        ++questions_;
        throw DatabaseError("DatabaseError", failure_);
    }

private:
    std::string product_, failure_;
    int& questions_;
};

TEST(RunLock, ADatabaseWithoutApplicationLocksRunsWithoutOne) {
    const struct {
        const char* what;
        const char* product;
        const char* connectionText;
        int questions;  // lock questions asked
        const char* note;
    } cases[] = {
        {"an Access driver's database", "ACCESS", "Driver={X};Server=s", 0,
         "the database (ACCESS) gives no application lock"},
        {"an Access file, never opened twice", "ACCESS",
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\data\\office.mdb", 0,
         "an Access file gives no application lock"},
        {"an Access file by ODBC", "ACCESS", "Driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\office.mdb", 0,
         "an Access file gives no application lock"},
        {"a server that refuses the request", "Microsoft SQL Server", "Driver={X};Server=s", 1,
         "the server refused to give one (Could not find stored procedure 'sp_getapplock'.)"},
    };
    for (const auto& c : cases) {
        int questions = 0;
        NamedSimulator db(c.product, "Could not find stored procedure 'sp_getapplock'.", questions);
        RunLock lock(db);
        lock.openSession(c.connectionText);
        const std::string note = lock.take();
        EXPECT_TRUE(mentions(note, c.note)) << c.what << ": " << note;
        EXPECT_TRUE(mentions(note, "the run goes on without one")) << c.what << ": " << note;
        EXPECT_FALSE(lock.held()) << c.what;
        EXPECT_EQ(questions, c.questions) << c.what;
    }
    CatalogueSimulator simulator;
    RunLock lock(simulator);
    EXPECT_EQ(lock.openSession("connection"), nullptr);
    EXPECT_TRUE(mentions(lock.take(), "this database gives no application lock"));
}

TEST(RunLock, ALostSessionIsToldWithTheDriversMessageOnItsLastLine) {
    LockTable locks;
    LockingSession connection(locks);
    RunLock lock(connection, std::chrono::milliseconds(1));
    takeLock(lock);
    EXPECT_NO_THROW(lock.throwIfLost());
    ASSERT_EQ(locks.lockSessions.size(), 1u);
    locks.lockSessions.front()->lose();
    locks.lockSessions.front()->waitUntilTheWatchFoundItLost();
    try {
        lock.throwIfLost();
        FAIL() << "the loss was not told";
    } catch (const RunLockLost& e) {
        const std::string message = e.what();
        EXPECT_TRUE(message.starts_with("This run's lock on the database was lost")) << message;
        EXPECT_TRUE(message.ends_with("\n[FreeTDS][SQL Server]Unexpected EOF from the server")) << message;
    }
    lock.release();
    EXPECT_TRUE(locks.lockSessions.empty()) << "the lost session is closed all the same";
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
                heldWhileSending = heldWhileSending && locks.holder != nullptr &&
                                   std::find(locks.lockSessions.begin(), locks.lockSessions.end(),
                                             locks.holder) != locks.lockSessions.end();
            });
        }
    }

    void run() {
        RunDriver driver(session, progress, registry, options, &records);
        driver.setWholeSteps(wholeSteps);
        driver.onStatementSent = [this](const StatementRecord& s) { logged.push_back(s.sql); };
        driver.onReconnect = [this](ReconnectMoment moment, const std::string& afterStep) {
            if (onReconnect) onReconnect(moment, afterStep);
        };
        running = &driver;
        const struct Forget {
            RunDriver*& driver;
            ~Forget() { driver = nullptr; }
        } forget{running};
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
    bool wholeSteps = false;
    bool heldWhileSending = true;
    std::set<std::string> silentSteps;  // steps that send nothing (a database already up to date)
    std::function<void(const std::string& step)> beforeStep;
    std::function<void(ReconnectMoment, const std::string&)> onReconnect;
    RunDriver* running = nullptr;  // the driver while run() runs
};

// Only the steps before the first reconnect point send a statement.
std::set<std::string> stepsAfterTheFirstReconnect() {
    std::set<std::string> steps;
    bool reconnected = false;
    for (const auto& entry : StepListFor("Tamrix2")) {
        if (entry.isReconnectPoint()) reconnected = true;
        else if (reconnected) steps.insert(std::string(entry.step));
    }
    return steps;
}

TEST(RunDriverLock, IsTakenOnceOnASessionOfItsOwnBeforeTheConnectionAndKeptAcrossEveryReconnect) {
    const struct {
        const char* what;
        bool silentAfterTheFirstReconnect;
    } cases[] = {{"every step sends", false}, {"nothing is sent after the first reconnect", true}};
    for (const auto& c : cases) {
        LockedRun run;
        if (c.silentAfterTheFirstReconnect) run.silentSteps = stepsAfterTheFirstReconnect();
        run.run();
        EXPECT_TRUE(run.heldWhileSending) << c.what;
        EXPECT_EQ(run.locks.holder, nullptr) << c.what;
        // The lock's session opens first and closes last; the run's own
        // connection reconnects four times meanwhile and is never asked
        // about the lock.
        Strings expected{"open lock", "take", "open run"};
        for (int i = 0; i < 4; ++i) expected.insert(expected.end(), {"close run", "open run"});
        expected.insert(expected.end(), {"release", "close lock"});
        EXPECT_EQ(run.locks.events, expected) << c.what;
        // No statement of the run: neither the log nor the statement count shows it.
        for (const auto& sql : run.logged) EXPECT_FALSE(mentions(sql, "applock")) << sql;
        const Strings lines = run.recordLines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), R"({"note":"run lock taken"})"), 1) << c.what;
        EXPECT_TRUE(mentions(lines.back(), R"("result":"success","statements":)" + std::to_string(run.logged.size())))
            << lines.back();
        EXPECT_EQ(run.display.successMessages.size(), 1u) << c.what;
    }
}

TEST(RunDriverLock, ARefusedRunOpensNothingMoreSendsNothingAndSaysWhy) {
    LockedRun run;
    LockingSession other(run.locks);
    RunLock held(other);
    takeLock(held);
    run.locks.events.clear();
    try {
        run.run();
        FAIL() << "the run was not refused";
    } catch (const RunLockRefused& e) {
        EXPECT_TRUE(mentions(e.what(), "Another upgrade of this database is running")) << e.what();
    }
    EXPECT_EQ(run.locks.events, (Strings{"open lock", "take", "holder", "close lock"}))
        << "the run's own connection is never opened";
    EXPECT_TRUE(run.logged.empty());
    EXPECT_TRUE(run.display.successMessages.empty());
    EXPECT_TRUE(held.held());
    const Strings lines = run.recordLines();
    EXPECT_TRUE(mentions(lines.back(), R"("result":"failed","stoppedIn":"opening the connection")")) << lines.back();
    EXPECT_TRUE(mentions(lines.back(), "Another upgrade of this database is running")) << lines.back();
}

// The moments where a lock taken again after each reconnect could be lost
// to another run: that one is refused there and this one completes.
TEST(RunDriverLock, ASecondRunAtEachReconnectIsRefusedAndTheFirstCompletes) {
    LockedRun first;
    Strings refusedAt;
    first.onReconnect = [&](ReconnectMoment moment, const std::string& afterStep) {
        LockedRun second;
        // The second run's server is the first's.
        LockingSession secondSession(first.locks, {{{"LOGIN", {"ID"}}}, {}});
        RunDriver driver(secondSession, second.progress, second.registry, second.options, &second.records);
        try {
            driver.RunWithConnectionText("Tamrix2", "connection");
            ADD_FAILURE() << "a second run was not refused after " << afterStep;
        } catch (const RunLockRefused&) {
            refusedAt.push_back((moment == ReconnectMoment::Closed ? "closed after " : "reopened after ") + afterStep);
        }
        EXPECT_TRUE(secondSession.statements().empty());
    };
    first.run();
    EXPECT_EQ(refusedAt.size(), 8u) << "two moments at each of four reconnect points";
    EXPECT_TRUE(first.heldWhileSending);
    EXPECT_EQ(first.display.successMessages.size(), 1u);
    EXPECT_TRUE(mentions(first.recordLines().back(), R"("result":"success")"));
}

TEST(RunDriverLock, ALostLockSessionStopsTheRunBeforeItsNextStatement) {
    LockedRun run;
    run.beforeStep = [&](const std::string& step) {
        if (step != "Login") return;
        ASSERT_EQ(run.locks.lockSessions.size(), 1u);
        run.locks.lockSessions.front()->lose();
        run.locks.lockSessions.front()->waitUntilTheWatchFoundItLost();
    };
    try {
        run.run();
        FAIL() << "the run went on without its lock";
    } catch (const RunLockLost& e) {
        EXPECT_TRUE(mentions(e.what(), "stopped before its next statement")) << e.what();
    }
    EXPECT_TRUE(std::none_of(run.logged.begin(), run.logged.end(),
                             [](const std::string& sql) { return mentions(sql, "'Login'"); }));
    EXPECT_TRUE(run.display.successMessages.empty());
    const Strings lines = run.recordLines();
    EXPECT_TRUE(mentions(lines.back(), R"("result":"failed","stoppedIn":"Login","errorClass":"RunLockLost")"))
        << lines.back();
}

TEST(RunDriverLock, AFailedRunGivesTheLockBackAndClosesItsSession) {
    LockedRun run;
    run.beforeStep = [](const std::string& step) {
        if (step == "Login") throw DatabaseError("DatabaseError", "step failed");
    };
    EXPECT_THROW(run.run(), DatabaseError);
    EXPECT_TRUE(run.session.isOpen());
    EXPECT_EQ(run.locks.holder, nullptr);
    EXPECT_EQ(run.locks.events.back(), "close lock");
    EXPECT_EQ(run.locks.events[run.locks.events.size() - 2], "release");
}

// requestStop, as a signal's thread calls it, at the moments a run can be
// stopped: before a step's statement (sent nothing of the step), with the
// statement under way (cancelled: the database answers with an error), and
// with whole steps (the step rolled back).
TEST(RunDriverStop, StopsBeforeTheNextStatementAndSaysInWhichStep) {
    const struct {
        const char* what;
        bool underWay;
        bool wholeSteps;
        StopCause cause;
        const char* stoppedBy;
        const char* tail;  // the end of the message
    } cases[] = {
        {"between statements", false, false, StopCause::Interrupt, "SIGINT",
         "What it sent before it stopped stays applied; run the upgrade again to complete it."},
        {"with the statement under way", true, false, StopCause::Terminate, "SIGTERM",
         "What it sent before it stopped stays applied; run the upgrade again to complete it."},
        {"with whole steps", true, true, StopCause::Interrupt, "SIGINT",
         "The step \"Login\" was rolled back: its tables are as they were before it."},
    };
    for (const auto& c : cases) {
        LockedRun run;
        run.wholeSteps = c.wholeSteps;
        run.beforeStep = [&](const std::string& step) {
            if (step != "Login") return;
            run.running->requestStop(c.cause);
            // A statement under way answers its cancellation with an error.
            if (c.underWay) throw DatabaseError("OdbcError", "[FreeTDS][SQL Server]Operation was cancelled");
        };
        try {
            run.run();
            ADD_FAILURE() << c.what << ": not stopped";
        } catch (const RunInterrupted& e) {
            EXPECT_EQ(e.cause(), c.cause) << c.what;
            const std::string message = e.what();
            EXPECT_TRUE(message.starts_with("The upgrade was stopped by " + StopCauseText(c.cause) +
                                            " in the step \"Login\"."))
                << c.what << ": " << message;
            EXPECT_TRUE(message.ends_with(c.tail)) << c.what << ": " << message;
        }
        EXPECT_EQ(run.session.cancels, 1) << c.what;
        EXPECT_TRUE(std::none_of(run.logged.begin(), run.logged.end(),
                                 [](const std::string& sql) { return mentions(sql, "'Login'"); }))
            << c.what;
        EXPECT_EQ(run.locks.holder, nullptr) << c.what;
        const Strings lines = run.recordLines();
        EXPECT_TRUE(mentions(lines.back(), std::string(R"("result":"interrupted","stoppedIn":"Login","by":")") +
                                               c.stoppedBy + "\""))
            << c.what << ": " << lines.back();
        EXPECT_EQ(run.records.list().front().result, "interrupted") << c.what;
    }
}

// A stop while the run's connection opens (a safety copy's backup under
// way, cancelled) ends the run as interrupted before anything is sent.
TEST(RunDriverStop, WhileTheConnectionOpensEndsTheRunWithNothingSent) {
    LockedRun run;
    run.session.onNextOpen = [&run] {
        run.running->requestStop(StopCause::Interrupt);
        throw DatabaseError("OdbcError", "[FreeTDS][SQL Server]Operation was cancelled");
    };
    try {
        run.run();
        FAIL() << "not stopped";
    } catch (const RunInterrupted& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The upgrade was stopped by an interrupt (Ctrl-C, SIGINT) (opening the connection). Nothing was "
                  "sent; the database is as it was.");
    }
    EXPECT_TRUE(run.logged.empty());
    EXPECT_EQ(run.locks.holder, nullptr);
    const Strings lines = run.recordLines();
    EXPECT_TRUE(mentions(lines.back(), R"("result":"interrupted","stoppedIn":"opening the connection","by":"SIGINT")"))
        << lines.back();
}

}  // namespace
}  // namespace orvel
