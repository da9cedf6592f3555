// Host look-ups shared by a scan's connections: however many ask at once,
// the resolver is asked once per host and every caller gets its answer.
#include "engine/host_lookups.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(HostLookups, EachHostIsLookedUpOnceHoweverManyAskAtOnce) {
    const std::optional<HostAddress> loopback = LookUpHostAddress("127.0.0.1");
    ASSERT_TRUE(loopback);
    HostLookups lookups;
    const std::atomic<bool> keepGoing{true};
    std::atomic<int> wrong{0};
    std::vector<std::thread> askers;
    for (int asker = 0; asker < 8; ++asker) {
        askers.emplace_back([&lookups, &keepGoing, &loopback, &wrong] {
            for (int time = 0; time < 50; ++time) {
                for (const char* host : {"127.0.0.1", "localhost", "127.1"}) {
                    const std::optional<HostAddress> address = lookups.AddressOf(host, keepGoing);
                    if (!address || address->networkOrder != loopback->networkOrder) ++wrong;
                }
            }
        });
    }
    for (std::thread& asker : askers) asker.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(lookups.LookupsStarted(), 3u);
}
