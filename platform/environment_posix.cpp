// Environment variables through getenv, setenv and unsetenv.
#include <cstdlib>

#include "platform/environment.h"
#include "platform/text_codec.h"

std::optional<std::wstring> GetEnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return FromUtf8(value);
}

bool SetEnvironmentText(const char* name, const std::wstring& value) {
    return ::setenv(name, ToUtf8(value).c_str(), 1) == 0;
}

bool UnsetEnvironmentVariable(const char* name) { return ::unsetenv(name) == 0; }
