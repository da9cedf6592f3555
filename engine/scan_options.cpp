// Copying and comparing scan options value by value.
#include "engine/scan_options.h"

#include <algorithm>

ScanOptions& ScanOptions::operator=(const ScanOptions& other) {
    if (this == &other) return *this;
    checkImages = other.checkImages.load();
    checkAllTags = other.checkAllTags.load();
    checkExternalUrls = other.checkExternalUrls.load();
    useExternalEditor = other.useExternalEditor.load();
    editorCommand = other.editorCommand;
    scanPageOnly = other.scanPageOnly.load();
    checkHttpsLinks = other.checkHttpsLinks.load();
    fastChecking = other.fastChecking.load();
    connectionsPerHost = other.connectionsPerHost.load();
    checkAnchors = other.checkAnchors.load();
    siteRoot = other.siteRoot;
    followRedirects = other.followRedirects.load();
    retries = other.retries.load();
    obeyRobots = other.obeyRobots.load();
    excludePatterns = other.excludePatterns;
    noFollowPatterns = other.noFollowPatterns;
    userAgent = other.userAgent;
    requestHeaders = other.requestHeaders;
    acceptedStatuses = other.acceptedStatuses;
    return *this;
}

bool operator==(const ScanOptions& a, const ScanOptions& b) {
    return a.checkImages == b.checkImages && a.checkAllTags == b.checkAllTags &&
           a.checkExternalUrls == b.checkExternalUrls &&
           a.useExternalEditor == b.useExternalEditor && a.editorCommand == b.editorCommand &&
           a.scanPageOnly == b.scanPageOnly && a.checkHttpsLinks == b.checkHttpsLinks &&
           a.fastChecking == b.fastChecking && a.connectionsPerHost == b.connectionsPerHost &&
           a.checkAnchors == b.checkAnchors && a.siteRoot == b.siteRoot &&
           a.followRedirects == b.followRedirects && a.retries == b.retries &&
           a.obeyRobots == b.obeyRobots && a.excludePatterns == b.excludePatterns &&
           a.noFollowPatterns == b.noFollowPatterns && a.userAgent == b.userAgent &&
           a.requestHeaders == b.requestHeaders && a.acceptedStatuses == b.acceptedStatuses;
}

int RetriesOf(const ScanOptions& options) {
    return std::clamp(options.retries.load(), 0, kMaxRetries);
}

int ConnectionsPerHostOf(const ScanOptions& options) {
    const int limit = options.connectionsPerHost;
    return limit >= 1 && limit <= kMaxConnectionsPerHost ? limit : kDefaultConnectionsPerHost;
}

namespace {

// A number of one or two digits from low to high, blanks around it allowed.
std::optional<int> SmallNumberFromText(std::wstring_view text, int low, int high) {
    while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    if (text.empty() || text.size() > 2) return std::nullopt;
    int value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace

std::optional<int> ConnectionLimitFromText(std::wstring_view text) {
    return SmallNumberFromText(text, 1, kMaxConnectionsPerHost);
}

std::optional<int> RetriesFromText(std::wstring_view text) {
    return SmallNumberFromText(text, 0, kMaxRetries);
}
