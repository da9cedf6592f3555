// The process environment.
#pragma once

#include <optional>
#include <string>

// The value of an environment variable, decoded from UTF-8; nothing when it
// is not set.
[[nodiscard]] std::optional<std::wstring> GetEnvironmentText(const char* name);

// Sets a variable of this process to value (encoded as UTF-8), or removes it.
// Not safe while another thread reads the environment: for start-up and tests.
bool SetEnvironmentText(const char* name, const std::wstring& value);
bool UnsetEnvironmentVariable(const char* name);

// The full path of the running program's file.
[[nodiscard]] std::wstring RunningProgramPath();

// The process's current folder, decoded from UTF-8; empty when it cannot be
// read (it was removed, or its path is too long).
[[nodiscard]] std::wstring CurrentFolder();

// The folder for temporary files: TEMP if set, else TMPDIR, else /tmp.
[[nodiscard]] std::wstring TemporaryFolder();
