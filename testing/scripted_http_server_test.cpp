// The scripted server does what its scripts say, counts connections at
// once, and stops promptly whatever its connections are doing; test
// addresses stay apart.
#include "testing/scripted_http_server.h"

#include <gtest/gtest.h>

#include <set>

#include "testing/loopback_address.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// A raw client: connects to port 80 and sends a GET for path.
SocketHandle Request(const ScriptedHttpServer& server, const std::string& path) {
    const SocketHandle socket = CreateTcpClientSocket();
    EXPECT_TRUE(ConnectTcpSocket(socket, 80, server.Address().c_str()));
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\n";
    EXPECT_EQ(SendOnSocket(socket, request.data(), request.size()),
              static_cast<long>(request.size()));
    return socket;
}

// Everything until the server closes (or resets: then -1 ends it too).
std::string ReadUntilEnd(SocketHandle socket, long* lastResult) {
    std::string text;
    char buffer[1024];
    for (;;) {
        if (WaitUntilReadable(socket, 5000) != Readiness::kReadable) break;
        *lastResult = ReceiveOnSocket(socket, buffer, sizeof buffer);
        if (*lastResult <= 0) break;
        text.append(buffer, static_cast<std::size_t>(*lastResult));
    }
    return text;
}

}  // namespace

TEST(ScriptedHttpServer, PlaysChunksPerPathAndRecordsRequests) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    ScriptedResponse page;
    page.chunks = {{milliseconds(0), "HTTP/1.1 200 OK\r\n\r\n"}, {milliseconds(50), "body"}};
    server.SetResponse("/a b", page);
    server.SetResponse("/reset", Reply("HTTP/1.1 200 OK\r\n\r\npart", ScriptedEnd::kReset));

    long last = 0;
    const SocketHandle first = Request(server, "/a b");
    EXPECT_EQ(ReadUntilEnd(first, &last), "HTTP/1.1 200 OK\r\n\r\nbody");
    EXPECT_EQ(last, 0);
    const SocketHandle second = Request(server, "/unknown");
    EXPECT_TRUE(ReadUntilEnd(second, &last).starts_with("HTTP/1.1 404 Not Found\r\n"));
    const SocketHandle third = Request(server, "/reset");
    ReadUntilEnd(third, &last);
    EXPECT_EQ(last, -1);
    for (SocketHandle socket : {first, second, third}) CloseSocket(socket);

    EXPECT_EQ(server.RequestedPaths(), (std::vector<std::string>{"/a b", "/unknown", "/reset"}));
    EXPECT_EQ(server.Requests()[0], "GET /a b HTTP/1.1\r\nHost: x\r\n\r\n");
}

TEST(ScriptedHttpServer, CountsTheMostConnectionsOpenAtOnce) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    server.SetDefaultResponse(NeverAnswer());
    std::vector<SocketHandle> clients;
    for (int i = 0; i < 3; ++i) clients.push_back(Request(server, "/" + std::to_string(i)));
    ASSERT_TRUE(server.WaitForRequests(3, milliseconds(5000)));
    for (SocketHandle socket : clients) CloseSocket(socket);
    ASSERT_TRUE(server.WaitUntilAllClosed(milliseconds(5000)));
    const SocketHandle later = Request(server, "/later");
    ASSERT_TRUE(server.WaitForRequests(4, milliseconds(5000)));
    CloseSocket(later);
    EXPECT_EQ(server.ConnectionsAccepted(), 4u);
    EXPECT_EQ(server.MostConnectionsAtOnce(), 3u);
}

// Idle connections, long pauses and endless bodies must not hold the
// destructor: it ends them all.
TEST(ScriptedHttpServer, StopsPromptlyWhateverItsConnectionsAreDoing) {
    std::vector<SocketHandle> clients;
    Clock::time_point stopStarted;
    {
        ScriptedHttpServer server(LoopbackAddressForTest());
        SKIP_WITHOUT_PORT_80(server);
        server.SetResponse("/idle", NeverAnswer());
        ScriptedResponse paused;
        paused.chunks = {{milliseconds(60000), "late"}};
        server.SetResponse("/paused", paused);
        ScriptedResponse endless;
        endless.endlessTail = std::string(65536, 'e');
        server.SetResponse("/endless", endless);
        for (const char* path : {"/idle", "/paused", "/endless"}) {
            clients.push_back(Request(server, path));
        }
        // A client that connects but never sends a request.
        clients.push_back(CreateTcpClientSocket());
        EXPECT_TRUE(ConnectTcpSocket(clients.back(), 80, server.Address().c_str()));
        ASSERT_TRUE(server.WaitForRequests(3, milliseconds(5000)));
        stopStarted = Clock::now();
    }
    EXPECT_LT(Clock::now() - stopStarted, std::chrono::seconds(5));
    for (SocketHandle socket : clients) CloseSocket(socket);
}

TEST(LoopbackAddressForTest, DiffersByTestAndIndexAndStaysOffLocalhost) {
    std::set<std::string> seen;
    for (unsigned index = 0; index < 200; ++index) {
        const std::string address = LoopbackAddressForTest(index);
        EXPECT_TRUE(address.starts_with("127.")) << address;
        EXPECT_FALSE(address.starts_with("127.0.")) << address;
        seen.insert(address);
    }
    EXPECT_EQ(seen.size(), 200u);
    EXPECT_EQ(LoopbackAddressForTest(7), LoopbackAddressForTest(7));
}
