// The URL functions and the link classifiers over any text, with https
// links ignored and checked. The cutting functions give a prefix, a suffix
// or a joining of their inputs as their rule says, and the byte and wide
// versions agree; dot segments and fragments go and nothing else changes; a
// web and a local page resolve a link alike; and each classifier hands a
// link on as its kind says.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/headless_window.h"
#include "engine/link_classification.h"
#include "engine/link_value.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "fuzz/fuzz_check.h"
#include "platform/text_codec.h"

namespace {

template <typename Char>
constexpr Char kHttp[] = {'h', 't', 't', 'p', ':', '/', '/', 0};
template <typename Char>
constexpr Char kHttps[] = {'h', 't', 't', 'p', 's', ':', '/', '/', 0};

template <typename Char>
bool IsSeparator(Char c) {
    return c == Char('/') || c == Char('\\');
}

template <typename Char>
using View = std::basic_string_view<Char>;

// Folder: up to and including the last separator, the text itself without
// one, and text + "/" when the cut leaves only the bare scheme.
template <typename Char>
void CheckFolder(View<Char> text, const std::basic_string<Char>& folder) {
    const View<Char> http(kHttp<Char>);
    const View<Char> https(kHttps<Char>);
    if (folder.size() == text.size() + 1 && folder.back() == Char('/')) {
        FUZZ_CHECK(View<Char>(folder).substr(0, text.size()) == text);
        const View<Char> scheme = text.starts_with(https) ? https : http;
        FUZZ_CHECK(text.starts_with(scheme));
        for (std::size_t i = scheme.size(); i < text.size(); ++i) FUZZ_CHECK(!IsSeparator(text[i]));
        return;
    }
    FUZZ_CHECK(text.starts_with(folder));
    FUZZ_CHECK(folder != http && folder != https);
    const View<Char> rest = text.substr(folder.size());
    for (Char c : rest) FUZZ_CHECK(!IsSeparator(c));
    if (folder.size() < text.size()) FUZZ_CHECK(!folder.empty() && IsSeparator(folder.back()));
}

// Host: the text without a leading "http://", cut before its first "/".
template <typename Char>
void CheckHost(View<Char> text, const std::basic_string<Char>& host) {
    View<Char> rest = text;
    if (rest.starts_with(View<Char>(kHttp<Char>))) rest.remove_prefix(7);
    FUZZ_CHECK(rest.starts_with(host));
    FUZZ_CHECK(host.find(Char('/')) == std::basic_string<Char>::npos);
    FUZZ_CHECK(host.size() == rest.size() || rest[host.size()] == Char('/'));
}

template <typename Char>
void CheckFileName(View<Char> text, const std::basic_string<Char>& name) {
    FUZZ_CHECK(text.ends_with(name));
    for (Char c : name) FUZZ_CHECK(!IsSeparator(c));
    if (name.size() < text.size()) FUZZ_CHECK(IsSeparator(text[text.size() - name.size() - 1]));
}

void CheckByteFunctions(std::string_view text) {
    const std::string folder = GetUrlFolder(text);
    const std::string host = GetUrlHost(text);
    const std::string path = GetUrlRequestPath(text);
    CheckFolder(text, folder);
    CheckHost(text, host);
    // Host and request path split the address without losing a byte; an
    // address without a path asks for "/".
    const std::string_view rest = text.starts_with(kHttp<char>) ? text.substr(7) : text;
    if (host.size() == rest.size()) {
        FUZZ_CHECK(path == "/");
    } else {
        FUZZ_CHECK(host + path == rest);
    }
    // The wide versions follow the same rules, character for character.
    const std::wstring wide = Widen(text);
    FUZZ_CHECK(GetUrlFolderW(wide) == Widen(folder));
    FUZZ_CHECK(GetUrlHostW(wide) == Widen(host));
    CheckFileName<wchar_t>(wide, GetUrlFileNameW(wide));
}

// Where a request goes: plain http as the host and path functions say,
// whatever the https option; an https address, while https links are
// checked, split into host and path without losing a byte, its port (if it
// names one) cut from the host to connect to.
void CheckRequestTarget(std::string_view text) {
    for (const HttpsLinks https : {HttpsLinks::kIgnored, HttpsLinks::kChecked}) {
        const WebRequestTarget target = RequestTargetOf(text, https);
        const bool secure = https == HttpsLinks::kChecked && text.starts_with("https:");
        FUZZ_CHECK(target.secure == secure);
        if (!secure) {
            FUZZ_CHECK(target.host == GetUrlHost(text) && target.connectHost == target.host);
            FUZZ_CHECK(target.path == GetUrlRequestPath(text) && target.port == kHttpPort);
            continue;
        }
        const std::string_view rest = text.starts_with("https://") ? text.substr(8) : text;
        FUZZ_CHECK(target.host + (target.host.size() == rest.size() ? "" : target.path) == rest);
        FUZZ_CHECK(target.path.starts_with('/'));
        FUZZ_CHECK(target.host.starts_with(target.connectHost));
        if (target.connectHost == target.host) {
            FUZZ_CHECK(target.port == kHttpsPort);
        } else {
            // ":" and the port's digits, or ":" alone for the default port.
            const std::string digits = target.host.substr(target.connectHost.size() + 1);
            FUZZ_CHECK(target.host[target.connectHost.size()] == ':');
            FUZZ_CHECK(digits.find_first_not_of("0123456789") == std::string::npos);
            const std::size_t first = digits.find_first_not_of('0');
            FUZZ_CHECK(digits.empty() ? target.port == kHttpsPort
                                      : first != std::string::npos &&
                                            digits.substr(first) == std::to_string(target.port));
        }
    }
}

// Wide text with characters beyond the byte range: two input bytes each.
std::wstring WideFromPairs(std::string_view bytes) {
    std::wstring wide;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    return wide;
}

void CheckWideFunctions(std::wstring_view text) {
    CheckFolder(text, GetUrlFolderW(text));
    CheckHost(text, GetUrlHostW(text));
    CheckFileName(text, GetUrlFileNameW(text));
}

LinkKind PlainKind(std::string_view value, HttpsLinks https) {
    if (value.starts_with("http:")) return LinkKind::kAbsoluteWeb;
    if (https == HttpsLinks::kChecked && value.starts_with("https:")) return LinkKind::kAbsoluteWeb;
    for (std::string_view ignored : {"https:", "mailto:", "javascript:"}) {
        if (value.starts_with(ignored)) return LinkKind::kIgnored;
    }
    // "/" is the site root's page, root-relative like any other.
    if (value.starts_with('#')) return LinkKind::kIgnored;
    return value.starts_with('/') ? LinkKind::kRootRelative : LinkKind::kRelative;
}

// The dot segments of a path go, and only they: the result holds none but
// the ".." that climb above a relative path's start and a leading "./", it
// stays absolute or relative, and removing them again changes nothing.
void CheckDotSegments(std::string_view path) {
    const std::string result = RemoveDotSegments(path);
    FUZZ_CHECK(RemoveDotSegments(result) == result);
    FUZZ_CHECK(path.starts_with('/') == result.starts_with('/'));
    std::string_view rest = result;
    if (rest.starts_with("./")) rest.remove_prefix(2);
    bool climbing = !result.starts_with('/');
    for (std::size_t start = 0; start <= rest.size();) {
        const std::size_t end = std::min(rest.find('/', start), rest.size());
        const std::string_view segment = rest.substr(start, end - start);
        if (segment == "..") {
            FUZZ_CHECK(climbing);
        } else {
            FUZZ_CHECK(segment != ".");
            climbing = false;
        }
        start = end + 1;
    }
    if (path.find("/.") == std::string_view::npos && !path.starts_with('.')) {
        FUZZ_CHECK(result == path);
    }
}

// A web address loses its fragment and the dot segments of its path; the
// query after the path is kept byte for byte.
void CheckNormalisedAddress(std::string_view address) {
    const std::string result = NormaliseWebAddress(address);
    FUZZ_CHECK(result.find('#') == std::string::npos);
    FUZZ_CHECK(NormaliseWebAddress(result) == result);
    const std::string_view kept = address.substr(0, address.find('#'));
    const std::size_t query = kept.find('?');
    if (query != std::string_view::npos) FUZZ_CHECK(result.ends_with(kept.substr(query)));
    if (kept.find("/.") == std::string_view::npos) FUZZ_CHECK(result == kept);
}

// A link resolves by joining the origin or folder of its base and the value,
// then normalising; a root-relative one keeps the scheme of an https base. A
// local page (whose base is never an https address) joins alike, minus the
// scheme of a root-relative result, and names the path by text and by bytes
// alike.
void CheckResolution(std::string_view value, const std::string& base) {
    const LinkKind kind = KindOfLink(value);
    FUZZ_CHECK(kind == PlainKind(value, HttpsLinks::kIgnored));
    FUZZ_CHECK(KindOfLink(value, HttpsLinks::kChecked) == PlainKind(value, HttpsLinks::kChecked));
    if (kind != LinkKind::kRelative && kind != LinkKind::kRootRelative) return;
    const std::string front = kind == LinkKind::kRootRelative ? GetUrlOrigin(base)
                              : base.ends_with('/')           ? base
                                                              : GetUrlFolder(base);
    const std::string joined = front + std::string(value);
    FUZZ_CHECK(ResolveWebLink(value, kind, base) == NormaliseWebAddress(joined));
    CheckNormalisedAddress(joined);
    if (base.starts_with("https://")) return;
    const LocalLinkPaths local = ResolveLocalLink(value, kind, LocalPath{Widen(base), base});
    // Text and bytes name the same path, one character per byte; a base
    // without bytes leaves the file system to be given the text.
    FUZZ_CHECK(local.path.fileBytes == (base.empty() ? "" : Narrow(local.path.text)));
    const std::string localJoined = kind == LinkKind::kRootRelative ? joined.substr(7) : joined;
    const std::size_t cut = value.find_first_of("?#");
    // A path that reduced to a bare name is kept in the current folder.
    const auto inItsFolder = [](std::string path) {
        if (!path.empty() && path.find_first_of("/\\") == std::string::npos) path.insert(0, "./");
        return path;
    };
    if (cut == std::string_view::npos) {
        FUZZ_CHECK(local.path.text == Widen(inItsFolder(RemoveDotSegments(localJoined))));
        FUZZ_CHECK(local.withoutQuery.text.empty());
        return;
    }
    const std::string_view suffix = value.substr(cut);
    FUZZ_CHECK(local.withoutQuery.text + Widen(suffix) == local.path.text);
    FUZZ_CHECK(local.withoutQuery.text == Widen(inItsFolder(RemoveDotSegments(localJoined.substr(
                                              0, localJoined.size() - suffix.size())))));
}

HeadlessWindow& Window() {
    static HeadlessWindow window;
    mainWindow = &window;
    return window;
}

// The classifiers themselves, with no scan running: a web link decides a
// page to crawl (inside the page's folder) or an address to check by its
// status, resolved, and nothing opens a connection or a file; a local
// page's web link becomes its skipped row. The https option is read from
// the window.
void CheckClassifiers(std::string_view value, const std::string& base, HttpsLinks https) {
    HeadlessWindow& window = Window();
    window.Options().checkHttpsLinks = https == HttpsLinks::kChecked;
    ScanState& scan = TheScanState();
    scan.scanRunning = false;
    // Each classifier reads the value as a browser would before anything
    // else; "//host/path" takes the scheme of the page.
    std::string clean = CleanLinkValue(value);
    if (clean.starts_with("//")) clean.insert(0, base.starts_with("https:") ? "https:" : "http:");
    const LinkKind kind = KindOfLink(clean, https);
    const bool leadsNowhere =
        kind != LinkKind::kAbsoluteWeb && LeadsNowhereToCheck(clean, PageVariant::kWeb);
    const std::optional<WebCheck> check = ClassifyWebLink(value, "page:7", base);
    std::optional<WebCheck> expected;
    if (kind == LinkKind::kAbsoluteWeb) {
        const std::string url = NormaliseWebAddress(clean);
        expected = WebCheck{url.starts_with(base) ? ResponseUse::kPage : ResponseUse::kStatusOnly,
                            url,
                            "page:7",
                            {}};
    } else if (clean.starts_with('?')) {
        // The page itself (here its folder) with the query.
        expected = WebCheck{ResponseUse::kPage,
                            NormaliseWebAddress(base.substr(0, QueryOrFragmentStart(base)) + clean),
                            "page:7",
                            {}};
    } else if (kind != LinkKind::kIgnored && !leadsNowhere) {
        expected = WebCheck{ResponseUse::kPage, ResolveWebLink(clean, kind, base), "page:7", {}};
    }
    FUZZ_CHECK(check.has_value() == expected.has_value());
    if (check) {
        FUZZ_CHECK(check->use == expected->use && check->url == expected->url);
        FUZZ_CHECK(check->location == expected->location);
    }

    window.DeleteAllRows();
    scan.reportedLinks.Clear();
    window.Options().checkExternalUrls = 0;
    const LocalLinkDecision decision =
        ClassifyLocalLink(value, L"page:7", LocalPath{Widen(base), {}});
    const std::vector<ResultRow> rows = window.Rows();
    // In a local page "//host/path" is an http address.
    std::string localClean = CleanLinkValue(value.substr(0, 19999));
    if (localClean.starts_with("//")) localClean.insert(0, "http:");
    if (KindOfLink(localClean, https) == LinkKind::kAbsoluteWeb) {
        FUZZ_CHECK(rows.size() == 1);
        const std::string shown = NormaliseWebAddress(localClean);
        FUZZ_CHECK(rows.front() == (ResultRow{Widen(shown), L"Absolute URL - skipped", L"page:7",
                                              ResultIcon::kSkipped}));
        FUZZ_CHECK(decision.repeat == LocalLinkRepeat::kAddsARowEachTime && !decision.file);
    } else {
        FUZZ_CHECK(rows.empty());
        FUZZ_CHECK(decision.repeat == LocalLinkRepeat::kAddsNoRow);
    }
    FUZZ_CHECK(decision.webAddress.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckByteFunctions(input);
    CheckRequestTarget(input);
    CheckWideFunctions(WideFromPairs(input));
    // The input up to its first line feed is the base, the rest the link.
    const std::size_t split = input.find('\n');
    const std::string_view value =
        split == std::string_view::npos ? input : input.substr(split + 1);
    const std::string base = split == std::string_view::npos ? "http://server/dir/page.html"
                                                             : std::string(input.substr(0, split));
    CheckDotSegments(input);
    CheckNormalisedAddress(input);
    CheckResolution(value, base);
    for (const HttpsLinks https : {HttpsLinks::kIgnored, HttpsLinks::kChecked}) {
        CheckClassifiers(value, base, https);
    }
    return 0;
}
