// Semaphores on POSIX unnamed semaphores. The maximum is kept by a mutex
// around the release, since sem_post has no maximum of its own.
#include <semaphore.h>

#include <cerrno>
#include <mutex>
#include <system_error>

#include "platform/semaphore.h"

struct Semaphore::Impl {
    sem_t semaphore;
    unsigned maximumCount;
    std::mutex releaseMutex;
};

Semaphore::Semaphore(unsigned initialCount, unsigned maximumCount)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->maximumCount = maximumCount;
    if (sem_init(&m_impl->semaphore, 0, initialCount) != 0) {
        throw std::system_error(errno, std::generic_category(), "sem_init");
    }
}

Semaphore::~Semaphore() { sem_destroy(&m_impl->semaphore); }

void Semaphore::Acquire() {
    while (sem_wait(&m_impl->semaphore) != 0 && errno == EINTR) {
    }
}

bool Semaphore::Release() {
    std::lock_guard lock(m_impl->releaseMutex);
    int count = 0;
    sem_getvalue(&m_impl->semaphore, &count);
    if (count >= static_cast<int>(m_impl->maximumCount)) return false;
    return sem_post(&m_impl->semaphore) == 0;
}
