// Host look-ups shared by a scan's connections: however many ask at once,
// the resolver is asked once per host and every caller gets its answer.
#include "engine/host_lookups.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(HostLookups, EachHostIsLookedUpOnceHoweverManyAskAtOnce) {
    const std::vector<HostAddress> loopback = LookUpHostAddresses("127.0.0.1");
    ASSERT_EQ(loopback.size(), 1u);
    HostLookups lookups;
    const std::atomic<bool> keepGoing{true};
    std::atomic<int> wrong{0};
    std::vector<std::thread> askers;
    for (int asker = 0; asker < 8; ++asker) {
        askers.emplace_back([&lookups, &keepGoing, &loopback, &wrong] {
            for (int time = 0; time < 50; ++time) {
                for (const char* host : {"127.0.0.1", "localhost", "127.1"}) {
                    // An IPv4 address comes first, as it always did.
                    const std::vector<HostAddress> addresses = lookups.AddressesOf(host, keepGoing);
                    if (addresses.empty() || addresses.front() != loopback.front()) ++wrong;
                }
            }
        });
    }
    for (std::thread& asker : askers) asker.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(lookups.LookupsStarted(), 3u);
}

TEST(HostAddresses, LiteralsAreTheirOwnAndIpv4ComesFirst) {
    const std::vector<HostAddress> ipv6 = LookUpHostAddresses("::1");
    ASSERT_EQ(ipv6.size(), 1u);
    EXPECT_TRUE(ipv6.front().ipv6);
    EXPECT_EQ(ipv6.front().bytes[15], 1);
    // Brackets belong to an address's text, not to the resolver.
    EXPECT_TRUE(LookUpHostAddresses("[::1]").empty());
    const std::vector<HostAddress> local = LookUpHostAddresses("localhost");
    ASSERT_FALSE(local.empty());
    EXPECT_FALSE(local.front().ipv6);
    EXPECT_EQ(LookUpHostAddresses("127.1"), LookUpHostAddresses("127.0.0.1"));
}
