// The seams' defaults: the real checks and real threads.
#include "engine/scan_seams.h"

#include "engine/classic_checks.h"
#include "engine/local_scan.h"
#include "platform/thread.h"

namespace {

ScanSeams DefaultSeams() {
    ScanSeams seams;
    seams.fetchPage = FetchPage;
    seams.runLocalScan = RunLocalScan;
    seams.startThread = StartDetachedThread;
    return seams;
}

}  // namespace

ScanSeams& TheScanSeams() {
    static ScanSeams* const seams = new ScanSeams(DefaultSeams());
    return *seams;
}

void RestoreDefaultScanSeams() { TheScanSeams() = DefaultSeams(); }
