// Link classification: prefix tests, resolution by plain concatenation
// against the folder of the page that holds the link, and the hand-over.
#include "engine/link_classification.h"

#include "engine/local_scan.h"
#include "engine/main_window_record.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
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

}  // namespace

LinkKind KindOfLink(std::string_view value) {
    if (value.starts_with("http:")) return LinkKind::kAbsoluteWeb;
    if (IsIgnored(value)) return LinkKind::kIgnored;
    if (value.starts_with('/')) return LinkKind::kRootRelative;
    return LinkKind::kRelative;
}

std::string ResolveWebLink(std::string_view value, LinkKind kind, const std::string& base) {
    if (kind == LinkKind::kRootRelative) return "http://" + GetUrlHost(base) + std::string(value);
    return FolderOfBase(base) + std::string(value);
}

std::wstring ResolveLocalLink(std::string_view value, LinkKind kind, const std::wstring& base) {
    if (kind == LinkKind::kRootRelative) return GetUrlHostW(base) + Widen(value);
    return FolderOfBase(base) + Widen(value);
}

void ClassifyWebLink(std::string_view value, const std::string& location, const std::string& base) {
    const LinkKind kind = KindOfLink(value);
    if (kind == LinkKind::kIgnored) return;
    if (kind == LinkKind::kAbsoluteWeb) {
        // Too long to be requested: neither queued nor checked.
        if (value.size() > kMaxAddressLength) return;
        if (value.starts_with(base)) {
            EnqueueLink(value, location);
        } else {
            CheckExternalLink(std::string(value), location);
        }
        return;
    }
    const std::string url = ResolveWebLink(value, kind, base);
    if (url.size() <= kMaxAddressLength) EnqueueLink(url, location);
}

void ClassifyLocalLink(std::string_view value, const std::wstring& location,
                       const std::wstring& base) {
    // A local value runs to the next quote, which may be megabytes away. No
    // row shows more than this, and any path this long is too long to open.
    value = value.substr(0, kMaxRowTextLength);
    const LinkKind kind = KindOfLink(value);
    if (kind == LinkKind::kIgnored) return;
    if (kind == LinkKind::kAbsoluteWeb) {
        if (mainWindow->Options().checkExternalUrls) {
            CheckExternalLink(std::string(value), location);
        } else {
            AddLocalResult(Widen(value), kAbsoluteSkippedState, location);
        }
        return;
    }
    // A path too long to open still reaches CheckLocalFile, which reports it.
    CheckLocalFile(ResolveLocalLink(value, kind, base), location);
}
