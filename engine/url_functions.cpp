// URL and path cutting, written once for byte and wide text.
#include "engine/url_functions.h"

namespace {

template <typename Char>
std::basic_string_view<Char> WithoutHttpScheme(std::basic_string_view<Char> text) {
    constexpr Char kScheme[] = {'h', 't', 't', 'p', ':', '/', '/', 0};
    const std::basic_string_view<Char> scheme(kScheme);
    if (text.starts_with(scheme)) text.remove_prefix(scheme.size());
    return text;
}

template <typename Char>
std::size_t LastSeparator(std::basic_string_view<Char> text) {
    constexpr Char kSeparators[] = {'/', '\\', 0};
    return text.find_last_of(kSeparators);
}

template <typename Char>
std::basic_string<Char> Folder(std::basic_string_view<Char> text) {
    const std::size_t separator = LastSeparator(text);
    if (separator == std::basic_string_view<Char>::npos) return std::basic_string<Char>(text);
    std::basic_string<Char> folder(text.substr(0, separator + 1));
    constexpr Char kBare[] = {'h', 't', 't', 'p', ':', '/', '/', 0};
    if (folder == kBare) {
        folder = text;
        folder += Char('/');
    }
    return folder;
}

template <typename Char>
std::basic_string<Char> Host(std::basic_string_view<Char> text) {
    text = WithoutHttpScheme(text);
    return std::basic_string<Char>(text.substr(0, text.find(Char('/'))));
}

}  // namespace

std::string GetUrlFolder(std::string_view text) { return Folder(text); }
std::wstring GetUrlFolderW(std::wstring_view text) { return Folder(text); }
std::string GetUrlHost(std::string_view text) { return Host(text); }
std::wstring GetUrlHostW(std::wstring_view text) { return Host(text); }

std::string GetUrlRequestPath(std::string_view text) {
    text = WithoutHttpScheme(text);
    const std::size_t slash = text.find('/');
    return slash == std::string_view::npos ? "/" : std::string(text.substr(slash));
}

std::wstring GetUrlFileNameW(std::wstring_view text) {
    const std::size_t separator = LastSeparator(text);
    return std::wstring(separator == std::wstring_view::npos ? text : text.substr(separator + 1));
}
