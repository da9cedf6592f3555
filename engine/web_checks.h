// How a web scan carries out its checks: the one place where the classic
// pacing and fast checking differ. Link extraction, classification, the
// visited list and the results table are the same for both; a web scan picks
// its WebChecks when it starts, and every page it queues and every external
// link it meets goes through it.
//
// Threads: QueuePage and CheckExternal are called from whichever thread
// scans a page; RunUntilDone runs on the scan thread.
#pragma once

#include <memory>
#include <string>

class WebChecks {
public:
    virtual ~WebChecks() = default;

    // A page of the site, just entered in the visited list: it is fetched,
    // reported and scanned for links.
    virtual void QueuePage(std::string url, std::string location) = 0;
    // An absolute link outside its page's folder: checked by its status line.
    virtual void CheckExternal(std::string url, std::string location) = 0;
    // Carries out the queued checks and every check they queue, until none
    // is left or the scan has been stopped.
    virtual void RunUntilDone() = 0;
};

// The classic pacing: the link check queue, drained by one short-lived
// worker per link (at most ten) with the dispatcher's pauses, and external
// links checked on the spot by the worker that met them.
[[nodiscard]] WebChecks& ClassicWebChecks();

// Fast checking (engine/fast_checks.cpp): a pool of workers, connections
// kept alive, at most connectionsPerHost to one server, and no pauses.
[[nodiscard]] std::unique_ptr<WebChecks> MakeFastWebChecks(int connectionsPerHost);

// The checks of the web scan that is running; the classic ones when none is.
[[nodiscard]] WebChecks& CurrentWebChecks();

// Makes checks the current ones for its lifetime: the web scan's.
class CurrentWebChecksScope {
public:
    explicit CurrentWebChecksScope(WebChecks& checks);
    ~CurrentWebChecksScope();
    CurrentWebChecksScope(const CurrentWebChecksScope&) = delete;
    CurrentWebChecksScope& operator=(const CurrentWebChecksScope&) = delete;
};
