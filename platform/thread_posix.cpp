// Detached threads on std::thread, whose creation failure is a system_error.
#include <system_error>
#include <thread>

#include "platform/thread.h"

bool StartDetachedThread(std::function<void()> body) {
    try {
        std::thread(std::move(body)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
