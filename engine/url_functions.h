// Pure functions on URLs and paths: folder, host, request path and file
// name. They only cut and join text (no normalisation) and share nothing
// between calls, so any thread may use them.
#pragma once

#include <string>
#include <string_view>

// The text up to and including its last "/" or backslash; the text itself
// when it has neither. A result of exactly "http://" becomes text + "/".
[[nodiscard]] std::string GetUrlFolder(std::string_view text);
[[nodiscard]] std::wstring GetUrlFolderW(std::wstring_view text);

// The text without a leading "http://", cut before its first "/". A port or
// user part stays.
[[nodiscard]] std::string GetUrlHost(std::string_view text);
[[nodiscard]] std::wstring GetUrlHostW(std::wstring_view text);

// The text without a leading "http://", from its first "/" on; "/" when it
// has none. Query and fragment stay.
[[nodiscard]] std::string GetUrlRequestPath(std::string_view text);

// The text after its last "/" or backslash; the text itself when it has neither.
[[nodiscard]] std::wstring GetUrlFileNameW(std::wstring_view text);
