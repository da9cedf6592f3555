// Starting threads. Threads here are detached: nobody joins them, and a thread
// that cannot be created is reported as a value, never as an exception.
#pragma once

#include <functional>

// Starts body on a new detached thread with the default stack size. Returns
// false, and runs nothing, when the system cannot create the thread. body must
// not let an exception escape: that would end the program.
[[nodiscard]] bool StartDetachedThread(std::function<void()> body);
