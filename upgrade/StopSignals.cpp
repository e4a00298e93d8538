// The stop signals of each system, handed to the program on a thread that
// may do anything (no work is done inside a signal handler).
#include "upgrade/StopSignals.h"

#include <mutex>
#include <utility>

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
#else
#  include <pthread.h>
#  include <signal.h>

#  include <atomic>
#  include <thread>
#endif

namespace orvel {

int ExitCodeFor(StopCause cause) {
    switch (cause) {
        case StopCause::Interrupt: return 128 + 2;
        case StopCause::Terminate: return 128 + 15;
        case StopCause::None: break;
    }
    return 0;
}

std::string StopCauseName(StopCause cause) {
    switch (cause) {
        case StopCause::Interrupt: return "SIGINT";
        case StopCause::Terminate: return "SIGTERM";
        case StopCause::None: break;
    }
    return "";
}

std::string StopCauseText(StopCause cause) {
    switch (cause) {
        case StopCause::Interrupt: return "an interrupt (Ctrl-C, SIGINT)";
        case StopCause::Terminate: return "a request to end (SIGTERM, or the console closed)";
        case StopCause::None: break;
    }
    return "";
}

#ifdef _WIN32

namespace {

// The listener's function; the console control handler runs on a thread
// the system starts for each event, so it is reached under a lock.
std::mutex listenerMutex;
std::function<void(StopCause)>* listener = nullptr;

BOOL WINAPI onConsoleControl(DWORD event) {
    const StopCause cause =
        event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? StopCause::Interrupt : StopCause::Terminate;
    {
        const std::lock_guard lock(listenerMutex);
        if (!listener) return FALSE;
        (*listener)(cause);
    }
    // After a close, logoff or shutdown event Windows ends the process as
    // soon as this returns: wait instead, so the run stops cleanly and the
    // program ends with its own exit code (Windows ends it anyway after a
    // few seconds).
    if (cause == StopCause::Terminate) Sleep(INFINITE);
    return TRUE;
}

}  // namespace

struct StopSignalListener::State {
    std::function<void(StopCause)> onStop;
};

StopSignalListener::StopSignalListener(std::function<void(StopCause)> onStop)
    : state_(std::make_unique<State>(State{std::move(onStop)})) {
    {
        const std::lock_guard lock(listenerMutex);
        listener = &state_->onStop;
    }
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

StopSignalListener::~StopSignalListener() {
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    const std::lock_guard lock(listenerMutex);
    listener = nullptr;
}

#else

struct StopSignalListener::State {
    std::function<void(StopCause)> onStop;
    sigset_t signals{};
    sigset_t previous{};
    std::atomic<bool> ending{false};
    std::thread thread;
};

StopSignalListener::StopSignalListener(std::function<void(StopCause)> onStop)
    : state_(std::make_unique<State>()) {
    State& state = *state_;
    state.onStop = std::move(onStop);
    sigemptyset(&state.signals);
    sigaddset(&state.signals, SIGINT);
    sigaddset(&state.signals, SIGTERM);
    // Blocked in this thread, and so in every thread started after it: only
    // the listening thread takes them, and no blocking call of another
    // thread is ever interrupted by them.
    pthread_sigmask(SIG_BLOCK, &state.signals, &state.previous);
    state.thread = std::thread([&state] {
        for (;;) {
            int signal = 0;
            if (sigwait(&state.signals, &signal) != 0) continue;
            if (state.ending) return;
            state.onStop(signal == SIGINT ? StopCause::Interrupt : StopCause::Terminate);
        }
    });
}

StopSignalListener::~StopSignalListener() {
    state_->ending = true;
    // Wakes the listening thread; sent to that thread alone, it is taken
    // there and reaches no one else.
    pthread_kill(state_->thread.native_handle(), SIGTERM);
    state_->thread.join();
    pthread_sigmask(SIG_SETMASK, &state_->previous, nullptr);
}

#endif

}  // namespace orvel
