// Link classification: prefix tests, resolution against the folder of the
// page that holds the link (joining, then removing dot segments and
// fragments, so that one page has one text), and the hand-over.
#include "engine/link_classification.h"

#include <algorithm>
#include <optional>
#include <type_traits>

#include "engine/link_value.h"
#include "engine/local_scan.h"
#include "engine/main_window_record.h"
#include "engine/page_anchors.h"
#include "engine/results_table.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "engine/web_anchors.h"
#include "engine/web_checks.h"
#include "platform/text_codec.h"

namespace {

bool IsIgnored(std::string_view value) {
    return value.starts_with("https:") || value.starts_with("mailto:") ||
           value.starts_with("javascript:") || value.starts_with('#');
}

// "//host/path" names a web address in the scheme of the page that holds it.
bool IsProtocolRelative(std::string_view value) { return value.starts_with("//"); }

// Whether bytes are UTF-8 throughout.
bool IsUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        if (static_cast<unsigned char>(bytes.front()) < 0x80) {
            bytes.remove_prefix(1);
            continue;
        }
        char32_t decoded = 0;
        const std::size_t length = DecodeUtf8Sequence(bytes, &decoded);
        if (length == 0) return false;
        bytes.remove_prefix(length);
    }
    return true;
}

// Each byte read as the Latin-1 character of its code, in UTF-8.
std::string Latin1ToUtf8(std::string_view bytes) {
    std::string utf8;
    for (const char c : bytes) AppendUtf8(utf8, static_cast<unsigned char>(c));
    return utf8;
}

template <typename Char>
std::basic_string<Char> FolderOf(std::basic_string_view<Char> text) {
    if constexpr (std::is_same_v<Char, char>) {
        return GetUrlFolder(text);
    } else {
        return GetUrlFolderW(text);
    }
}

// A local path's host part, as text or as bytes.
template <typename Char>
std::basic_string<Char> HostPartOf(std::basic_string_view<Char> text) {
    if constexpr (std::is_same_v<Char, char>) {
        return GetUrlHost(text);
    } else {
        return GetUrlHostW(text);
    }
}

// What a local link of this kind is joined to: the base's host part for a
// root-relative link; else the base, which ends in "/" when it is a folder
// already, or its folder. A view of the base, or of storage when the front
// had to be made.
template <typename Char>
std::basic_string_view<Char> FrontOfLink(LinkKind kind, const std::basic_string<Char>& base,
                                         std::basic_string<Char>& storage) {
    if (kind == LinkKind::kRootRelative) {
        storage = HostPartOf<Char>(base);
        return storage;
    }
    if (base.ends_with(Char('/'))) return base;
    storage = FolderOf<Char>(base);
    return storage;
}

// Whether a path starts with "." or holds "/.": a dot segment may be there.
template <typename Char>
bool MayHoldDotSegments(const std::basic_string<Char>& path) {
    if (path.starts_with(Char('.'))) return true;
    for (std::size_t i = 1; i < path.size(); ++i) {
        if (path[i] == Char('.') && path[i - 1] == Char('/')) return true;
    }
    return false;
}

// path made of front, then each byte of part as one character, without dot
// segments. path keeps its room, so a buffer used again costs nothing.
template <typename Char>
void JoinWithoutDotSegmentsInto(std::basic_string<Char>& path, std::basic_string_view<Char> front,
                                std::string_view part) {
    path.assign(front);
    for (const char c : part) path.push_back(static_cast<Char>(static_cast<unsigned char>(c)));
    // Most paths hold no dot segment: they are taken as they are.
    if (!MayHoldDotSegments(path)) return;
    if constexpr (std::is_same_v<Char, char>) {
        path = RemoveDotSegments(path);
    } else {
        path = RemoveDotSegmentsW(path);
    }
}

template <typename Char>
std::basic_string<Char> JoinWithoutDotSegments(std::basic_string_view<Char> front,
                                               std::string_view part) {
    std::basic_string<Char> path;
    path.reserve(front.size() + part.size());
    JoinWithoutDotSegmentsInto(path, front, part);
    return path;
}

// front (a web page's origin or folder) joined with a link value, then
// normalised; most joined addresses need no change and are not copied again.
std::string JoinWebAddress(std::string_view front, std::string_view value) {
    std::string address;
    address.reserve(front.size() + value.size());
    address.append(front).append(value);
    NormaliseWebAddressInPlace(address);
    return address;
}

}  // namespace

