// Memory bounds for tests that measure the process's peak memory. A
// sanitizer build keeps shadow memory beside every byte the program touches
// (and AddressSanitizer holds freed blocks in quarantine for a while), so a
// bound that fits a plain build is widened there rather than dropped.
#pragma once

#include <cstddef>

#include "platform/process_memory.h"

inline constexpr std::size_t kMiB = 1024 * 1024;

// ThreadSanitizer makes every byte a single thread reads many times dearer,
// so the largest inputs are scaled down there: that build looks for races,
// which the size of an input does not change.
#if defined(__SANITIZE_THREAD__)
inline constexpr bool kThreadSanitizerBuild = true;
#else
inline constexpr bool kThreadSanitizerBuild = false;
#endif

[[nodiscard]] constexpr std::size_t MemoryBound(std::size_t plainBuildBytes) {
#if defined(__SANITIZE_THREAD__)
    return plainBuildBytes * 6;
#elif defined(__SANITIZE_ADDRESS__)
    return plainBuildBytes * 2 + 256 * kMiB;
#else
    return plainBuildBytes;
#endif
}

// How far the process's peak memory has risen since the watch was made.
class PeakMemoryWatch {
public:
    PeakMemoryWatch() : m_start(PeakResidentBytes()) {}
    [[nodiscard]] std::size_t Growth() const { return PeakResidentBytes() - m_start; }

private:
    std::size_t m_start;
};
