// The process-wide scan state: one scan at a time owns it. It is created on
// first use and never destroyed, so a program that ends during a scan cannot
// pull it from under a worker.
//
// Threads: scanRunning, activeWorkers and errorCount are atomic. The visited
// list is guarded by visitedLock, the queue by queueLock, row appends by
// rowLock. reportedLinks and siteRoot are used by the scan thread only.
// startPath, chosenSiteRoot and startAddress are written before the scan
// thread starts and at its beginning, and only read afterwards. No thread holds two semaphores at
// once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "engine/indexed_text_list.h"
#include "engine/local_scan.h"
#include "engine/page_anchors.h"
#include "platform/semaphore.h"

// The element of the link check queue: the URL to check and the location
// text where it was found.
struct LinkCheckPair {
    std::string url;
    std::string location;
};

struct ScanState {
    std::atomic<bool> scanRunning{false};
    std::atomic<unsigned> activeWorkers{0};
    std::atomic<unsigned> errorCount{0};

    Semaphore visitedLock{1, 1};
    Semaphore queueLock{1, 1};
    Semaphore rowLock{1, 1};
    Semaphore handOff{0, 1};

    IndexedTextList<char> visitedUrls;
    IndexedTextList<wchar_t> reportedLinks;
    // A deque keeps queued pairs in place while others are appended: a new
    // worker reads the front pair through a reference.
    std::deque<LinkCheckPair> linkCheckQueue;

    // The Path text as it was at Start, and its byte form made by the scan thread.
    std::wstring startPath;
    std::string startAddress;
    // The site root the options named at Start (empty: none), and what a
    // local scan's root-relative links resolve against (a folder, ending in
    // "/"), set by the scan thread as the scan begins; empty outside one.
    std::wstring chosenSiteRoot;
    LocalPath siteRoot;
    // The anchors of the local pages read so far, under each text that
    // names them; scan thread only, while anchors are checked.
    std::unordered_map<std::wstring, std::shared_ptr<const AnchorSet>> localAnchors;

    // True from Start until the scan thread has finished its last step; a
    // second scan may begin only after that.
    bool scanThreadAlive = false;
    std::mutex lifeMutex;
    std::condition_variable lifeChanged;
};

[[nodiscard]] ScanState& TheScanState();

// True while a scan thread started by Start has not yet finished.
[[nodiscard]] bool IsScanThreadAlive();
void SetScanThreadAlive(bool alive);

// Waits until no scan thread is alive. Returns false when the time-out passes first.
[[nodiscard]] bool WaitForScanThreadEnd(std::chrono::milliseconds timeout);
