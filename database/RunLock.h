// One upgrade run per database at a time.
//
// Two runs on one database test and change the same tables; the second would
// fail on a column the first just added, or both would half-apply a key
// rebuild.  So a run takes an exclusive application lock on its database as
// soon as its connection opens (and again after every reconnect), owned by
// its session: a run that dies, or whose session is ended, leaves no lock
// behind.  The lock is asked for without waiting; when another session holds
// it the run fails at once, saying who holds it where the server tells.
//
// The lock is no statement of the run: it is asked of the connection itself,
// below the statement log, so plans, logs and statement counts never show
// it.  A database that gives no such lock (an Access file, the simulator, a
// server without application locks) runs without one; take() says which.
#pragma once

#include <stdexcept>
#include <string>

#include "database/Database.h"

namespace orvel {

// Another session holds the lock: another upgrade of this database runs.
class RunLockRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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

class RunLock {
public:
    // `connection`: the database itself, not a statement log in front of it.
    explicit RunLock(Database& connection) : connection_(connection) {}
    ~RunLock() { release(); }
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Takes the lock on the open connection.  Returns what a record says of
    // it: that it was taken, or why the run goes on without one.  Throws
    // RunLockRefused when another session holds it.
    std::string take();

    // Gives the lock back when this object holds it; never throws (a
    // connection that is gone took the lock with it).
    void release() noexcept;

    bool held() const noexcept { return held_; }

private:
    Database& connection_;
    bool held_ = false;
};

}  // namespace orvel
