// What stops a run from outside the program: Ctrl-C, and what a service
// manager or a closing console sends.
//
// The command line listens for them for as long as a run lasts and passes
// each to the run driver, which cancels the statement under way and stops
// before the next (RunDriver::requestStop).  Nothing here stops anything by
// itself: the process never ends in the middle of a write, a record or a
// transaction.  On POSIX systems SIGINT and SIGTERM are blocked in every
// thread and taken by one listening thread; on Windows a console control
// handler takes Ctrl-C and Ctrl-Break, and the closing of the console, the
// user's logging off and the system's shutting down (for these Windows ends
// the process once the handler returns, or after a few seconds, so the
// handler waits for the program to end by itself).  The window listens for
// nothing: a run there takes no input until it ends.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace orvel {

enum class StopCause {
    None,
    Interrupt,  // SIGINT; Ctrl-C or Ctrl-Break on Windows
    Terminate,  // SIGTERM; the console closed, logging off or shutting down on Windows
};

// The exit code of a run stopped this way: 128 + the signal's number, as a
// shell reports a process ended by it (130 for SIGINT, 143 for SIGTERM).
int ExitCodeFor(StopCause cause);

// "SIGINT", "SIGTERM": the cause as a record names it.
std::string StopCauseName(StopCause cause);

// The cause as the user reads it: "an interrupt (Ctrl-C, SIGINT)".
std::string StopCauseText(StopCause cause);

class StopSignalListener {
public:
    // `onStop` is called, on a thread of the listener's own, with each
    // signal that arrives while this object lives.
    explicit StopSignalListener(std::function<void(StopCause)> onStop);
    // Stops listening; on POSIX systems the signals are unblocked again.
    ~StopSignalListener();
    StopSignalListener(const StopSignalListener&) = delete;
    StopSignalListener& operator=(const StopSignalListener&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace orvel
