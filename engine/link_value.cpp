// Link values as a browser reads them: character references, white space,
// percent escapes and schemes.
#include "engine/link_value.h"

#include <array>
#include <cstdint>

#include "engine/ascii_case.h"
#include "engine/hex_digit.h"
#include "platform/text_codec.h"

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kLargestCodePoint = 0x10FFFF;

struct NamedReference {
    std::string_view name;
    char32_t codePoint;
};

// The references that turn up in addresses; others stay as written.
constexpr std::array<NamedReference, 6> kNamedReferences = {{
    {"amp", U'&'},
    {"lt", U'<'},
    {"gt", U'>'},
    {"quot", U'"'},
    {"apos", U'\''},
    {"nbsp", 0xA0},
}};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// A numeric reference after "&#": its code point and length, the optional
// ";" included; a length of 0 when no digit follows.
std::size_t ReadNumericReference(std::string_view text, char32_t* codePoint) {
    const bool hex = !text.empty() && (text[0] == 'x' || text[0] == 'X');
    const unsigned radix = hex ? 16 : 10;
    std::size_t i = hex ? 1 : 0;
    const std::size_t firstDigit = i;
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit =
            hex ? HexDigitValue(text[i]) : (IsDecimalDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0) break;
        // Past the largest code point the value only needs to stay too large.
        if (value <= kLargestCodePoint) value = value * radix + static_cast<std::uint32_t>(digit);
    }
    if (i == firstDigit) return 0;
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    *codePoint =
        (value == 0 || surrogate || value > kLargestCodePoint) ? kReplacementCharacter : value;
    if (i < text.size() && text[i] == ';') ++i;
    return i;
}

// A named reference after "&", with its ";": its code point and length; 0
// when the text holds none of the known names.
std::size_t ReadNamedReference(std::string_view text, char32_t* codePoint) {
    std::size_t end = 0;
    while (end < text.size() && IsAsciiLetter(text[end])) ++end;
    if (end == text.size() || text[end] != ';') return 0;
    for (const NamedReference& reference : kNamedReferences) {
        if (text.substr(0, end) == reference.name) {
            *codePoint = reference.codePoint;
            return end + 1;
        }
    }
    return 0;
}

std::string DecodeCharacterReferences(std::string_view value) {
    if (value.find('&') == std::string_view::npos) return std::string(value);
    std::string decoded;
    decoded.reserve(value.size());
    for (std::size_t i = 0; i < value.size();) {
        char32_t codePoint = 0;
        std::size_t length = 0;
        if (value[i] == '&' && i + 1 < value.size()) {
            const std::string_view rest = value.substr(i + 1);
            length = rest[0] == '#' ? ReadNumericReference(rest.substr(1), &codePoint)
                                    : ReadNamedReference(rest, &codePoint);
            if (length > 0 && rest[0] == '#') ++length;
        }
        if (length == 0) {
            decoded += value[i++];
            continue;
        }
        AppendUtf8(decoded, codePoint);
        i += 1 + length;
    }
    return decoded;
}

bool IsControlOrSpace(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// Leading and trailing controls and blanks go, as a browser drops them from
// an address.
std::string_view TrimmedOfWhiteSpace(std::string_view value) {
    while (!value.empty() && IsControlOrSpace(value.front())) value.remove_prefix(1);
    while (!value.empty() && IsControlOrSpace(value.back())) value.remove_suffix(1);
    return value;
}

// The scheme of a value ("ftp" for "ftp://x"), or empty when it names none.
std::string_view SchemeOf(std::string_view value) {
    if (value.empty() || !IsAsciiLetter(value[0])) return {};
    for (std::size_t i = 1; i < value.size(); ++i) {
        const char c = value[i];
        if (c == ':') return value.substr(0, i);
        if (!IsAsciiLetter(c) && !IsDecimalDigit(c) && c != '+' && c != '-' && c != '.') return {};
    }
    return {};
}

}  // namespace

std::string CleanLinkValue(std::string_view value) {
    return std::string(TrimmedOfWhiteSpace(DecodeCharacterReferences(value)));
}

bool LeadsNowhereToCheck(std::string_view value, PageVariant page) {
    if (value.empty()) return true;
    const std::string_view scheme = SchemeOf(value);
    if (scheme.size() < 2) return false;
    if (EqualsIgnoringCase(scheme, "file")) return page == PageVariant::kWeb;
    return !EqualsIgnoringCase(scheme, "http") && !EqualsIgnoringCase(scheme, "https");
}

std::optional<std::string> LocalFileUrlPath(std::string_view value) {
    if (!EqualsIgnoringCase(SchemeOf(value), "file")) return std::nullopt;
    std::string_view rest = value.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        // A file on another host is nothing this machine can open.
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !EqualsIgnoringCase(host, "localhost")) return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/')) return std::nullopt;
    return PercentDecoded(rest.substr(0, rest.find_first_of("?#")));
}

std::string PercentDecoded(std::string_view text) {
    if (text.find('%') == std::string_view::npos) return std::string(text);
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
            HexDigitValue(text[i + 2]) >= 0) {
            const char byte =
                static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            if (byte != '/' && byte != '\0') {
                decoded += byte;
                i += 2;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}
