// The scan settings the window holds for the whole run: the six the options
// file has always kept, whether https links are checked, fast checking,
// anchors and the site root. Scan threads read the flags while the Options
// dialog may change them, so each flag is one atomic word; editorCommand and
// siteRoot are used on the UI thread only.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

#include "engine/url_functions.h"

// How many connections fast checking may hold to one server at once.
inline constexpr int kDefaultConnectionsPerHost = 8;
inline constexpr int kMaxConnectionsPerHost = 64;

struct ScanOptions {
    std::atomic<int> checkImages{1};
    std::atomic<int> checkAllTags{0};
    std::atomic<int> checkExternalUrls{0};
    std::atomic<int> useExternalEditor{0};
    std::wstring editorCommand{L"notepad.exe"};
    std::atomic<int> scanPageOnly{0};
    // Off by default: "https:" links are then ignored, as they always were.
    std::atomic<int> checkHttpsLinks{0};
    // Off by default: web scans keep the polite pacing of one connection and
    // one thread per link. On: kept-alive connections, at most
    // connectionsPerHost to each server, and no pauses (engine/fast_checks.h).
    std::atomic<int> fastChecking{0};
    std::atomic<int> connectionsPerHost{kDefaultConnectionsPerHost};
    // Off by default: a link's fragment is then not looked at. On: a link
    // with a fragment to one of the site's pages must name an anchor there.
    std::atomic<int> checkAnchors{0};
    // What a local scan's root-relative links resolve against; empty: the
    // start folder, or the start page's folder. UI thread only: Start hands
    // a copy to the scan.
    std::wstring siteRoot;

    ScanOptions() = default;
    ScanOptions(const ScanOptions& other) { *this = other; }
    ScanOptions& operator=(const ScanOptions& other);
};

// Compares every value (a flag is compared as stored, not as on/off).
[[nodiscard]] bool operator==(const ScanOptions& a, const ScanOptions& b);

// Whether https links are checked, as read at this moment.
[[nodiscard]] inline HttpsLinks HttpsLinksOf(const ScanOptions& options) {
    return options.checkHttpsLinks ? HttpsLinks::kChecked : HttpsLinks::kIgnored;
}

// The per-host connection limit to use: the stored value, or the default
// when it is outside 1 to kMaxConnectionsPerHost.
[[nodiscard]] int ConnectionsPerHostOf(const ScanOptions& options);

// The connection limit a text names: a number from 1 to
// kMaxConnectionsPerHost, blanks around it allowed; nothing otherwise.
[[nodiscard]] std::optional<int> ConnectionLimitFromText(std::wstring_view text);
