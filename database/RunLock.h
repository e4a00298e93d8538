// One upgrade run per database at a time.
//
// Two runs on one database test and change the same tables; the second would
// fail on a column the first just added, or both would half-apply a key
// rebuild.  So a run takes an exclusive application lock on its database on
// a session of its own, opened with the run's connection text before the
// run's own connection and kept for the whole run: the run's reconnect
// points close and reopen only the run's connection, never the lock's, so no
// other run can take the lock in between.  The lock is owned by its session:
// a run that dies, or whose lock session is ended, leaves no lock behind.
// It is asked for without waiting; when another session holds it the run
// fails at once, saying who holds it where the server tells.
//
// While the lock is held a watch asks its session, a few times a second,
// whether it is still there; once it is lost (the server restarted, the
// session ended), the run is told so before its next statement and stops.
//
// The lock is no statement of the run: the log, plans and statement counts
// never show it.  A database that gives no such lock (an Access file, the
// simulator, a server without application locks) runs without one; take()
// says which.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "database/Database.h"

namespace orvel {

// Another session holds the lock: another upgrade of this database runs.
class RunLockRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The session holding this run's lock is gone, and the lock with it.
class RunLockLost : public DatabaseError {
public:
    explicit RunLockLost(const std::string& reason);
};

// The session holding the lock, as far as the server tells.
struct RunLockHolder {
    std::string computer;
    std::string program;
    std::string since;  // when its session signed in, on the server's clock
};

// The text a refused run fails with; `holder` left empty leaves out what the
// server did not tell.
std::string RunLockRefusedMessage(const RunLockHolder& holder);

// How often the watch asks the lock's session whether it is still there.
inline constexpr std::chrono::milliseconds kRunLockWatchInterval{250};

// The question the watch asks: it changes nothing and any server answers it.
inline constexpr const char* kRunLockWatchQuestion = "SELECT 1";

class RunLock {
public:
    // `connection`: the run's own connection (open or not); the lock's
    // session is connection.newSession().
    explicit RunLock(Database& connection, std::chrono::milliseconds watchInterval = kRunLockWatchInterval)
        : connection_(connection), watchInterval_(watchInterval) {}
    ~RunLock() { release(); }
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Opens the lock's session with the text the run's connection opens
    // with, and returns it (to look at before anything is sent).  Returns
    // nothing, opening nothing, for an Access file (a second connection
    // would mark the file as in use) and for a database that gives no
    // session of its own.  A session that cannot be opened throws.
    const Database* openSession(const std::string& connectionText);

    // Takes the lock on the open session.  Returns what a record says of it:
    // that it was taken, or why the run goes on without one (the session is
    // then closed).  Throws RunLockRefused when another session holds it.
    std::string take();

    // Throws RunLockLost when the watch found the lock's session gone.
    void throwIfLost() const;

    // Gives the lock back and closes its session; never throws (a session
    // that is gone took the lock with it).
    void release() noexcept;

    bool held() const noexcept { return held_; }

private:
    void startWatch();
    void watch();
    // Closes the session without giving anything back.
    void closeSession() noexcept;

    Database& connection_;
    std::chrono::milliseconds watchInterval_;
    std::unique_ptr<Database> session_;
    std::string noSession_;  // why there is no session, when there is none
    bool held_ = false;

    std::thread watcher_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;              // guarded by mutex_
    std::optional<std::string> lost_;    // the session's failure; guarded by mutex_
};

}  // namespace orvel
