// URL and path cutting, written once for byte and wide text, and the request
// target of a web address.
#include "engine/url_functions.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace {

constexpr std::string_view kHttpsScheme = "https://";

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
    constexpr Char kBareSecure[] = {'h', 't', 't', 'p', 's', ':', '/', '/', 0};
    if (folder == kBare || folder == kBareSecure) {
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

// A port written after a host: 1 to 65535 in decimal digits only.
bool ReadPort(std::string_view text, unsigned short& port) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) {
        return false;
    }
    port = static_cast<unsigned short>(value);
    return true;
}

WebRequestTarget SecureRequestTarget(std::string_view address) {
    if (address.starts_with(kHttpsScheme)) address.remove_prefix(kHttpsScheme.size());
    const std::size_t slash = address.find('/');
    WebRequestTarget target;
    target.secure = true;
    target.host = std::string(address.substr(0, slash));
    target.path = slash == std::string_view::npos ? "/" : std::string(address.substr(slash));
    target.connectHost = target.host;
    target.port = kHttpsPort;
    const std::size_t colon = target.host.rfind(':');
    if (colon == std::string::npos) return target;
    // "host:" names the default port, as in any URL.
    const std::string_view portText = std::string_view(target.host).substr(colon + 1);
    if (portText.empty() || ReadPort(portText, target.port)) target.connectHost.resize(colon);
    return target;
}

}  // namespace

bool IsWebLink(std::string_view value, HttpsLinks https) {
    return value.starts_with("http:") ||
           (https == HttpsLinks::kChecked && value.starts_with("https:"));
}

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

namespace {

template <typename Char>
bool IsDotSegment(std::basic_string_view<Char> segment) {
    return (segment.size() == 1 && segment[0] == Char('.')) ||
           (segment.size() == 2 && segment[0] == Char('.') && segment[1] == Char('.'));
}

// Calls visit with each "/"-separated segment of path, in order.
template <typename Char, typename Visit>
void ForEachSegment(std::basic_string_view<Char> path, Visit visit) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find(Char('/'), start);
        if (slash == std::basic_string_view<Char>::npos) {
            visit(path.substr(start), true);
            return;
        }
        visit(path.substr(start, slash - start), false);
        start = slash + 1;
    }
}

// Each "." that starts a segment is looked at; most paths hold one "."
// only, before a file's extension.
template <typename Char>
bool HasDotSegment(std::basic_string_view<Char> path) {
    constexpr auto kNone = std::basic_string_view<Char>::npos;
    for (std::size_t dot = path.find(Char('.')); dot != kNone;
         dot = path.find(Char('.'), dot + 1)) {
        if (dot > 0 && path[dot - 1] != Char('/')) continue;
        std::size_t end = dot + 1;
        if (end < path.size() && path[end] == Char('.')) ++end;
        if (end == path.size() || path[end] == Char('/')) return true;
    }
    return false;
}

template <typename Char>
std::basic_string<Char> DotSegmentsRemoved(std::basic_string_view<Char> path) {
    using View = std::basic_string_view<Char>;
    if (!HasDotSegment(path)) return std::basic_string<Char>(path);
    constexpr Char kUp[] = {'.', '.', 0};
    const bool absolute = path.starts_with(Char('/'));
    const bool leadingDot = path.size() >= 2 && path[0] == Char('.') && path[1] == Char('/');
    std::basic_string<Char> result;
    if (absolute || leadingDot) {
        result = leadingDot ? path.substr(0, 2) : path.substr(0, 1);
        path.remove_prefix(result.size());
    }
    std::vector<View> kept;
    bool endsInFolder = false;
    ForEachSegment(path, [&](View segment, bool last) {
        if (!IsDotSegment(segment)) {
            kept.push_back(segment);
            return;
        }
        endsInFolder = last;
        if (segment.size() == 1) return;
        if (!kept.empty() && kept.back() != View(kUp)) {
            kept.pop_back();
        } else if (!absolute) {
            kept.push_back(View(kUp));
        }
    });
    // A relative path whose first segment left is empty ("a/..//b") would
    // read as absolute: it starts from "." instead.
    constexpr Char kHere[] = {'.', 0};
    if (result.empty() && !kept.empty() && kept.front().empty()) kept.insert(kept.begin(), kHere);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) result += Char('/');
        result += kept[i];
    }
    if (endsInFolder && !kept.empty()) result += Char('/');
    if (result.empty()) result = {Char('.'), Char('/')};
    return result;
}

// The length of a leading "http://" or "https://".
std::size_t WebSchemeLength(std::string_view address) {
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (address.starts_with(scheme)) return scheme.size();
    }
    return 0;
}

}  // namespace

std::string RemoveDotSegments(std::string_view path) { return DotSegmentsRemoved(path); }
std::wstring RemoveDotSegmentsW(std::wstring_view path) { return DotSegmentsRemoved(path); }

std::string NormaliseWebAddress(std::string_view address) {
    std::string normalised(address);
    NormaliseWebAddressInPlace(normalised);
    return normalised;
}

void NormaliseWebAddressInPlace(std::string& address) {
    const std::size_t fragment = address.find('#');
    if (fragment != std::string::npos) address.resize(fragment);
    // A plain loop: find_first_of searches its set once per character.
    std::size_t pathStart = WebSchemeLength(address);
    while (pathStart < address.size() && address[pathStart] != '/' && address[pathStart] != '?') {
        ++pathStart;
    }
    // Without a path, or with a "/" only inside the query, there is nothing to remove.
    if (pathStart == address.size() || address[pathStart] != '/') return;
    const std::size_t pathEnd = std::min(address.find('?', pathStart), address.size());
    const std::string_view path = std::string_view(address).substr(pathStart, pathEnd - pathStart);
    if (!HasDotSegment(path)) return;
    address.replace(pathStart, pathEnd - pathStart, RemoveDotSegments(path));
}

std::size_t QueryOrFragmentStart(std::string_view value) {
    // A plain loop: find_first_of searches its set once per character.
    std::size_t i = 0;
    while (i < value.size() && value[i] != '?' && value[i] != '#') ++i;
    return i;
}

std::string GetUrlOrigin(std::string_view text) {
    if (!text.starts_with(kHttpsScheme)) return "http://" + GetUrlHost(text);
    const std::string_view rest = text.substr(kHttpsScheme.size());
    return std::string(kHttpsScheme) + std::string(rest.substr(0, rest.find('/')));
}

std::string HostToResolve(std::string_view connectHost) {
    if (connectHost.size() > 2 && connectHost.starts_with('[') && connectHost.ends_with(']')) {
        connectHost = connectHost.substr(1, connectHost.size() - 2);
    }
    return std::string(connectHost);
}

WebRequestTarget RequestTargetOf(std::string_view address, HttpsLinks https) {
    if (https == HttpsLinks::kChecked && address.starts_with("https:")) {
        return SecureRequestTarget(address);
    }
    WebRequestTarget target;
    target.host = GetUrlHost(address);
    target.connectHost = target.host;
    target.path = GetUrlRequestPath(address);
    return target;
}
