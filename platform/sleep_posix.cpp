// Sleeping with nanosleep, resumed after signals so the full time passes.
#include <time.h>

#include <cerrno>

#include "platform/sleep.h"

void SleepMilliseconds(unsigned milliseconds) {
    timespec remaining{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}
