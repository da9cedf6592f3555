// Starting, dispatching, stopping and totalling a scan. StartScan and
// StopScan run on the UI thread; ScanThreadMain and DispatchLinkChecks on the
// scan thread; LinkCheckWorker on one short-lived worker per queued link, at
// most kMaxWorkers at a time. EnqueueLink and the visited list may be used
// from any of them.
#pragma once

#include <string>
#include <string_view>

#include "engine/scan_state.h"

inline constexpr unsigned kMaxWorkers = 10;
// The dispatcher's pauses: while ten workers are busy, and when the queue is empty.
inline constexpr unsigned kBusyPauseMs = 100;
inline constexpr unsigned kIdlePauseMs = 3000;
// A worker thread that cannot be created is tried again after each busy pause
// this many times before its link gets a row that says so.
inline constexpr unsigned kWorkerStartAttempts = 50;

inline constexpr wchar_t kScanInProgressText[] = L"Scan process is in progress.";
inline constexpr wchar_t kScanNotStartedText[] =
    L"Can't start the scan: the system could not create a thread.";
inline constexpr char kWorkerNotStartedState[] = "Check not started: can't create a thread.";
inline constexpr wchar_t kProgramCaption[] = L"Skarnel";

void StartScan();
void StopScan();
void ScanThreadMain();
void DispatchLinkChecks();
void LinkCheckWorker(LinkCheckPair& pair);
void EnqueueLink(std::string_view url, std::string_view location);
[[nodiscard]] bool IsUrlVisited(std::string_view url);
void MarkUrlVisited(std::string_view url);
void ShowScanTotals();

// "Total links found: %u, errors: %u": the status text at the end of a scan.
[[nodiscard]] std::wstring ScanTotalsText(unsigned rows, unsigned errors);

// "Checking %s..." for a path or address, cut to fit the status buffer.
[[nodiscard]] std::wstring CheckingStatusText(std::wstring_view target);
