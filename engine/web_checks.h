// How a scan carries out its web checks: the one place where the classic
// pacing and fast checking differ. Link extraction, classification, the
// visited list and the results table are the same for both. A scan picks
// its WebChecks when it starts; the links a page's classification decided
// come back as values, and HandOnChecks applies the visited and length
// rules to them, once for both paces, before the checks take them.
//
// Threads: HandOnChecks and Queue are called from whichever thread read a
// page (or, for a local scan's web links, the scan thread); RunUntilDone
// runs on the scan thread.
#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "engine/http_exchange.h"
#include "engine/url_functions.h"

// Where a link was found: a web page's address and line, or a local page's
// path and line, which may hold any character.
using CheckLocation = std::variant<std::string, std::wstring>;

// One check a link asks for: a page of the site to fetch, report and scan
// (kPage), or an address checked by its status line (kStatusOnly).
struct WebCheck {
    ResponseUse use = ResponseUse::kPage;
    std::string url;
    CheckLocation location;
    // Set when the check is handed on, with the https option of that moment.
    WebRequestTarget target;
};

// Runs the exchanges of one check: its request, and each retry, redirect
// hop or robots.txt it leads to, over whatever connections the pace keeps.
class CheckExchanger {
public:
    virtual ~CheckExchanger() = default;
    [[nodiscard]] virtual WebResponse Run(const WebRequestTarget& target, ResponseUse use,
                                          const BodyLimits& limits) = 0;
    // target's server answered 429 Too Many Requests.
    virtual void Throttled(const WebRequestTarget& target) { (void)target; }
    // Stop cut this exchange short: what it brought back is no outcome of
    // the link and makes no row.
    [[nodiscard]] virtual bool CutShortByStop(const WebResponse& response) const {
        (void)response;
        return false;
    }
};

// Carries out one check under the scan's rules: robots.txt for a page, the
// exchange and its retries, the redirects it is to follow, its row; for a
// page, the checks its links ask for.
[[nodiscard]] std::vector<WebCheck> RunWebCheck(const WebCheck& check, CheckExchanger& exchanger);

// The server a request goes to (scheme, host and port): what shares
// connections, robots.txt and a connection limit.
[[nodiscard]] std::string ServerKeyOf(const WebRequestTarget& target);

class WebChecks {
public:
    virtual ~WebChecks() = default;

    // Checks that passed the visited and length rules, in the order their
    // links were met. Pages among them are already in the visited list.
    virtual void Queue(std::vector<WebCheck> checks) = 0;
    // Carries out the queued checks and every check they queue, until none
    // is left or the scan has been stopped.
    virtual void RunUntilDone() = 0;
};

// Hands the checks a page's links decided to checks, while the scan runs: a
// page is queued once, at the first link met to it; an address checked by
// its status is checked wherever it is met, and a page first met so is
// never crawled afterwards; an address too long to request is neither. An
// address the scan excludes gets its skipped row instead, as often as a
// check would have.
void HandOnChecks(std::vector<WebCheck> found, WebChecks& checks);

// The request target of a check's address, which goes to the request as a C
// string: nothing after a zero byte.
[[nodiscard]] WebRequestTarget RequestTargetOfAddress(std::string_view address, HttpsLinks https);

// The https option as the running scan reads it.
[[nodiscard]] HttpsLinks CurrentHttpsLinks();

// Fast checking (engine/fast_checks.cpp): a pool of workers, connections
// kept alive, at most connectionsPerHost to one server, and no pauses.
[[nodiscard]] std::unique_ptr<WebChecks> MakeFastWebChecks(int connectionsPerHost);

// The checks a scan with these options uses: fast or classic.
class ScanWebChecks {
public:
    ScanWebChecks();
    [[nodiscard]] WebChecks& Checks() { return *m_checks; }

private:
    std::unique_ptr<WebChecks> m_fast;
    WebChecks* m_checks;
};
