// A gate that test threads wait at until the test opens it, with a count of
// the threads waiting, so a test can hold checks in flight and look at the
// scan meanwhile.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class Gate {
public:
    // Blocks until the gate is open. Counts the caller as waiting meanwhile.
    void Pass();
    // Lets every waiting and future caller through.
    void Open();
    // Lets one waiting caller through (the gate stays closed for the others).
    void LetOneThrough();
    // Waits until at least count callers are waiting; false on time-out.
    [[nodiscard]] bool WaitForWaiting(unsigned count, std::chrono::milliseconds timeout);
    // Waits until at least count callers have arrived in all; false on time-out.
    [[nodiscard]] bool WaitForArrivals(unsigned count, std::chrono::milliseconds timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    unsigned m_waiting = 0;
    unsigned m_arrivals = 0;
    unsigned m_passes = 0;
};
