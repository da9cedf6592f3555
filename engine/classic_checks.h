// The classic pacing of a web scan's checks: the link check queue, drained
// by the dispatcher on the scan thread into one short-lived worker per
// queued page (at most kMaxWorkers at once, with the dispatcher's pauses),
// each fetching its page in the classic reading; an address checked by its
// status line is checked on the spot by the thread that met it.
#pragma once

#include <string>

#include "engine/scan_state.h"
#include "engine/web_checks.h"

inline constexpr unsigned kMaxWorkers = 10;
// The dispatcher's pauses: while ten workers are busy, and when the queue is empty.
inline constexpr unsigned kBusyPauseMs = 100;
inline constexpr unsigned kIdlePauseMs = 3000;
// A worker thread that cannot be created is tried again after each busy pause
// this many times before its link gets a row that says so.
inline constexpr unsigned kWorkerStartAttempts = 50;

inline constexpr char kWorkerNotStartedState[] = "Check not started: can't create a thread.";

[[nodiscard]] WebChecks& ClassicWebChecks();

// A pause of the dispatcher (shortened by the tests' seam).
void PauseScan(unsigned milliseconds);

void DispatchLinkChecks();
void LinkCheckWorker(LinkCheckPair& pair);

// A page of the site for the classic checks, queued unless it was met before.
void EnqueueLink(std::string_view url, std::string_view location);
// Fetches a queued page in the classic reading: its row, then its links
// handed on. Nothing once the scan has stopped.
void FetchPage(const std::string& address, const std::string& location);
// Checks an address by its status line on the spot: its row.
void CheckExternalLink(const std::string& address, const std::string& location);
