// RunOnUiThread from the UI thread and from another thread.
#include "ui/framework/run_on_ui_thread.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

// Serves the UI thread's events until done is set or 10 s have passed.
void ServeEventsUntil(const std::atomic<bool>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

}  // namespace

TEST(RunOnUiThread, OnTheUiThreadRunsAtOnce) {
    bool ran = false;
    EXPECT_TRUE(RunOnUiThread([&] { ran = true; }));
    EXPECT_TRUE(ran);
}

TEST(RunOnUiThread, FromAnotherThreadRunsOnTheUiThreadAndWaitsForIt) {
    QThread* uiThread = QThread::currentThread();
    QThread* ranOn = nullptr;
    int valueSeenAfterReturn = 0;
    int value = 0;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        RunOnUiThread([&] {
            ranOn = QThread::currentThread();
            value = 42;
        });
        // The call has finished before RunOnUiThread returns.
        valueSeenAfterReturn = value;
        done = true;
    });
    ServeEventsUntil(done);
    worker.join();
    EXPECT_EQ(ranOn, uiThread);
    EXPECT_EQ(valueSeenAfterReturn, 42);
}

TEST(RunOnUiThread, ExceptionReachesTheCallingThread) {
    std::atomic<bool> done{false};
    std::string caught;
    std::thread worker([&] {
        try {
            RunOnUiThread([] { throw std::runtime_error("table full"); });
        } catch (const std::runtime_error& error) {
            caught = error.what();
        }
        done = true;
    });
    ServeEventsUntil(done);
    worker.join();
    EXPECT_EQ(caught, "table full");
}
