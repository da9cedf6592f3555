// The one scan state of the process, and the scan thread's lifetime flag.
#include "engine/scan_state.h"

ScanState& TheScanState() {
    // Never destroyed: detached scan threads may outlive main().
    static ScanState* const state = new ScanState;
    return *state;
}

bool IsScanThreadAlive() {
    ScanState& state = TheScanState();
    std::lock_guard lock(state.lifeMutex);
    return state.scanThreadAlive;
}

void SetScanThreadAlive(bool alive) {
    ScanState& state = TheScanState();
    {
        std::lock_guard lock(state.lifeMutex);
        state.scanThreadAlive = alive;
    }
    state.lifeChanged.notify_all();
}

bool WaitForScanThreadEnd(std::chrono::milliseconds timeout) {
    ScanState& state = TheScanState();
    std::unique_lock lock(state.lifeMutex);
    return state.lifeChanged.wait_for(lock, timeout, [&] { return !state.scanThreadAlive; });
}
