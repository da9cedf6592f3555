// Peak resident memory from getrusage, whose ru_maxrss Linux gives in KiB;
// another process's processor time from /proc/<id>/stat.
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/process_memory.h"

std::size_t PeakResidentBytes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0 || usage.ru_maxrss < 0) return 0;
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

double ProcessCpuSeconds(int processId) {
    std::ifstream stat("/proc/" + std::to_string(processId) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return -1;
    // The name in parentheses may hold blanks: fields are counted after it.
    const std::size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos) return -1;
    std::istringstream fields(line.substr(nameEnd + 2));
    std::string field;
    // State is field 3; user and system time are fields 14 and 15.
    for (int number = 3; number < 14 && fields >> field; ++number) {
    }
    unsigned long long user = 0;
    unsigned long long system = 0;
    if (!(fields >> user >> system)) return -1;
    const long ticks = ::sysconf(_SC_CLK_TCK);
    return ticks > 0 ? static_cast<double>(user + system) / static_cast<double>(ticks) : -1;
}
