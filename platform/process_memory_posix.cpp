// Peak resident memory from getrusage, whose ru_maxrss Linux gives in KiB.
#include <sys/resource.h>

#include "platform/process_memory.h"

std::size_t PeakResidentBytes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0 || usage.ru_maxrss < 0) return 0;
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}
