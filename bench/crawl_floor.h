// The shortest time a web crawl can take under the dispatcher's pacing, with
// every exchange costing only its unavoidable wait: the dispatcher's loop
// replayed on a simulated clock, with the same pauses and the same limit of
// workers, against a known site.
#pragma once

#include <functional>
#include <string>
#include <vector>

// What fetching one URL costs and which URLs its page queues.
struct CrawlStep {
    double milliseconds = 0;
    std::vector<std::string> queuedLinks;  // resolved URLs, in page order
};

using CrawlSite = std::function<CrawlStep(const std::string& url)>;

struct CrawlFloor {
    double milliseconds = 0;
    std::size_t fetches = 0;  // distinct URLs the crawl fetches, one row each
};

[[nodiscard]] CrawlFloor CrawlFloorOf(const std::string& startUrl, const CrawlSite& site);

// A text response on a kept-alive connection ends only with the 500 ms read
// that brings nothing; anything else ends with the server's close or after
// the first block, which on loopback costs next to nothing.
[[nodiscard]] double ExchangeFloorMs(bool textKeptAlive);
