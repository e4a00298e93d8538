// Taking, refusing, watching and giving back the run lock with SQL Server's
// application locks on a session of its own, and asking the server who
// holds it.
#include "database/RunLock.h"

#include <charconv>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "database/ConnectionText.h"

namespace orvel {

namespace {

// What the driver of a server with application locks calls its product.
constexpr const char* kSqlServerProduct = "Microsoft SQL Server";

// The lock's name: this prefix and the database's name.  SQL Server scopes
// application locks to the database they are taken in; a server that keeps
// them server-wide would otherwise let runs on two of its databases refuse
// each other.  The server's list of locks shows the first 32 characters, so
// the holder is looked for by the prefix.
constexpr std::string_view kResourcePrefix = "orvel-updater run ";

std::string declareResource() {
    return "DECLARE @resource nvarchar(255); SET @resource = N'" + std::string(kResourcePrefix) + "' + DB_NAME(); ";
}

// Answers sp_getapplock's return code: 0 or 1 granted, any negative value
// not (SQL Server: -1 timed out, -2 cancelled, -3 deadlock; others -999).
std::string takeLock() {
    return declareResource() +
           "DECLARE @r int; EXEC @r = sp_getapplock @Resource = @resource, @LockMode = 'Exclusive', "
           "@LockOwner = 'Session', @LockTimeout = 0; SELECT @r";
}

std::string releaseLock() {
    return declareResource() + "EXEC sp_releaseapplock @Resource = @resource, @LockOwner = 'Session'";
}

// The session that holds the lock in this database: its computer, program
// and sign-in time.  Servers without the lock views refuse the question.
std::string askHolderOnSqlServer() {
    return "SELECT TOP (1) s.host_name, s.program_name, CONVERT(varchar(19), s.login_time, 120) "
           "FROM sys.dm_tran_locks AS l "
           "JOIN sys.dm_exec_sessions AS s ON s.session_id = l.request_session_id "
           "WHERE l.resource_type = N'APPLICATION' AND l.resource_database_id = DB_ID() "
           "AND l.request_owner_type = N'SESSION' AND l.request_status = N'GRANT' "
           "AND l.resource_description LIKE N'%" +
           std::string(kResourcePrefix) + "%' AND l.request_session_id <> @@SPID";
}

// The single value of a one-row, one-column answer; nothing otherwise.
std::optional<std::string> singleValue(const std::vector<ResultSet>& results) {
    if (results.size() != 1 || results.front().rows.size() != 1 || results.front().rows.front().size() != 1)
        return std::nullopt;
    return results.front().rows.front().front();
}

// sp_getapplock's return code; nothing when the answer is no number.
std::optional<int> returnCode(const std::string& answer) {
    int code = 0;
    const auto [end, error] = std::from_chars(answer.data(), answer.data() + answer.size(), code);
    if (error != std::errc() || end != answer.data() + answer.size()) return std::nullopt;
    return code;
}

// What the server tells of the holder; whatever it cannot tell left empty.
// Never throws: the refusal is the run's answer, the holder a courtesy.
RunLockHolder askHolder(Database& connection) noexcept {
    RunLockHolder holder;
    try {
        const auto results = connection.readResults(askHolderOnSqlServer());
        if (results.empty() || results.front().rows.empty()) return holder;
        const ResultSet::Row& row = results.front().rows.front();
        std::string* fields[] = {&holder.computer, &holder.program, &holder.since};
        for (std::size_t i = 0; i < row.size() && i < std::size(fields); ++i) *fields[i] = row[i].value_or("");
    } catch (...) {
        // The question failed (the server has no lock views): the message
        // goes without the details.
    }
    return holder;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string RunLockRefusedMessage(const RunLockHolder& holder) {
    std::string message = "Another upgrade of this database is running";
    if (const auto computer = trimmed(holder.computer); !computer.empty())
        message += ", from the computer \"" + computer + "\"";
    if (const auto program = trimmed(holder.program); !program.empty())
        message += ", by the program \"" + program + "\"";
    if (const auto since = trimmed(holder.since); !since.empty())
        message += ", connected since " + since + " (server time)";
    return message + ". Start this upgrade again when that one has ended.";
}

RunLockLost::RunLockLost(const std::string& reason)
    : DatabaseError("RunLockLost",
                    "This run's lock on the database was lost with the connection that held it, so another "
                    "upgrade could start: the run stopped before its next statement. Start it again when no "
                    "other upgrade of this database is running. The connection's last answer:\n" +
                        reason) {}

const Database* RunLock::openSession(const std::string& connectionText) {
    release();
    if (DescribeConnectionText(connectionText).file) {
        noSession_ = "an Access file gives no application lock";
        return nullptr;
    }
    session_ = connection_.newSession();
    if (!session_) {
        noSession_ = "this database gives no application lock";
        return nullptr;
    }
    try {
        session_->open(connectionText);
    } catch (...) {
        session_.reset();
        throw;
    }
    return session_.get();
}

std::string RunLock::take() {
    if (!session_) return "no run lock: " + (noSession_.empty() ? std::string("no session was opened for it") : noSession_) +
                          "; the run goes on without one";
    Database& session = *session_;
    const auto identity = session.serverIdentity();
    if (!identity || identity->product != kSqlServerProduct) {
        closeSession();
        return "no run lock: " +
               (identity ? "the database (" + identity->product + ")" : std::string("this database")) +
               " gives no application lock; the run goes on without one";
    }
    std::optional<int> code;
    try {
        if (const auto answer = singleValue(session.readResults(takeLock()))) code = returnCode(*answer);
    } catch (const DatabaseError& e) {
        closeSession();
        return std::string("no run lock: the server refused to give one (") + e.what() +
               "); the run goes on without one";
    }
    if (!code) {
        closeSession();
        return "no run lock: the server's answer to the request for one is no number; the run goes on without one";
    }
    if (*code < 0) {
        const RunLockHolder holder = askHolder(session);
        closeSession();
        throw RunLockRefused(RunLockRefusedMessage(holder));
    }
    held_ = true;
    startWatch();
    return "run lock taken";
}

void RunLock::startWatch() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = false;
        lost_.reset();
    }
    watcher_ = std::thread([this] { watch(); });
}

void RunLock::watch() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, watchInterval_, [this] { return stopping_; })) {
        lock.unlock();
        try {
            session_->readResults(kRunLockWatchQuestion);
        } catch (const std::exception& e) {
            lock.lock();
            // A question cancelled because the run is ending is no loss.
            if (!stopping_) lost_ = e.what();
            return;
        }
        lock.lock();
    }
}

void RunLock::throwIfLost() const {
    const std::lock_guard lock(mutex_);
    if (lost_) throw RunLockLost(*lost_);
}

void RunLock::closeSession() noexcept {
    if (!session_) return;
    try {
        session_->close();
    } catch (...) {
        // Closing a session that is gone has nothing left to do.
    }
    session_.reset();
}

void RunLock::release() noexcept {
    if (watcher_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        // A question under way that the server does not answer must not
        // hold up the end of the run.
        session_->cancel();
        watcher_.join();
    }
    if (held_) {
        held_ = false;
        try {
            // Given back before closing: a driver that pools connections
            // keeps the session, and a session's lock, past a close.
            if (session_->isOpen()) session_->readResults(releaseLock());
        } catch (...) {
            // The session, and the lock with it, is gone.
        }
    }
    closeSession();
}

}  // namespace orvel
