// The test gate.
#include "testing/gate.h"

void Gate::Pass() {
    std::unique_lock lock(m_mutex);
    ++m_waiting;
    ++m_arrivals;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_open || m_passes > 0; });
    if (!m_open) --m_passes;
    --m_waiting;
    m_changed.notify_all();
}

void Gate::Open() {
    std::lock_guard lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
}

void Gate::LetOneThrough() {
    std::lock_guard lock(m_mutex);
    ++m_passes;
    m_changed.notify_all();
}

bool Gate::WaitForWaiting(unsigned count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_waiting >= count; });
}

bool Gate::WaitForArrivals(unsigned count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_arrivals >= count; });
}
