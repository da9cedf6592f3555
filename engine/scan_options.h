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
#include <vector>

#include "engine/url_functions.h"

// How many connections fast checking may hold to one server at once.
inline constexpr int kDefaultConnectionsPerHost = 8;
inline constexpr int kMaxConnectionsPerHost = 64;
inline constexpr int kMaxRetries = 10;
inline constexpr int kMaxRedirectHops = 10;

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

    // Today's web, every one off (empty, 0) by default, which keeps the
    // checks as they always were.
    // On: a checked link's redirects are followed, up to kMaxRedirectHops.
    std::atomic<int> followRedirects{0};
    // A check that failed transiently is tried again this many times
    // (0 to kMaxRetries).
    std::atomic<int> retries{0};
    // On: a server's robots.txt is read before its first page is crawled,
    // and the pages it disallows are not requested.
    std::atomic<int> obeyRobots{0};
    // Regular expressions (PCRE2 syntax) matched against a link's address or
    // path: a matching link is not checked (excludePatterns), or a matching
    // page is checked but its links are not read (noFollowPatterns). UI
    // thread only, like userAgent, requestHeaders and acceptedStatuses: Start
    // hands the scan what it made of them.
    std::vector<std::wstring> excludePatterns;
    std::vector<std::wstring> noFollowPatterns;
    // The User-Agent header's value; empty: the one always sent.
    std::wstring userAgent;
    // Further request headers, each "Name: value"; given on skarnel-cli's
    // command line only and never saved, since they may hold a token.
    std::vector<std::string> requestHeaders;
    // The statuses that count as fine, as "200-299,403"; empty: the usual ones.
    std::wstring acceptedStatuses;

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

// The retry count to use: the stored value held within 0 to kMaxRetries.
[[nodiscard]] int RetriesOf(const ScanOptions& options);

// The per-host connection limit to use: the stored value, or the default
// when it is outside 1 to kMaxConnectionsPerHost.
[[nodiscard]] int ConnectionsPerHostOf(const ScanOptions& options);

// The connection limit a text names: a number from 1 to
// kMaxConnectionsPerHost, blanks around it allowed; nothing otherwise.
[[nodiscard]] std::optional<int> ConnectionLimitFromText(std::wstring_view text);
// The same for a retry count: 0 to kMaxRetries.
[[nodiscard]] std::optional<int> RetriesFromText(std::wstring_view text);
