// The classic checks: the queue, its dispatcher and workers, and the
// classic exchanges they run.
#include "engine/classic_checks.h"

#include <exception>

#include "engine/http_exchange.h"
#include "engine/results_table.h"
#include "engine/scan_seams.h"
#include "engine/web_check_rows.h"
#include "engine/web_check_rules.h"
#include "platform/sleep.h"

namespace {

std::size_t QueuedPairCount() {
    ScanState& scan = TheScanState();
    SemaphoreHold hold(scan.queueLock);
    return scan.linkCheckQueue.size();
}

// The front pair of the queue, or nullptr when it is empty.
LinkCheckPair* FrontPair() {
    ScanState& scan = TheScanState();
    SemaphoreHold hold(scan.queueLock);
    return scan.linkCheckQueue.empty() ? nullptr : &scan.linkCheckQueue.front();
}

void RemoveFrontPair() {
    ScanState& scan = TheScanState();
    SemaphoreHold hold(scan.queueLock);
    if (!scan.linkCheckQueue.empty()) scan.linkCheckQueue.pop_front();
}

// Starts a worker for pair, trying again after a busy pause while the system
// cannot create the thread. Returns false when every attempt failed.
bool StartWorkerFor(LinkCheckPair& pair) {
    for (unsigned attempt = 0; attempt < kWorkerStartAttempts; ++attempt) {
        if (TheScanSeams().startThread([&pair] { LinkCheckWorker(pair); })) return true;
        PauseScan(kBusyPauseMs);
    }
    return false;
}

// Hands every queued pair to a worker of its own, at most kMaxWorkers at once.
void DrainQueue() {
    ScanState& scan = TheScanState();
    for (;;) {
        LinkCheckPair* front = FrontPair();
        if (front == nullptr) {
            PauseScan(kIdlePauseMs);
            return;
        }
        while (scan.activeWorkers >= kMaxWorkers) PauseScan(kBusyPauseMs);
        if (StartWorkerFor(*front)) {
            // The worker counts itself before it signals, so the count read
            // next always includes it.
            scan.handOff.Acquire();
        } else if (scan.scanRunning) {
            AddWebResult(front->url, kWorkerNotStartedState, front->location);
        }
        RemoveFrontPair();
    }
}

// Checks one address and turns anything thrown into the link's row, since
// an exception escaping a thread would end the program.
void CheckWithoutThrowing(const std::string& url, const std::string& location) {
    try {
        TheScanSeams().fetchPage(url, location);
    } catch (const std::exception& error) {
        try {
            AddWebResult(url, std::string("Check failed: ") + error.what(), location);
        } catch (...) {
        }
    }
}

// Classic exchanges: one connection for each request alone, closed at its end.
class ClassicExchanger final : public CheckExchanger {
public:
    WebResponse Run(const WebRequestTarget& target, ResponseUse use,
                    const BodyLimits& limits) override {
        HttpConnection connection;
        return Exchange(ReadingStyle::kClassic, connection, target, use, nullptr,
                        TheScanState().scanRunning, limits, TheWebCheckRules().headers);
    }
};

// An address checked by its status line, on the thread that met it.
void CheckStatusNow(const WebCheck& check) {
    if (!TheScanState().scanRunning) return;
    ShowCheckingStatus(check.url);
    ClassicExchanger exchanger;
    (void)RunWebCheck(check, exchanger);
}

class ClassicChecks final : public WebChecks {
public:
    void Queue(std::vector<WebCheck> checks) override {
        ScanState& scan = TheScanState();
        for (WebCheck& check : checks) {
            if (check.use == ResponseUse::kStatusOnly) {
                CheckStatusNow(check);
                continue;
            }
            SemaphoreHold hold(scan.queueLock);
            scan.linkCheckQueue.push_back(LinkCheckPair{
                std::move(check.url), std::get<std::string>(std::move(check.location))});
        }
    }

    void RunUntilDone() override { DispatchLinkChecks(); }
};

}  // namespace

WebChecks& ClassicWebChecks() {
    // Never destroyed: detached workers may reach it while the program ends.
    static ClassicChecks* const checks = new ClassicChecks;
    return *checks;
}

void PauseScan(unsigned milliseconds) {
    SleepMilliseconds(milliseconds / TheScanSeams().pauseDivisor);
}

void DispatchLinkChecks() {
    ScanState& scan = TheScanState();
    for (;;) {
        const unsigned workers = scan.activeWorkers;
        const std::size_t queued = QueuedPairCount();
        if (workers == 0 && queued == 0) return;
        if (queued == 0) {
            PauseScan(kIdlePauseMs);
            continue;
        }
        DrainQueue();
    }
}

void LinkCheckWorker(LinkCheckPair& pair) {
    ScanState& scan = TheScanState();
    ++scan.activeWorkers;
    std::string url;
    std::string location;
    bool copied = true;
    try {
        url = pair.url;
        location = pair.location;
    } catch (...) {
        copied = false;
    }
    // Released on every path: the dispatcher waits for it without a time-out.
    (void)scan.handOff.Release();
    if (copied) CheckWithoutThrowing(url, location);
    --scan.activeWorkers;
}

void EnqueueLink(std::string_view url, std::string_view location) {
    HandOnChecks({WebCheck{ResponseUse::kPage, std::string(url), std::string(location), {}}},
                 ClassicWebChecks());
}

void FetchPage(const std::string& address, const std::string& location) {
    if (!TheScanState().scanRunning) return;
    ShowCheckingStatus(address);
    const WebCheck check{ResponseUse::kPage, address, location,
                         RequestTargetOfAddress(address, CurrentHttpsLinks())};
    ClassicExchanger exchanger;
    HandOnChecks(RunWebCheck(check, exchanger), ClassicWebChecks());
}

void CheckExternalLink(const std::string& address, const std::string& location) {
    HandOnChecks({WebCheck{ResponseUse::kStatusOnly, address, location, {}}}, ClassicWebChecks());
}
