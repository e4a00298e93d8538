// The stop signals as the command line receives them: SIGINT and SIGTERM
// sent to the process reach the listener's function, with the cause and
// exit code of each, and nothing else happens to the process; once the
// listener is gone the signals are no longer held back.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "upgrade/StopSignals.h"

namespace orvel {
namespace {

TEST(StopSignals, EachSignalReachesTheListenerWithItsCauseAndExitCode) {
    const struct {
        int signal;
        StopCause cause;
        int exitCode;
        const char* name;
    } cases[] = {
        {SIGINT, StopCause::Interrupt, 130, "SIGINT"},
        {SIGTERM, StopCause::Terminate, 143, "SIGTERM"},
    };
    for (const auto& c : cases) {
        std::mutex mutex;
        std::condition_variable arrived;
        std::vector<StopCause> causes;
        {
            const StopSignalListener listener([&](StopCause cause) {
                const std::lock_guard lock(mutex);
                causes.push_back(cause);
                arrived.notify_all();
            });
            // Sent to the process, as a shell or a service manager sends it.
            ASSERT_EQ(kill(getpid(), c.signal), 0);
            std::unique_lock lock(mutex);
            ASSERT_TRUE(arrived.wait_for(lock, std::chrono::seconds(10), [&] { return !causes.empty(); }))
                << c.name;
        }
        EXPECT_EQ(causes, std::vector<StopCause>{c.cause}) << c.name;
        EXPECT_EQ(ExitCodeFor(c.cause), c.exitCode) << c.name;
        EXPECT_EQ(StopCauseName(c.cause), c.name);
        // No longer blocked in this thread.
        sigset_t blocked;
        pthread_sigmask(SIG_BLOCK, nullptr, &blocked);
        EXPECT_FALSE(sigismember(&blocked, c.signal)) << c.name;
    }
}

}  // namespace
}  // namespace orvel
