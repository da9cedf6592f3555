// RunOnUiThread: a direct call on the UI thread, else a blocking queued call.
#include "ui/framework/run_on_ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <exception>

bool RunOnUiThread(QObject* context, const std::function<void()>& call) {
    if (QThread::currentThread() == context->thread()) {
        call();
        return true;
    }
    // Exceptions must not unwind through the event loop: carry them back.
    bool ran = false;
    std::exception_ptr failure;
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
    if (failure) std::rethrow_exception(failure);
    return ran;
}

bool RunOnUiThread(const std::function<void()>& call) {
    return RunOnUiThread(QCoreApplication::instance(), call);
}
