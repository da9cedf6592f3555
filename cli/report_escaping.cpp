// Escaping row texts for XML, workflow commands, Markdown and URIs.
#include "cli/report_escaping.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <utility>

#include "engine/ascii_case.h"
#include "engine/hex_digit.h"
#include "platform/text_codec.h"

namespace {

// What XML writes for the characters it reads as markup, and for the white
// space a parser would otherwise change: tab and LF into blanks in attribute
// values, CR into LF everywhere.
constexpr std::pair<wchar_t, std::string_view> kXmlEscapes[] = {
    {L'&', "&amp;"},   {L'<', "&lt;"},  {L'>', "&gt;"},   {L'"', "&quot;"},
    {L'\'', "&apos;"}, {L'\t', "&#9;"}, {L'\n', "&#10;"}, {L'\r', "&#13;"},
};

// The character's code as a non-negative number, whatever wchar_t's sign.
char32_t CodeOf(wchar_t c) { return static_cast<char32_t>(static_cast<std::uint32_t>(c)); }

void AppendPercentEscape(std::string& out, unsigned char byte) {
    char escape[4];
    std::snprintf(escape, sizeof escape, "%%%02X", byte);
    out += escape;
}

enum class WorkflowText { kMessage, kProperty };

// The toolkit's escapes and, for properties, its two more; then the
// controls the runner would otherwise write raw.
std::string WorkflowCommandText(std::wstring_view text, WorkflowText kind) {
    const bool property = kind == WorkflowText::kProperty;
    std::string escaped;
    for (const char c : ToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        const bool special = c == '%' || (property && (c == ':' || c == ','));
        const bool control = (byte < 0x20 && c != '\t') || byte == 0x7f;
        if (special || control) {
            AppendPercentEscape(escaped, byte);
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// GitHub's renderer makes a link of "http://", "https://" and "www." as
// it reads the raw text, escapes and all, and would show the escapes: an
// escaped ":" or "." after "www" leaves the text a text.
bool EndsWithWww(std::wstring_view text) {
    return text.size() >= 3 && EqualsIgnoringCase(Narrow(text.substr(text.size() - 3)), "www");
}

bool IsUnreserved(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// A % followed by two hex digits: an escape a URI may already hold.
bool StartsPercentEscape(std::string_view bytes, std::size_t at) {
    return at + 2 < bytes.size() && HexDigitValue(bytes[at + 1]) >= 0 &&
           HexDigitValue(bytes[at + 2]) >= 0;
}

bool IsAllowedInUri(std::string_view bytes, std::size_t at) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte <= 0x20 || byte >= 0x7f) return false;
    if (bytes[at] == '%') return StartsPercentEscape(bytes, at);
    return std::string_view("\"<>\\^`{|}").find(bytes[at]) == std::string_view::npos;
}

}  // namespace

void AppendAsUtf8(std::string& out, wchar_t c) {
    if (c >= 0 && c < 0x80) {
        out += static_cast<char>(c);
    } else {
        out += ToUtf8(std::wstring_view(&c, 1));
    }
}

void AppendUnicodeEscape(std::string& out, char32_t c) {
    char escape[16];
    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
    out += escape;
}

std::string XmlText(std::wstring_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text) {
        const auto* const escape =
            std::find_if(std::begin(kXmlEscapes), std::end(kXmlEscapes),
                         [c](const auto& entry) { return entry.first == c; });
        const char32_t code = CodeOf(c);
        if (escape != std::end(kXmlEscapes)) {
            escaped += escape->second;
        } else if (code < 0x20 || code == 0xfffe || code == 0xffff) {
            AppendUnicodeEscape(escaped, code);
        } else {
            AppendAsUtf8(escaped, c);
        }
    }
    return escaped;
}

std::string WorkflowCommandMessage(std::wstring_view text) {
    return WorkflowCommandText(text, WorkflowText::kMessage);
}

std::string WorkflowCommandProperty(std::wstring_view text) {
    return WorkflowCommandText(text, WorkflowText::kProperty);
}

std::string MarkdownCell(std::wstring_view text) {
    std::string cell;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            cell += "<br>";
        } else if (c == L'&') {
            cell += "&amp;";
        } else if (c == L'<') {
            cell += "&lt;";
        } else if (c == L'>') {
            cell += "&gt;";
        } else if (std::wstring_view(L"|\\`*_[]~$:").find(c) != std::wstring_view::npos ||
                   (c == L'.' && EndsWithWww(text.substr(0, i)))) {
            cell += '\\';
            cell += static_cast<char>(c);
        } else {
            AppendAsUtf8(cell, c);
        }
    }
    return cell;
}

std::string PathAsUriReference(std::wstring_view path) {
    std::string uri;
    for (const char c : ToUtf8(path)) {
        if (IsUnreserved(c) || c == '/') {
            uri += c;
        } else {
            AppendPercentEscape(uri, static_cast<unsigned char>(c));
        }
    }
    return uri;
}

std::string AddressAsUri(std::wstring_view address) {
    const std::string bytes = ToUtf8(address);
    std::string uri;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (IsAllowedInUri(bytes, i)) {
            uri += bytes[i];
        } else {
            AppendPercentEscape(uri, static_cast<unsigned char>(bytes[i]));
        }
    }
    return uri;
}
