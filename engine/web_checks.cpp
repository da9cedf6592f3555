// Handing a page's checks on, and which checks a scan uses.
#include "engine/web_checks.h"

#include "engine/classic_checks.h"
#include "engine/main_window_record.h"
#include "engine/scan_options.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/web_check_rows.h"
#include "engine/web_check_rules.h"

void HandOnChecks(std::vector<WebCheck> found, WebChecks& checks) {
    ScanState& scan = TheScanState();
    if (!scan.scanRunning || found.empty()) return;
    const HttpsLinks https = CurrentHttpsLinks();
    const LinkPatterns& excluded = TheWebCheckRules().exclude;
    std::vector<WebCheck> accepted;
    std::vector<WebCheck> left;
    accepted.reserve(found.size());
    {
        // One hold for all of a page's links: two workers that find the same
        // new page at once cannot both queue it.
        SemaphoreHold hold(scan.visitedLock);
        for (WebCheck& check : found) {
            if (check.url.size() > kMaxAddressLength) continue;
            const bool added = scan.visitedUrls.Add(check.url);
            if (check.use == ResponseUse::kPage && !added) continue;
            if (!excluded.Empty() && excluded.Matches(check.url)) {
                left.push_back(std::move(check));
                continue;
            }
            check.target = RequestTargetOfAddress(check.url, https);
            accepted.push_back(std::move(check));
        }
    }
    // Rows wait until the visited lock is let go: no thread holds two.
    for (const WebCheck& check : left) {
        AddWebCheckRow(check.url, kExcludedState, check.location, ResultIcon::kSkipped);
    }
    if (!accepted.empty()) checks.Queue(std::move(accepted));
}

std::string ServerKeyOf(const WebRequestTarget& target) {
    return (target.secure ? "https " : "http ") + target.connectHost + " " +
           std::to_string(target.port);
}

WebRequestTarget RequestTargetOfAddress(std::string_view address, HttpsLinks https) {
    return RequestTargetOf(address.substr(0, address.find('\0')), https);
}

HttpsLinks CurrentHttpsLinks() { return HttpsLinksOf(mainWindow->Options()); }

ScanWebChecks::ScanWebChecks() : m_checks(&ClassicWebChecks()) {
    const ScanOptions& options = mainWindow->Options();
    if (!options.fastChecking) return;
    m_fast = MakeFastWebChecks(ConnectionsPerHostOf(options));
    m_checks = m_fast.get();
}
