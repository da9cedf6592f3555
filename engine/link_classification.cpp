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
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "engine/web_checks.h"
#include "engine/web_crawl.h"
#include "platform/text_codec.h"

namespace {

bool IsIgnored(std::string_view value) {
    return value.starts_with("https:") || value.starts_with("mailto:") ||
           value.starts_with("javascript:") || value == "/" || value.starts_with('#');
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

// front, then each byte of part as one character, without dot segments.
template <typename Char>
std::basic_string<Char> JoinWithoutDotSegments(std::basic_string_view<Char> front,
                                               std::string_view part) {
    std::basic_string<Char> path(front.size() + part.size(), Char(0));
    std::copy(front.begin(), front.end(), path.begin());
    std::transform(part.begin(), part.end(),
                   path.begin() + static_cast<std::ptrdiff_t>(front.size()),
                   [](char c) { return static_cast<Char>(static_cast<unsigned char>(c)); });
    constexpr Char kSlashDot[] = {'/', '.', 0};
    // Most paths hold no dot segment: they are taken as they are.
    if (path.find(kSlashDot) == std::basic_string<Char>::npos && !path.starts_with(Char('.'))) {
        return path;
    }
    if constexpr (std::is_same_v<Char, char>) {
        return RemoveDotSegments(path);
    } else {
        return RemoveDotSegmentsW(path);
    }
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

// The path of a link part joined to base, without dot segments. A base
// without its bytes leaves the file system to be given the text.
LocalPath JoinLocal(const LocalPath& base, LinkKind kind, std::string_view part) {
    std::wstring textStorage;
    LocalPath path{JoinWithoutDotSegments(FrontOfLink(kind, base.text, textStorage), part), {}};
    if (!base.fileBytes.empty()) {
        std::string bytesStorage;
        path.fileBytes =
            JoinWithoutDotSegments(FrontOfLink(kind, base.fileBytes, bytesStorage), part);
    }
    return path;
}

void AppendToPath(LocalPath& path, std::string_view bytes) {
    path.text += Widen(bytes);
    if (!path.fileBytes.empty()) path.fileBytes += bytes;
}

}  // namespace

std::wstring ResolveLocalLinkText(std::string_view value, LinkKind kind, const LocalPath& base) {
    const std::size_t cut = QueryOrFragmentStart(value);
    std::wstring storage;
    std::wstring text =
        JoinWithoutDotSegments(FrontOfLink(kind, base.text, storage), value.substr(0, cut));
    text += Widen(value.substr(cut));
    return text;
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
    if (suffix.empty()) return paths;
    paths.withoutQuery = paths.path;
    AppendToPath(paths.path, suffix);
    return paths;
}

namespace {

// An absolute web link of a web page: queued inside the page's folder,
// checked by its status elsewhere.
void ClassifyAbsoluteWebLink(std::string_view value, const std::string& location,
                             const std::string& base) {
    const std::string url = NormaliseWebAddress(value);
    // Too long to be requested: neither queued nor checked.
    if (url.size() > kMaxAddressLength) return;
    if (url.starts_with(base)) {
        EnqueueLink(url, location);
    } else {
        CurrentWebChecks().CheckExternal(url, location);
    }
}

// The kind of a cleaned value, or nothing for a value that leads nowhere.
std::optional<LinkKind> KindToFollow(std::string_view value, PageVariant page) {
    const LinkKind kind = KindOfLink(value, HttpsLinksOf(mainWindow->Options()));
    if (kind == LinkKind::kIgnored) return std::nullopt;
    if (kind != LinkKind::kAbsoluteWeb && LeadsNowhereToCheck(value, page)) return std::nullopt;
    return kind;
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

LocalDocumentBase ResolveLocalDocumentBase(std::string_view baseHref, const LocalPath& base) {
    const std::string value = CleanLinkValue(baseHref.substr(0, kMaxRowTextLength));
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
        documentBase.local = ResolveLocalLink(value, kind, base).path;
    }
    return documentBase;
}

void ClassifyWebLink(std::string_view rawValue, const std::string& location,
                     const std::string& base) {
    ClassifyWebLink(rawValue, location, base, std::string());
}

void ClassifyWebLink(std::string_view rawValue, const std::string& location,
                     const std::string& base, const std::string& documentBase) {
    const std::string value = CleanLinkValue(rawValue);
    const std::optional<LinkKind> kind = KindToFollow(value, PageVariant::kWeb);
    if (!kind) return;
    if (*kind == LinkKind::kAbsoluteWeb) {
        ClassifyAbsoluteWebLink(value, location, base);
        return;
    }
    const std::string url =
        ResolveWebLink(value, *kind, documentBase.empty() ? base : documentBase);
    if (url.size() > kMaxAddressLength) return;
    // A base on another server makes the link an absolute one.
    if (!documentBase.empty() && GetUrlOrigin(url) != GetUrlOrigin(base)) {
        ClassifyWebLink(url, location, base);
        return;
    }
    EnqueueLink(url, location);
}

void ClassifyLocalLink(std::string_view value, const std::wstring& location,
                       const std::wstring& base) {
    ClassifyLocalLink(value, location, LocalPath{base, {}});
}

void ClassifyLocalLink(std::string_view rawValue, const std::wstring& location,
                       const LocalPath& base) {
    // A value may run on for megabytes. No row shows more than this, and any
    // path this long is too long to open.
    const std::string value = CleanLinkValue(rawValue.substr(0, kMaxRowTextLength));
    const LinkKind kind = KindOfLink(value, HttpsLinksOf(mainWindow->Options()));
    if (kind == LinkKind::kIgnored) return;
    if (kind != LinkKind::kAbsoluteWeb) {
        if (const std::optional<std::string> filePath = LocalFileUrlPath(value)) {
            const std::string path = RemoveDotSegments(*filePath);
            CheckLocalFile(LocalPath{Widen(path), path}, location);
            return;
        }
        if (LeadsNowhereToCheck(value, PageVariant::kLocal)) return;
    }
    if (kind == LinkKind::kAbsoluteWeb) {
        const std::string url = NormaliseWebAddress(value);
        if (mainWindow->Options().checkExternalUrls) {
            CheckExternalLink(url, location);
        } else {
            AddLocalResult(Widen(url), kAbsoluteSkippedState, location);
        }
        return;
    }
    // Most links lead to a file reported already, which its text alone tells.
    if (TheScanState().reportedLinks.Contains(ResolveLocalLinkText(value, kind, base))) return;
    // A path too long to open still reaches CheckLocalFile, which reports it.
    CheckLocalFile(ResolveLocalLink(value, kind, base), location);
}

void ClassifyLocalLink(std::string_view rawValue, const std::wstring& location,
                       const LocalPath& base, const LocalDocumentBase& documentBase) {
    if (documentBase.local) {
        ClassifyLocalLink(rawValue, location, *documentBase.local);
        return;
    }
    if (documentBase.web.empty()) {
        ClassifyLocalLink(rawValue, location, base);
        return;
    }
    // Against a web base, a relative link is a web address.
    const std::string value = CleanLinkValue(rawValue.substr(0, kMaxRowTextLength));
    const std::optional<LinkKind> kind = KindToFollow(value, PageVariant::kLocal);
    if (!kind || *kind == LinkKind::kAbsoluteWeb || LocalFileUrlPath(value)) {
        ClassifyLocalLink(rawValue, location, base);
        return;
    }
    const std::string url = ResolveWebLink(value, *kind, documentBase.web);
    if (url.size() <= kMaxAddressLength) ClassifyLocalLink(url, location, base);
}
