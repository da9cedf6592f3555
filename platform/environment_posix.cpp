// Environment variables through getenv, setenv and unsetenv; the program's
// path and the current folder.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

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

std::wstring RunningProgramPath() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return L"";
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return FromUtf8(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring CurrentFolder() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() >= 1024 * 1024) return L"";
        buffer.resize(buffer.size() * 2);
    }
    return FromUtf8(buffer.data());
}

std::wstring TemporaryFolder() {
    for (const char* name : {"TEMP", "TMPDIR"}) {
        if (std::optional<std::wstring> folder = GetEnvironmentText(name)) return *folder;
    }
    return L"/tmp";
}
