// Ctrl-C through a SIGINT handler that only touches a lock-free flag, the
// one kind of state a signal handler may safely change.
#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "platform/interrupt.h"

namespace {

std::atomic<int> interruptCount{0};
static_assert(std::atomic<int>::is_always_lock_free);

// The status a shell reports for a program ended by Ctrl-C.
constexpr int kInterruptedStatus = 128 + SIGINT;

extern "C" void OnInterruptSignal(int) {
    if (interruptCount.fetch_add(1) > 0) ::_exit(kInterruptedStatus);
}

}  // namespace

void CatchInterrupts() {
    struct sigaction action = {};
    action.sa_handler = OnInterruptSignal;
    sigemptyset(&action.sa_mask);
    // Restart interrupted reads and writes: the program notices the flag at
    // its next look, not through a failing call.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return interruptCount.load() > 0; }
