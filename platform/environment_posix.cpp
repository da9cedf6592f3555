// Environment variables through getenv.
#include <cstdlib>

#include "platform/environment.h"
#include "platform/text_codec.h"

std::optional<std::wstring> GetEnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return FromUtf8(value);
}