LinkKind KindOfLink(std::string_view value, HttpsLinks https) {
    if (IsWebLink(value, https)) return LinkKind::kAbsoluteWeb;
    if (IsIgnored(value)) return LinkKind::kIgnored;
    if (value.starts_with('/')) return LinkKind::kRootRelative;
    return LinkKind::kRelative;
}

std::string ResolveWebLink(std::string_view value, LinkKind kind, const std::string& base) {
    // A root-relative link keeps the scheme of its page.
    if (kind == LinkKind::kRootRelative) return JoinWebAddress(GetUrlOrigin(base), value);
    std::string storage;
    return JoinWebAddress(FrontOfLink(kind, base, storage), value);
}

namespace {

// A local path that reduced to a bare name stays in the current folder:
// "./a.html", as the start path is, so that its own links join to "./".
template <typename Char>
void KeepInItsFolder(std::basic_string<Char>& path) {
    constexpr Char kSeparators[] = {'/', '\\', 0};
    if (path.empty() || path.find_first_of(kSeparators) != std::basic_string<Char>::npos) return;
    path.insert(path.begin(), {Char('.'), Char('/')});
}

// The path of a link part joined to base, without dot segments. A base
// without its bytes leaves the file system to be given the text.
LocalPath JoinLocal(const LocalPath& base, LinkKind kind, std::string_view part) {
    std::wstring textStorage;
    LocalPath path{JoinWithoutDotSegments(FrontOfLink(kind, base.text, textStorage), part), {}};
    KeepInItsFolder(path.text);
    if (!base.fileBytes.empty()) {
        std::string bytesStorage;
        path.fileBytes =
            JoinWithoutDotSegments(FrontOfLink(kind, base.fileBytes, bytesStorage), part);
        KeepInItsFolder(path.fileBytes);
    }
    return path;
}

void AppendToPath(LocalPath& path, std::string_view bytes) {
    path.text += Widen(bytes);
    if (!path.fileBytes.empty()) path.fileBytes += bytes;
}

}  // namespace

void ResolveLocalLinkText(std::string_view value, LinkKind kind, const LocalPath& base,
                          std::wstring& text) {
    const std::size_t cut = QueryOrFragmentStart(value);
    std::wstring storage;
    JoinWithoutDotSegmentsInto(text, FrontOfLink(kind, base.text, storage), value.substr(0, cut));
    KeepInItsFolder(text);
    for (const char c : value.substr(cut)) text.push_back(static_cast<unsigned char>(c));
}

LocalLinkPaths ResolveLocalLink(std::string_view value, LinkKind kind, const LocalPath& base) {
    // Dot segments are looked for only up to the query or fragment, which
    // belong to no folder.
    const std::size_t cut = QueryOrFragmentStart(value);
    const std::string_view pathPart = value.substr(0, cut);
    const std::string_view suffix = value.substr(cut);
    LocalLinkPaths paths;
    paths.path = JoinLocal(base, kind, pathPart);
    if (pathPart.find('%') != std::string_view::npos) {
        const std::string unescaped = PercentDecoded(pathPart);
        if (unescaped != pathPart) paths.unescaped = JoinLocal(base, kind, unescaped);
    }
    // A page in Latin-1 names a file whose name the file system holds in UTF-8.
    if (!base.fileBytes.empty() && !IsUtf8(pathPart)) {
        paths.latin1 = JoinLocal(base, kind, Latin1ToUtf8(pathPart));
        paths.latin1.text = paths.path.text;
    }
    if (suffix.empty()) return paths;
    paths.withoutQuery = paths.path;
    AppendToPath(paths.path, suffix);
    return paths;
}

namespace {

// An absolute web link of a web page: a page of the site inside the page's
// folder, checked by its status elsewhere.
WebCheck AbsoluteWebLinkCheck(std::string_view value, const std::string& location,
                              const std::string& base) {
    std::string url = NormaliseWebAddress(value);
    const ResponseUse use = url.starts_with(base) ? ResponseUse::kPage : ResponseUse::kStatusOnly;
    return WebCheck{use, std::move(url), location, {}};
}

// The kind of a cleaned value, or nothing for a value that leads nowhere.
std::optional<LinkKind> KindToFollow(std::string_view value, PageVariant page) {
    const LinkKind kind = KindOfLink(value, HttpsLinksOf(mainWindow->Options()));
    if (kind == LinkKind::kIgnored) return std::nullopt;
    if (kind != LinkKind::kAbsoluteWeb && LeadsNowhereToCheck(value, page)) return std::nullopt;
    return kind;
}

}  // namespace

