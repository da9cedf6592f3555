// Pure functions on URLs and paths: folder, host, request path and file
// name, and the removal of dot segments and fragments that makes one text
// of the many that name a page. They share nothing between calls, so any
// thread may use them.
#pragma once

#include <cstddef>
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

// The path with its "." and ".." segments removed ("/" separates segments).
// A ".." takes away the segment before it; it never climbs above the root of
// an absolute path, while a relative path keeps the ".." that climb above its
// start, and a leading "./". A path without dot segments comes back as it is.
[[nodiscard]] std::string RemoveDotSegments(std::string_view path);
[[nodiscard]] std::wstring RemoveDotSegmentsW(std::wstring_view path);

// A web address as it is queued, requested and shown: without its fragment
// (from the first "#"), and with the dot segments of its path removed. The
// query is kept as written.
[[nodiscard]] std::string NormaliseWebAddress(std::string_view address);

// Where the query or fragment of a link value begins (its first "?" or "#"),
// or the value's length when it has neither.
[[nodiscard]] std::size_t QueryOrFragmentStart(std::string_view value);
