// The texts and addresses of the window's row commands.
#include "ui/skarnel/row_commands.h"

#include <string_view>

#include "engine/ascii_case.h"
#include "platform/file.h"
#include "platform/text_codec.h"

namespace {

void AppendPercentEscape(std::string& out, unsigned char byte) {
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    out += '%';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

bool IsUnreservedInPath(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') ||
           std::string_view("-._~/").find(static_cast<char>(byte)) != std::string_view::npos;
}

// A web link's characters are its page's bytes: each is sent as that byte,
// escaped where an address may not hold it raw (blanks, controls, quotes,
// angle brackets, bytes above 126). Escapes already in the link stay.
std::string WebAddressOf(std::wstring_view link) {
    constexpr std::string_view kEscaped = "\"<>\\^`{|}";
    std::string address;
    for (const wchar_t c : link) {
        if (c < 0 || c > 0xFF) {
            for (const char byte : ToUtf8(std::wstring_view(&c, 1))) {
                AppendPercentEscape(address, static_cast<unsigned char>(byte));
            }
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && kEscaped.find(static_cast<char>(byte)) == kEscaped.npos) {
            address += static_cast<char>(byte);
        } else {
            AppendPercentEscape(address, byte);
        }
    }
    return address;
}

// The bytes under which the file system knows path: its UTF-8 form, or the
// same-code bytes a page's link may name it by.
std::optional<std::string> ExistingPathBytes(const std::wstring& path) {
    std::string bytes = FileSystemPath(path);
    if (PathBytesExist(bytes)) return bytes;
    for (const wchar_t c : path) {
        if (c < 0 || c > 0xFF) return std::nullopt;
    }
    bytes = Narrow(path);
    if (PathBytesExist(bytes)) return bytes;
    return std::nullopt;
}

std::string FileAddressOf(std::string_view pathBytes) {
    std::string address = "file://";
    for (const char c : pathBytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreservedInPath(byte)) {
            address += c;
        } else {
            AppendPercentEscape(address, byte);
        }
    }
    return address;
}

std::optional<std::string> LocalAddressOf(const std::wstring& link,
                                          const std::wstring& currentFolder) {
    const std::wstring path = link.starts_with(L'/') ? link : currentFolder + L'/' + link;
    if (const std::optional<std::string> bytes = ExistingPathBytes(path)) {
        return FileAddressOf(*bytes);
    }
    // An anchor's row names the page and the fragment it lacks: "page.html#part".
    const std::size_t hash = path.rfind(L'#');
    if (hash == std::wstring::npos) return std::nullopt;
    const std::optional<std::string> page = ExistingPathBytes(path.substr(0, hash));
    if (!page) return std::nullopt;
    return FileAddressOf(*page) + '#' + WebAddressOf(std::wstring_view(path).substr(hash + 1));
}

std::wstring WithoutLineBreaksOrTabs(std::wstring text) {
    for (wchar_t& c : text) {
        if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
    }
    return text;
}

std::wstring RowsText(std::size_t count) {
    return std::to_wstring(count) + (count == 1 ? L" row" : L" rows");
}

std::wstring FilterWords(ResultFilter filter) {
    switch (filter) {
        case ResultFilter::kErrors:
            return L"errors only";
        case ResultFilter::kSkipped:
            return L"skipped only";
        case ResultFilter::kOk:
            return L"OK only";
        case ResultFilter::kAll:
            break;
    }
    return L"all";
}

}  // namespace

std::wstring RowAsCopiedText(const ResultRow& row) {
    return WithoutLineBreaksOrTabs(row.link) + L'\t' + WithoutLineBreaksOrTabs(row.state) + L'\t' +
           WithoutLineBreaksOrTabs(row.location);
}

std::optional<std::string> BrowserAddressOfLink(const std::wstring& link,
                                                const std::wstring& currentFolder) {
    if (link.empty()) return std::nullopt;
    const std::string head = Narrow(std::wstring_view(link).substr(0, 8));
    if (StartsWithIgnoringCase(head, "http://") || StartsWithIgnoringCase(head, "https://")) {
        return WebAddressOf(link);
    }
    return LocalAddressOf(link, currentFolder);
}

std::wstring SaveResultsTitle(ResultFilter filter, std::size_t shownRows, std::size_t allRows) {
    if (filter == ResultFilter::kAll) return L"Save results (all " + RowsText(allRows) + L")";
    return L"Save results (" + FilterWords(filter) + L": " + std::to_wstring(shownRows) + L" of " +
           RowsText(allRows) + L")";
}
