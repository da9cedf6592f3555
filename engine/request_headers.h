// Request headers a user adds to every request ("Name: value"), checked
// before a scan so that a malformed one is a usage error, not a broken
// request.
#pragma once

#include <string_view>

// True for "Name: value": a name of HTTP token characters (letters, digits
// and !#$%&'*+-.^_`|~), a colon, then a value of visible characters, blanks
// and tabs (bytes above 127 allowed; it may be empty), with no CR, LF or NUL anywhere. The
// names Host, Content-Length and Transfer-Encoding are refused in any case:
// they would break the request's framing.
[[nodiscard]] bool IsWellFormedHeaderLine(std::string_view line);
