// Loopback addresses for test servers. Every web server of a test listens on
// port 80 (the client always speaks to port 80), so each test takes an
// address of its own in 127/8, derived from its full name: CTest runs tests
// as separate processes in parallel, and they must not meet on one address.
#pragma once

#include <string>

// 127.x.y.z for the running test (suite and name, parameters included);
// index tells apart several servers of one test. Never 127.0.0.1.
[[nodiscard]] std::string LoopbackAddressForTest(unsigned index = 0);

// Skips the running test with a clear message when a test server could not
// bind port 80 (without root or CAP_NET_BIND_SERVICE it cannot).
#define SKIP_WITHOUT_PORT_80(server)                                                     \
    do {                                                                                 \
        if ((server).PortUnavailable()) {                                                \
            GTEST_SKIP() << "cannot listen on port 80 of " << (server).Address() << " (" \
                         << (server).Failure()                                           \
                         << "); web tests need root or CAP_NET_BIND_SERVICE";            \
        }                                                                                \
    } while (false)
