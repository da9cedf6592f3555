// The classic web checks, and which checks the running scan uses.
#include "engine/web_checks.h"

#include <atomic>

#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "engine/web_crawl.h"

namespace {

class ClassicChecks final : public WebChecks {
public:
    void QueuePage(std::string url, std::string location) override {
        ScanState& scan = TheScanState();
        SemaphoreHold hold(scan.queueLock);
        scan.linkCheckQueue.push_back(LinkCheckPair{std::move(url), std::move(location)});
    }

    void CheckExternal(std::string url, std::string location) override {
        CheckExternalLink(url, location);
    }

    void RunUntilDone() override { DispatchLinkChecks(); }
};

std::atomic<WebChecks*> currentChecks{nullptr};

}  // namespace

WebChecks& ClassicWebChecks() {
    // Never destroyed: detached workers may reach it while the program ends.
    static ClassicChecks* const checks = new ClassicChecks;
    return *checks;
}

WebChecks& CurrentWebChecks() {
    WebChecks* const checks = currentChecks.load();
    return checks != nullptr ? *checks : ClassicWebChecks();
}

CurrentWebChecksScope::CurrentWebChecksScope(WebChecks& checks) { currentChecks = &checks; }

CurrentWebChecksScope::~CurrentWebChecksScope() { currentChecks = nullptr; }
