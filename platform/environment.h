// The process environment.
#pragma once

#include <optional>
#include <string>

// The value of an environment variable, decoded from UTF-8; nothing when it
// is not set.
[[nodiscard]] std::optional<std::wstring> GetEnvironmentText(const char* name);