namespace {

// A root-relative value as a relative one under the site root ("/a/b" is
// "a/b" there); without a site root, as it always was.
LinkKind RootedLink(std::string& value, LinkKind kind, const LocalPath& siteRoot,
                    const LocalPath** base) {
    if (kind != LinkKind::kRootRelative || siteRoot.text.empty()) return kind;
    value.erase(0, 1);
    *base = &siteRoot;
    return LinkKind::kRelative;
}

}  // namespace

std::string WebDocumentBase(std::string_view baseHref, const std::string& base) {
    const std::string value = CleanLinkValue(baseHref);
    // "/" names the server's root, though as a link it is passed over.
    if (value == "/") return GetUrlOrigin(base) + "/";
    const LinkKind kind = KindOfLink(value, HttpsLinks::kChecked);
    if (kind == LinkKind::kIgnored || LeadsNowhereToCheck(value, PageVariant::kWeb)) return {};
    if (kind == LinkKind::kAbsoluteWeb) return NormaliseWebAddress(value);
    return ResolveWebLink(value, kind, base);
}

LocalDocumentBase ResolveLocalDocumentBase(std::string_view baseHref, const LocalPath& base,
                                           const LocalPath& siteRoot) {
    std::string value = CleanLinkValue(baseHref.substr(0, kMaxRowTextLength));
    LocalDocumentBase documentBase;
    if (const std::optional<std::string> filePath = LocalFileUrlPath(value)) {
        const std::string path = RemoveDotSegments(*filePath);
        documentBase.local = LocalPath{Widen(path), path};
        return documentBase;
    }
    const LinkKind kind = KindOfLink(value, HttpsLinks::kChecked);
    if (kind == LinkKind::kAbsoluteWeb) {
        documentBase.web = NormaliseWebAddress(value);
    } else if (kind != LinkKind::kIgnored && !LeadsNowhereToCheck(value, PageVariant::kLocal)) {
        const LocalPath* against = &base;
        const LinkKind rooted = RootedLink(value, kind, siteRoot, &against);
        documentBase.local = ResolveLocalLink(value, rooted, *against).path;
    }
    return documentBase;
}

std::optional<WebCheck> ClassifyWebLink(std::string_view rawValue, const std::string& location,
                                        const std::string& base) {
    return ClassifyWebLink(rawValue, location, WebLinkBase{base, base, {}});
}

namespace {

// The scheme of a web address, with its colon: what "//host/path" takes.
std::string_view SchemeOfAddress(std::string_view address) {
    return address.starts_with("https:") ? "https:" : "http:";
}

// "?query": the page (or the address its base names) with that query.
std::string SamePageWithQuery(std::string_view value, const WebLinkBase& base) {
    const std::string& page = base.documentBase.empty() ? base.page : base.documentBase;
    std::string url = page.substr(0, QueryOrFragmentStart(page));
    url.append(value);
    NormaliseWebAddressInPlace(url);
    return url;
}

}  // namespace

std::optional<WebCheck> ClassifyWebLink(std::string_view rawValue, const std::string& location,
                                        const WebLinkBase& base) {
    std::string value = CleanLinkValue(rawValue);
    if (IsProtocolRelative(value)) value.insert(0, SchemeOfAddress(base.page));
    // With anchors checked, the fragment a link's page must have ("" for none).
    const std::size_t hash =
        mainWindow->Options().checkAnchors != 0 ? value.find('#') : std::string::npos;
    const bool hasFragment = hash != std::string::npos;
    const std::string fragment = hasFragment ? value.substr(hash + 1) : std::string();
    // "#part" is a place on the page itself (without a base naming another).
    if (value.starts_with('#')) {
        if (hasFragment && base.documentBase.empty()) {
            TheWebAnchors().Check(NormaliseWebAddress(base.page), fragment, location);
        }
        return std::nullopt;
    }
    const std::optional<LinkKind> kind = KindToFollow(value, PageVariant::kWeb);
    if (!kind) return std::nullopt;
    if (*kind == LinkKind::kAbsoluteWeb) {
        WebCheck check = AbsoluteWebLinkCheck(value, location, base.folder);
        if (check.use == ResponseUse::kPage && hasFragment) {
            TheWebAnchors().Check(check.url, fragment, location);
        }
        return check;
    }
    std::string url =
        value.starts_with('?')
            ? SamePageWithQuery(value, base)
            : ResolveWebLink(value, *kind,
                             base.documentBase.empty() ? base.folder : base.documentBase);
    // A base on another server makes the link an absolute one.
    if (!base.documentBase.empty() && GetUrlOrigin(url) != GetUrlOrigin(base.folder)) {
        return ClassifyWebLink(url, location, base.folder);
    }
    if (hasFragment) TheWebAnchors().Check(url, fragment, location);
    return WebCheck{ResponseUse::kPage, std::move(url), location, {}};
}

