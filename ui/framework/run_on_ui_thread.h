// Carrying a call from a scan thread over to the UI thread and waiting for it,
// the way a window's synchronous messages behave: the caller blocks until the
// UI thread has run the call. Any thread may call these. While the UI thread
// waits for something of its own (an editor), it can hold those calls back.
#pragma once

#include <QObject>
#include <functional>

// Runs call on the thread of context (an object of the UI thread) and returns
// once it has run. On that thread itself, call runs at once. Returns false,
// without running call, when context is destroyed before the call reaches
// it. An exception call throws is rethrown to the caller. While the calls
// are held, a caller on another thread waits before its call is handed over.
bool RunOnUiThread(QObject* context, const std::function<void()>& call);

// The same with the application object as the context.
bool RunOnUiThread(const std::function<void()>& call);

// Holds calls from other threads back for as long as it lives: the UI thread
// may then serve its events (paint, answer the desktop) without running any
// of them; they run once it is gone, each caller's in its order. Calls handed
// over before it was made have run when its constructor returns. UI thread.
class CUiCallHold {
public:
    CUiCallHold();
    ~CUiCallHold();
    CUiCallHold(const CUiCallHold&) = delete;
    CUiCallHold& operator=(const CUiCallHold&) = delete;
};

// Whether a hold is in force: calls that are not handed over through
// RunOnUiThread (a queued delivery) wait for its end by this. Any thread.
[[nodiscard]] bool UiCallsHeld();

// How many callers are waiting for a hold to end.
[[nodiscard]] int CallsWaitingForUiThread();
