// Scan control: Start and Stop, the scan thread and the totals.
#include "engine/scan_control.h"

#include <optional>
#include <string>

#include "engine/classic_checks.h"
#include "engine/main_window_record.h"
#include "engine/results_table.h"
#include "engine/robots_cache.h"
#include "engine/scan_seams.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "engine/web_anchors.h"
#include "engine/web_check_rules.h"
#include "engine/web_checks.h"
#include "platform/sleep.h"
#include "platform/text_codec.h"
#include "platform/thread.h"

namespace {

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
        while (scan.activeWorkers != 0) PauseScan(kBusyPauseMs);
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
    // The options a scan's checks follow are read once, here: a malformed
    // one (a file edited by hand) stops the scan before it starts.
    std::string rulesError;
    std::optional<WebCheckRules> rules = MakeWebCheckRules(window.Options(), &rulesError);
    if (!rules) {
        window.ShowMessageBox(L"Can't start the scan. " + FromUtf8(rulesError), kProgramCaption);
        return;
    }
    SetWebCheckRules(*std::move(rules));
    ForgetRobotsRules();
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
    ScanWebChecks checks;
    scan.scanRunning = true;
    HandOnChecks({WebCheck{ResponseUse::kPage, scan.startAddress, scan.startAddress, {}}},
                 checks.Checks());
    checks.Checks().RunUntilDone();
    scan.scanRunning = false;
    SetStartLook();
    ShowScanTotals();
}

std::wstring ScanTotalsText(unsigned rows, unsigned errors) {
    return L"Total links found: " + std::to_wstring(rows) + L", errors: " + std::to_wstring(errors);
}

void ShowScanTotals() {
    const int rows = mainWindow->RowCount();
    mainWindow->SetStatusText(
        ScanTotalsText(static_cast<unsigned>(rows), TheScanState().errorCount));
}
