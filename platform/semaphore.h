// A counting semaphore with a maximum count, and a guard that holds one unit.
// Any thread may release a unit that another thread acquired.
#pragma once

#include <memory>

class Semaphore {
public:
    Semaphore(unsigned initialCount, unsigned maximumCount);
    ~Semaphore();
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    // Waits without time-out until a unit is free and takes it.
    void Acquire();
    // Gives one unit back. Returns false, changing nothing, when the count is
    // already at its maximum.
    bool Release();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Holds one unit of a semaphore for its own lifetime.
class SemaphoreHold {
public:
    explicit SemaphoreHold(Semaphore& semaphore) : m_semaphore(semaphore) { m_semaphore.Acquire(); }
    ~SemaphoreHold() { (void)m_semaphore.Release(); }
    SemaphoreHold(const SemaphoreHold&) = delete;
    SemaphoreHold& operator=(const SemaphoreHold&) = delete;

private:
    Semaphore& m_semaphore;
};
