// Pure functions on URLs and paths: folder, host, request path and file
// name, and the removal of dot segments and fragments that makes one text
// of the many that name a page. They share nothing between calls, so any
// thread may use them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Whether "https:" addresses are web links to check, or links to ignore as
// in a build without TLS. Ignored, every address is requested as plain http.
enum class HttpsLinks { kIgnored, kChecked };

// True for a link value that names a web address: it begins with "http:",
// or with "https:" when https links are checked.
[[nodiscard]] bool IsWebLink(std::string_view value, HttpsLinks https);

// The text up to and including its last "/" or backslash; the text itself
// when it has neither. A result of exactly "http://" or "https://" becomes
// text + "/".
[[nodiscard]] std::string GetUrlFolder(std::string_view text);
[[nodiscard]] std::wstring GetUrlFolderW(std::wstring_view text);

// The text without a leading "http://", cut before its first "/". A port or
// user part stays.
[[nodiscard]] std::string GetUrlHost(std::string_view text);
[[nodiscard]] std::wstring GetUrlHostW(std::wstring_view text);

// The text without a leading "http://", from its first "/" on; "/" when it
// has none. Query and fragment stay.
[[nodiscard]] std::string GetUrlRequestPath(std::string_view text);

// Scheme and host of a web address, what a root-relative link is joined to:
// "https://" and the host for a text that begins with "https://", else
// "http://" and GetUrlHost of the text.
[[nodiscard]] std::string GetUrlOrigin(std::string_view text);

// Plain requests always go to this port; a port written in an http address
// stays part of the host text, which then does not resolve.
inline constexpr unsigned short kHttpPort = 80;
inline constexpr unsigned short kHttpsPort = 443;

// Where a request for a web address goes and what it asks for.
struct WebRequestTarget {
    // Over TLS: an "https:" address while https links are checked.
    bool secure = false;
    // The host as the address writes it, a port included: the Host header.
    std::string host;
    // The host to connect to. Over TLS the host without its port; over
    // plain http the whole host text, in which a port stays (and then does
    // not resolve: plain requests always go to port 80).
    std::string connectHost;
    unsigned short port = kHttpPort;
    // The request line's path: from the first "/" after the host on, "/"
    // when there is none.
    std::string path;
};

// The name a request target's connectHost gives the resolver: an IPv6
// address without the brackets an address writes around it ("[::1]" is
// "::1"); any other host as it is.
[[nodiscard]] std::string HostToResolve(std::string_view connectHost);

// The request target of address. An https address goes to port 443, or to
// the port its host names (1 to 65535); a port that is not one stays part
// of the host to connect to, which then does not resolve.
[[nodiscard]] WebRequestTarget RequestTargetOf(std::string_view address, HttpsLinks https);

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
// The same, on the address itself: most addresses need no change.
void NormaliseWebAddressInPlace(std::string& address);

// Where the query or fragment of a link value begins (its first "?" or "#"),
// or the value's length when it has neither.
[[nodiscard]] std::size_t QueryOrFragmentStart(std::string_view value);
