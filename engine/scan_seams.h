// The calls a scan thread makes that tests may replace: checking one web
// address, walking a local site, creating a thread, and the length of the
// dispatcher's pauses. The programs always use the defaults. Change them only
// while no scan thread is alive.
#pragma once

#include <functional>
#include <string>

struct ScanSeams {
    // Checks one queued web address (runs on a link check worker).
    std::function<void(const std::string& url, const std::string& location)> fetchPage;
    // The local branch of the scan thread.
    std::function<void()> runLocalScan;
    // Starts a detached thread; false when it cannot be created.
    std::function<bool(std::function<void()>)> startThread;
    // The dispatcher's pauses are divided by this (1: the normal pauses).
    unsigned pauseDivisor = 1;
};

[[nodiscard]] ScanSeams& TheScanSeams();

// Puts every seam back to what the programs use.
void RestoreDefaultScanSeams();
