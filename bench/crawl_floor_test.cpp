// The simulated dispatcher against small sites whose timing is known.
#include "bench/crawl_floor.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Every URL costs ms; "start" queues links, every other URL queues nothing.
CrawlSite StarSite(std::vector<std::string> links, double ms) {
    return [links = std::move(links), ms](const std::string& url) {
        return CrawlStep{ms, url == "start" ? links : std::vector<std::string>{}};
    };
}

std::vector<std::string> Names(std::size_t count) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) names.push_back("u" + std::to_string(i));
    return names;
}

TEST(CrawlFloor, TheStartPageIsSeenOnlyAfterTheIdlePause) {
    // Even a free exchange is not over when the dispatcher next looks at
    // the queue, right after starting it.
    for (const double ms : {0.0, 500.0}) {
        const CrawlFloor floor = CrawlFloorOf("start", StarSite({}, ms));
        EXPECT_EQ(floor.fetches, 1u);
        EXPECT_DOUBLE_EQ(floor.milliseconds, 3000) << ms;
        EXPECT_DOUBLE_EQ(CrawlFloorOf("start", StarSite(Names(31), ms)).milliseconds,
                         ms == 0 ? 6000 : 3000 + 3 * 500 + 3000);
    }
    // A fetch longer than the pause holds the end back by one more pause.
    EXPECT_DOUBLE_EQ(CrawlFloorOf("start", StarSite({}, 3500)).milliseconds, 6000);
}

TEST(CrawlFloor, TenWorkersAtMostAndPollsEveryHundredMilliseconds) {
    // Ten links start at once; the eleventh waits for the first poll at
    // which the ten have ended, 500 ms later, not 600.
    EXPECT_DOUBLE_EQ(CrawlFloorOf("start", StarSite(Names(10), 500)).milliseconds, 3000 + 3000);
    EXPECT_DOUBLE_EQ(CrawlFloorOf("start", StarSite(Names(11), 500)).milliseconds,
                     3000 + 500 + 3000);
    EXPECT_DOUBLE_EQ(CrawlFloorOf("start", StarSite(Names(11), 501)).milliseconds,
                     3000 + 600 + 3000);
    EXPECT_EQ(CrawlFloorOf("start", StarSite(Names(31), 500)).fetches, 32u);
}

TEST(CrawlFloor, QueuesEachUrlOnceAndFollowsPagesFoundDuringTheDrain) {
    // start -> a, b; a -> b, c; c -> start: four fetches. a has ended by the
    // time b is started, so c joins the same drain.
    const std::map<std::string, std::vector<std::string>> links{
        {"start", {"a", "b"}}, {"a", {"b", "c"}}, {"b", {}}, {"c", {"start"}}};
    const auto site = [&](const std::string& url) { return CrawlStep{0, links.at(url)}; };
    const CrawlFloor floor = CrawlFloorOf("start", site);
    EXPECT_EQ(floor.fetches, 4u);
    EXPECT_DOUBLE_EQ(floor.milliseconds, 2 * 3000);
    // With slow pages c is found only after the drain has run dry.
    const auto slow = [&](const std::string& url) { return CrawlStep{500, links.at(url)}; };
    EXPECT_DOUBLE_EQ(CrawlFloorOf("start", slow).milliseconds, 3 * 3000);
}

}  // namespace
