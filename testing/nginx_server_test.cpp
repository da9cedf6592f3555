// The nginx harness: it serves the given folder with the chosen connection
// handling, and stopping it frees the address again.
#include "testing/nginx_server.h"

#include <gtest/gtest.h>

#include "platform/socket.h"
#include "testing/loopback_address.h"
#include "testing/temp_folder.h"

namespace {

// One request on a fresh connection; the response up to the server's close
// or a pause of 500 ms.
std::string Get(const std::string& address, const std::string& path) {
    const SocketHandle socket = CreateTcpClientSocket();
    std::string response;
    if (!ConnectTcpSocket(socket, 80, address.c_str())) {
        CloseSocket(socket);
        return response;
    }
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: " + address + "\r\n\r\n";
    (void)SendOnSocket(socket, request.data(), request.size());
    char buffer[4096];
    while (WaitUntilReadable(socket, 500) == Readiness::kReadable) {
        const long count = ReceiveOnSocket(socket, buffer, sizeof buffer);
        if (count <= 0) break;
        response.append(buffer, static_cast<std::size_t>(count));
    }
    CloseSocket(socket);
    return response;
}

class NginxServerTest : public ::testing::Test {
protected:
    void SetUp() override { m_site.Put("index.html", "<html>home</html>"); }

    const TempFolder m_site;
    const std::filesystem::path& m_root = m_site.Path();
};

}  // namespace

TEST_F(NginxServerTest, KeepsConnectionsAliveByDefaultAndStopsByItsId) {
    const std::string address = LoopbackAddressForTest();
    {
        NginxServer server(address, m_root);
        SKIP_WITHOUT_PORT_80(server);
        ASSERT_TRUE(server.IsListening()) << server.Failure();
        const std::string response = Get(address, "/");
        EXPECT_TRUE(response.starts_with("HTTP/1.1 200 OK\r\n")) << response;
        EXPECT_NE(response.find("Connection: keep-alive\r\n"), std::string::npos) << response;
        EXPECT_TRUE(response.ends_with("\r\n\r\n<html>home</html>")) << response;
    }
    EXPECT_EQ(Get(address, "/"), "");
}

TEST_F(NginxServerTest, CanCloseEachConnection) {
    NginxServer server(LoopbackAddressForTest(), m_root, NginxConnections::kCloseEach);
    SKIP_WITHOUT_PORT_80(server);
    ASSERT_TRUE(server.IsListening()) << server.Failure();
    const std::string response = Get(server.Address(), "/index.html");
    EXPECT_NE(response.find("Connection: close\r\n"), std::string::npos) << response;
    EXPECT_TRUE(response.ends_with("\r\n\r\n<html>home</html>")) << response;
}
