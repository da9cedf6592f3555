// Carrying a call from a scan thread over to the UI thread and waiting for it,
// the way a window's synchronous messages behave: the caller blocks until the
// UI thread has run the call. Any thread may call these.
#pragma once

#include <QObject>
#include <functional>

// Runs call on the thread of context (an object of the UI thread) and returns
// once it has run. On that thread itself, call runs at once. Returns false,
// without running call, when context is destroyed before the call reaches
// it. An exception call throws is rethrown to the caller.
bool RunOnUiThread(QObject* context, const std::function<void()>& call);

// The same with the application object as the context.
bool RunOnUiThread(const std::function<void()>& call);
