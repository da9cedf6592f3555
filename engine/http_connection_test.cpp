// A connection shut down from another thread while its own thread opens and
// closes it again and again: the shut-down reaches only the connection's
// own socket, and a wait on it ends at once. Run under ThreadSanitizer too.
#include "engine/http_connection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "testing/loopback_address.h"
#include "testing/scripted_http_server.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(HttpConnection, ShutdownFromAnotherThreadMeetsOpensAndClosesSafely) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    server.SetDefaultResponse(NeverAnswer());
    const WebRequestTarget target = RequestTargetOf(server.Url("/x"), HttpsLinks::kIgnored);
    const std::atomic<bool> keepGoing{true};
    // A bystander opened first: its descriptor must never be shut down by
    // the other connection's Shutdown.
    HttpConnection bystander;
    std::string failure;
    ASSERT_EQ(bystander.Open(target, nullptr, 2000, 2000, keepGoing, &failure),
              ConnectionOpening::kReady);

    HttpConnection connection;
    std::atomic<bool> done{false};
    std::thread opener([&] {
        std::string why;
        for (int i = 0; i < 200; ++i) {
            (void)connection.Open(target, nullptr, 2000, 2000, keepGoing, &why);
            connection.Close();
        }
        done = true;
    });
    while (!done) connection.Shutdown();
    opener.join();

    char byte = 0;
    std::size_t count = 0;
    EXPECT_EQ(bystander.Read(&byte, 1, 50, &count), ResponseSource::ReadStatus::kTimedOut);

    // A wait on a connection ends as soon as another thread shuts it down.
    ASSERT_EQ(connection.Open(target, nullptr, 2000, 2000, keepGoing, &failure),
              ConnectionOpening::kReady);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        connection.Shutdown();
    });
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(connection.Read(&byte, 1, 5000, &count), ResponseSource::ReadStatus::kEnded);
    stopper.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