LocalLinkTarget LocalLinkTargetOf(std::string_view rawValue, const LocalPath& base,
                                  const LocalDocumentBase& documentBase, HttpsLinks https,
                                  const LocalPath& siteRoot) {
    // A value may run on for megabytes. No row shows more than this, and any
    // path this long is too long to open.
    std::string value = CleanLinkValue(rawValue.substr(0, kMaxRowTextLength));
    // A local page is read as from an http server.
    if (IsProtocolRelative(value)) value.insert(0, "http:");
    LocalLinkTarget target;
    // "?query" and "#fragment" name the page itself (or the file its base names).
    if ((value.starts_with('?') || value.starts_with('#')) && documentBase.web.empty() &&
        !documentBase.local) {
        target.kind = LocalLinkTarget::Kind::kThisPage;
        target.value = std::move(value);
        return target;
    }
    const LinkKind kind = KindOfLink(value, https);
    if (kind == LinkKind::kIgnored) return target;
    if (kind == LinkKind::kAbsoluteWeb) {
        target.kind = LocalLinkTarget::Kind::kWebAddress;
        target.value = NormaliseWebAddress(value);
        return target;
    }
    if (const std::optional<std::string> filePath = LocalFileUrlPath(value)) {
        const std::string path = RemoveDotSegments(*filePath);
        target.kind = LocalLinkTarget::Kind::kFile;
        target.file = LocalPath{Widen(path), path};
        return target;
    }
    if (LeadsNowhereToCheck(value, PageVariant::kLocal)) return target;
    if (!documentBase.web.empty()) {
        // Against a web base, a relative link is a web address.
        const std::string url = ResolveWebLink(value, kind, documentBase.web);
        if (url.size() > kMaxAddressLength) return target;
        return LocalLinkTargetOf(url, base, {}, https, siteRoot);
    }
    target.base = documentBase.local ? &*documentBase.local : &base;
    target.linkKind = RootedLink(value, kind, siteRoot, &target.base);
    target.kind = LocalLinkTarget::Kind::kRelative;
    target.value = std::move(value);
    return target;
}

LocalLinkDecision ClassifyLocalLink(std::string_view rawValue, const std::wstring& location,
                                    const LocalPath& base, const LocalDocumentBase& documentBase) {
    const LocalLinkTarget target = LocalLinkTargetOf(
        rawValue, base, documentBase, HttpsLinksOf(mainWindow->Options()), TheScanState().siteRoot);
    LocalLinkDecision decision;
    switch (target.kind) {
        case LocalLinkTarget::Kind::kNothing:
        case LocalLinkTarget::Kind::kThisPage:
            return decision;
        case LocalLinkTarget::Kind::kWebAddress:
            decision.repeat = LocalLinkRepeat::kAddsARowEachTime;
            if (mainWindow->Options().checkExternalUrls) {
                decision.webAddress = target.value;
            } else {
                AddLocalResult(Widen(target.value), kAbsoluteSkippedState, location);
            }
            return decision;
        case LocalLinkTarget::Kind::kFile:
            decision.file = LocalLinkPaths{target.file, {}, {}, {}};
            return decision;
        case LocalLinkTarget::Kind::kRelative:
            break;
    }
    // Most links lead to a file reported already, which its text alone tells.
    // Classifying runs on the scan thread alone, which keeps one buffer for it.
    thread_local std::wstring resolved;
    ResolveLocalLinkText(target.value, target.linkKind, *target.base, resolved);
    if (TheScanState().reportedLinks.Contains(resolved)) return decision;
    // A path too long to open is still checked, which reports it.
    decision.file = ResolveLocalLink(target.value, target.linkKind, *target.base);
    return decision;
}
