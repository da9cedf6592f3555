// Checking the request headers a user adds, so that none can split a
// request or change how its end is found.
#include "engine/request_headers.h"

#include <algorithm>
#include <array>

#include "engine/ascii_case.h"

namespace {

// The headers that say where a request ends or whom it is for; the client
// writes them itself.
constexpr std::array<std::string_view, 3> kReservedNames = {"Host", "Content-Length",
                                                            "Transfer-Encoding"};

bool IsTokenCharacter(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

// Visible ASCII, a blank or a tab, or any byte above 127 (obs-text); never
// CR, LF, NUL or another control character.
bool IsValueCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == ' ' || byte == '\t' || (byte >= 0x21 && byte <= 0x7E) || byte >= 0x80;
}

bool IsReservedName(std::string_view name) {
    return std::any_of(
        kReservedNames.begin(), kReservedNames.end(),
        [name](std::string_view reserved) { return EqualsIgnoringCase(name, reserved); });
}

}  // namespace

bool IsWellFormedHeaderLine(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = line.substr(colon + 1);
    return std::all_of(name.begin(), name.end(), IsTokenCharacter) &&
           std::all_of(value.begin(), value.end(), IsValueCharacter) && !IsReservedName(name);
}
