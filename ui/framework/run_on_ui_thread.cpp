// RunOnUiThread: a direct call on the UI thread, else a blocking queued call
// that waits first while the UI thread holds calls back.
#include "ui/framework/run_on_ui_thread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>

namespace {

// Shared by every caller: whether calls are held, how many have been let
// through and not yet returned, and how many wait for the hold to end.
struct CallGate {
    std::mutex mutex;
    std::condition_variable changed;
    int holds = 0;
    int inFlight = 0;
    int waiting = 0;
};

CallGate& Gate() {
    static CallGate gate;
    return gate;
}

// Lets the caller through once no hold is in force, counted as in flight.
void EnterGate() {
    CallGate& gate = Gate();
    std::unique_lock lock(gate.mutex);
    ++gate.waiting;
    gate.changed.wait(lock, [&] { return gate.holds == 0; });
    --gate.waiting;
    ++gate.inFlight;
}

void LeaveGate() {
    CallGate& gate = Gate();
    {
        std::lock_guard lock(gate.mutex);
        --gate.inFlight;
    }
    gate.changed.notify_all();
}

}  // namespace

bool RunOnUiThread(QObject* context, const std::function<void()>& call) {
    if (QThread::currentThread() == context->thread()) {
        call();
        return true;
    }
    // Exceptions must not unwind through the event loop: carry them back.
    bool ran = false;
    std::exception_ptr failure;
    EnterGate();
    QMetaObject::invokeMethod(
        context,
        [&] {
            ran = true;
            try {
                call();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    LeaveGate();
    if (failure) std::rethrow_exception(failure);
    return ran;
}

bool RunOnUiThread(const std::function<void()>& call) {
    return RunOnUiThread(QCoreApplication::instance(), call);
}

CUiCallHold::CUiCallHold() {
    CallGate& gate = Gate();
    std::unique_lock lock(gate.mutex);
    ++gate.holds;
    // A call let through just before may not have been handed over yet: run
    // each one as it arrives, so that none runs while the hold lasts.
    while (gate.inFlight > 0) {
        lock.unlock();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        lock.lock();
        gate.changed.wait_for(lock, std::chrono::milliseconds(1),
                              [&] { return gate.inFlight == 0; });
    }
}

CUiCallHold::~CUiCallHold() {
    CallGate& gate = Gate();
    {
        std::lock_guard lock(gate.mutex);
        --gate.holds;
    }
    gate.changed.notify_all();
}

bool UiCallsHeld() {
    CallGate& gate = Gate();
    std::lock_guard lock(gate.mutex);
    return gate.holds > 0;
}

int CallsWaitingForUiThread() {
    CallGate& gate = Gate();
    std::lock_guard lock(gate.mutex);
    return gate.waiting;
}
