// Scan control: Start and Stop, the scan thread, the link check dispatcher
// and its workers, the visited-URL list and the totals.
#include "engine/scan_control.h"

#include <exception>
#include <memory>

#include "engine/main_window_record.h"
#include "engine/results_table.h"
#include "engine/scan_seams.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "engine/web_anchors.h"
#include "engine/web_checks.h"
#include "platform/sleep.h"
#include "platform/text_codec.h"
#include "platform/thread.h"

namespace {

void Pause(unsigned milliseconds) { SleepMilliseconds(milliseconds / TheScanSeams().pauseDivisor); }

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
        Pause(kBusyPauseMs);
    }
    return false;
}

// Hands every queued pair to a worker of its own, at most kMaxWorkers at once.
void DrainQueue() {
    ScanState& scan = TheScanState();
    for (;;) {
        LinkCheckPair* front = FrontPair();
        if (front == nullptr) {
            Pause(kIdlePauseMs);
            return;
        }
        while (scan.activeWorkers >= kMaxWorkers) Pause(kBusyPauseMs);
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

void SetStartLook() { mainWindow->SetStartButtonLook(StartButtonLook::kStart); }

// The scan thread's body around ScanThreadMain: whatever happens, the scan
// ends with the flag clear, the Start look and the totals, and only after its
// workers have finished does the next Start become possible.
void RunScanThread() {
    ScanState& scan = TheScanState();
    try {
        ScanThreadMain();
    } catch (...) {
        scan.scanRunning = false;
        while (scan.activeWorkers != 0) Pause(kBusyPauseMs);
        try {
            SetStartLook();
            ShowScanTotals();
        } catch (...) {
        }
    }
    SetScanThreadAlive(false);
}

}  // namespace

std::wstring CheckingStatusText(std::wstring_view target) {
    std::wstring text = L"Checking " + std::wstring(target) + L"...";
    if (text.size() > kStatusMessageBuffer - 1) text.resize(kStatusMessageBuffer - 1);
    return text;
}

void StartScan() {
    ScanState& scan = TheScanState();
    MainWindowRecord& window = *mainWindow;
    // A scan thread from an earlier Start may still be starting up or
    // unwinding after Stop; two scan threads would share one state.
    if (scan.scanRunning || IsScanThreadAlive()) {
        window.ShowMessageBox(kScanInProgressText, kProgramCaption);
        return;
    }
    scan.errorCount = 0;
    scan.startPath = window.ReadPathText();
    scan.chosenSiteRoot = window.Options().siteRoot;
    window.SetStatusText(CheckingStatusText(scan.startPath));
    window.SetStartButtonLook(StartButtonLook::kStop);
    scan.visitedUrls.Clear();
    scan.reportedLinks.Clear();
    scan.localAnchors.clear();
    TheWebAnchors().Clear();
    scan.linkCheckQueue.clear();
    window.DeleteAllRows();
    SetScanThreadAlive(true);
    if (!TheScanSeams().startThread(RunScanThread)) {
        SetScanThreadAlive(false);
        window.SetStartButtonLook(StartButtonLook::kStart);
        window.SetStatusText(L"Ready");
        window.ShowMessageBox(kScanNotStartedText, kProgramCaption);
    }
}

void StopScan() {
    ScanState& scan = TheScanState();
    if (!scan.scanRunning) return;
    SetStartLook();
    scan.scanRunning = false;
    ShowScanTotals();
}

void ScanThreadMain() {
    ScanState& scan = TheScanState();
    scan.startAddress = DefaultWideToBytes(scan.startPath, kMaxAddressLength);
    if (!scan.startAddress.starts_with("http")) {
        TheScanSeams().runLocalScan();
        return;
    }
    // The start page is one page among the others: its row and its links
    // use the same text a link to it would.
    scan.startAddress = NormaliseWebAddress(scan.startAddress);
    const ScanOptions& options = mainWindow->Options();
    std::unique_ptr<WebChecks> fastChecks;
    if (options.fastChecking) fastChecks = MakeFastWebChecks(ConnectionsPerHostOf(options));
    WebChecks& checks = fastChecks ? *fastChecks : ClassicWebChecks();
    const CurrentWebChecksScope current(checks);
    scan.scanRunning = true;
    EnqueueLink(scan.startAddress, scan.startAddress);
    checks.RunUntilDone();
    scan.scanRunning = false;
    SetStartLook();
    ShowScanTotals();
}

void DispatchLinkChecks() {
    ScanState& scan = TheScanState();
    for (;;) {
        const unsigned workers = scan.activeWorkers;
        const std::size_t queued = QueuedPairCount();
        if (workers == 0 && queued == 0) return;
        if (queued == 0) {
            Pause(kIdlePauseMs);
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
    ScanState& scan = TheScanState();
    {
        // Look-up and append under one hold, so two workers that find the
        // same new URL at once cannot both queue it.
        SemaphoreHold hold(scan.visitedLock);
        if (!scan.visitedUrls.Add(url)) return;
    }
    CurrentWebChecks().QueuePage(std::string(url), std::string(location));
}

bool IsUrlVisited(std::string_view url) {
    ScanState& scan = TheScanState();
    SemaphoreHold hold(scan.visitedLock);
    return scan.visitedUrls.Contains(url);
}

void MarkUrlVisited(std::string_view url) {
    ScanState& scan = TheScanState();
    SemaphoreHold hold(scan.visitedLock);
    scan.visitedUrls.Add(url);
}

std::wstring ScanTotalsText(unsigned rows, unsigned errors) {
    return L"Total links found: " + std::to_wstring(rows) + L", errors: " + std::to_wstring(errors);
}

void ShowScanTotals() {
    const int rows = mainWindow->RowCount();
    mainWindow->SetStatusText(
        ScanTotalsText(static_cast<unsigned>(rows), TheScanState().errorCount));
}
