// Link classification: prefix tests, resolution against the folder of the
// page that holds the link (joining, then removing dot segments and
// fragments, so that one page has one text), and the hand-over.
#include "engine/link_classification.h"

#include <optional>
#include <type_traits>

#include "engine/link_value.h"
#include "engine/local_scan.h"
#include "engine/main_window_record.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
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

// A base that ends in "/" is a folder already; otherwise its folder part.
std::string FolderOfBase(const std::string& base) {
    return base.ends_with('/') ? base : GetUrlFolder(base);
}

std::wstring FolderOfBase(const std::wstring& base) {
    return base.ends_with(L'/') ? base : GetUrlFolderW(base);
}

// The host part or folder of base that a link of this kind is joined to.
template <typename Char>
std::basic_string<Char> FrontOfLink(LinkKind kind, const std::basic_string<Char>& base) {
    if (kind != LinkKind::kRootRelative) return FolderOfBase(base);
    if constexpr (std::is_same_v<Char, char>) {
        return GetUrlHost(base);
    } else {
        return GetUrlHostW(base);
    }
}

// front, then each byte of part as one character, without dot segments.
template <typename Char>
std::basic_string<Char> JoinWithoutDotSegments(std::basic_string<Char> front,
                                               std::string_view part) {
    front.reserve(front.size() + part.size());
    for (const char c : part) front.push_back(static_cast<Char>(static_cast<unsigned char>(c)));
    constexpr Char kSlashDot[] = {'/', '.', 0};
    // Most paths hold no dot segment: they are taken as they are.
    if (front.find(kSlashDot) == std::basic_string<Char>::npos && !front.starts_with(Char('.'))) {
        return front;
    }
    if constexpr (std::is_same_v<Char, char>) {
        return RemoveDotSegments(front);
    } else {
        return RemoveDotSegmentsW(front);
    }
}

}  // namespace

LinkKind KindOfLink(std::string_view value, HttpsLinks https) {
    if (IsWebLink(value, https)) return LinkKind::kAbsoluteWeb;
    if (IsIgnored(value)) return LinkKind::kIgnored;
    if (value.starts_with('/')) return LinkKind::kRootRelative;
    return LinkKind::kRelative;
}

std::string ResolveWebLink(std::string_view value, LinkKind kind, const std::string& base) {
    if (kind == LinkKind::kRootRelative) {
        return NormaliseWebAddress(GetUrlOrigin(base) + std::string(value));
    }
    return NormaliseWebAddress(FolderOfBase(base) + std::string(value));
}

namespace {

// The path of a link part joined to base, without dot segments. A base
// without its bytes leaves the file system to be given the text.
LocalPath JoinLocal(const LocalPath& base, LinkKind kind, std::string_view part) {
    LocalPath path{JoinWithoutDotSegments(FrontOfLink(kind, base.text), part), {}};
    if (!base.fileBytes.empty()) {
        path.fileBytes = JoinWithoutDotSegments(FrontOfLink(kind, base.fileBytes), part);
    }
    return path;
}

void AppendToPath(LocalPath& path, std::string_view bytes) {
    path.text += Widen(bytes);
    if (!path.fileBytes.empty()) path.fileBytes += bytes;
}

}  // namespace

LocalLinkPaths ResolveLocalLink(std::string_view value, LinkKind kind, const LocalPath& base) {
    // Dot segments are looked for only up to the query or fragment, which
    // belong to no folder.
    const std::size_t cut = QueryOrFragmentStart(value);
    const std::string_view pathPart = value.substr(0, cut);
    const std::string_view suffix = value.substr(cut);
    LocalLinkPaths paths;
    paths.path = JoinLocal(base, kind, pathPart);
    const std::string unescaped = PercentDecoded(pathPart);
    if (unescaped != pathPart) paths.unescaped = JoinLocal(base, kind, unescaped);
    if (suffix.empty()) return paths;
    paths.withoutQuery = paths.path;
    AppendToPath(paths.path, suffix);
    return paths;
}

void ClassifyWebLink(std::string_view rawValue, const std::string& location,
                     const std::string& base) {
    const std::string value = CleanLinkValue(rawValue);
    const LinkKind kind = KindOfLink(value, HttpsLinksOf(mainWindow->Options()));
    if (kind == LinkKind::kIgnored) return;
    if (kind != LinkKind::kAbsoluteWeb && LeadsNowhereToCheck(value, PageVariant::kWeb)) return;
    if (kind == LinkKind::kAbsoluteWeb) {
        const std::string url = NormaliseWebAddress(value);
        // Too long to be requested: neither queued nor checked.
        if (url.size() > kMaxAddressLength) return;
        if (url.starts_with(base)) {
            EnqueueLink(url, location);
        } else {
            CurrentWebChecks().CheckExternal(url, location);
        }
        return;
    }
    const std::string url = ResolveWebLink(value, kind, base);
    if (url.size() <= kMaxAddressLength) EnqueueLink(url, location);
}

void ClassifyLocalLink(std::string_view value, const std::wstring& location,
                       const std::wstring& base) {
    ClassifyLocalLink(value, location, LocalPath{base, {}});
}

void ClassifyLocalLink(std::string_view rawValue, const std::wstring& location,
                       const LocalPath& base) {
    // A local value runs to the next quote, which may be megabytes away. No
    // row shows more than this, and any path this long is too long to open.
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
    // A path too long to open still reaches CheckLocalFile, which reports it.
    CheckLocalFile(ResolveLocalLink(value, kind, base), location);
}
