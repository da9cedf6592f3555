// Fast checking against real servers: the rows of the classic pacing on a
// real nginx, connections kept within their limit and replaced when a server
// drops them, a slow server that holds only its own connections, and a Stop
// that ends the scan at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "platform/text_codec.h"
#include "testing/loopback_address.h"
#include "testing/nginx_server.h"
#include "testing/scan_fixture.h"
#include "testing/scripted_http_server.h"
#include "testing/temp_folder.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

class FastChecking : public ServedScanFixture {
protected:
    void SetUp() override {
        ServedScanFixture::SetUp();
        m_window.Options().fastChecking = 1;
    }

    // Link, State and icon of every row, sorted: what both modes must agree on.
    [[nodiscard]] std::vector<std::wstring> RowsAsSortedSet() const {
        std::vector<std::wstring> rows;
        for (const ResultRow& row : m_window.Rows()) {
            rows.push_back(row.link + L"\t" + row.state + L"\t" +
                           std::to_wstring(static_cast<int>(row.icon)));
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    // A site of folders with pages that link to each other, down, up, by
    // root-relative and absolute links, to a folder without its slash
    // (which nginx redirects), to pages that are missing, to an image, and
    // to a second server.
    void WriteSite(const TempFolder& site, const std::string& otherServer) const {
        constexpr int kFolders = 6;
        constexpr int kPagesPerFolder = 8;
        for (int folder = 0; folder < kFolders; ++folder) {
            for (int page = 0; page < kPagesPerFolder; ++page) {
                const std::string next = "p" + std::to_string((page + 1) % kPagesPerFolder);
                std::string text =
                    "<html>\n" + Anchor(next + ".html") +
                    Anchor("../f" + std::to_string((folder + 1) % kFolders) + "/p" +
                           std::to_string(page) + ".html") +
                    Anchor("/f0/p0.html#top") + Anchor("missing" + next + ".html") +
                    Anchor("/f" + std::to_string(folder)) + "<img src=\"/pic.png\">\n" +
                    Anchor(otherServer + "/ext" + std::to_string(page % 3) + ".html");
                site.Put("f" + std::to_string(folder) + "/p" + std::to_string(page) + ".html",
                         text + "</html>\n");
            }
        }
        site.Put("pic.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(3000, 'x'));
    }
};

TEST_F(FastChecking, GivesTheRowsOfTheClassicPacingOnARealServer) {
    TempFolder site;
    TempFolder other;
    other.Put("ext0.html", "<html>zero</html>");
    other.Put("ext1.html", "<html>one</html>");
    NginxServer otherServer(LoopbackAddressForTest(2), other.Path(), NginxConnections::kCloseEach);
    SKIP_WITHOUT_PORT_80(otherServer);
    WriteSite(site, "http://" + otherServer.Address());
    NginxServer nginx(LoopbackAddressForTest(1), site.Path(), NginxConnections::kKeepAlive);
    ASSERT_TRUE(nginx.IsListening()) << nginx.Failure();
    ASSERT_TRUE(otherServer.IsListening()) << otherServer.Failure();
    m_window.Options().checkImages = 1;
    const std::wstring start = Widen(nginx.Url("/f0/p0.html"));

    m_window.Options().fastChecking = 0;
    ScanAndWait(start);
    const std::vector<std::wstring> classic = RowsAsSortedSet();
    const std::wstring classicTotals = m_window.StatusText();
    m_window.Options().fastChecking = 1;
    ScanAndWait(start);

    // 48 pages, 48 missing pages, 6 redirected folders, the image, and one
    // row per occurrence of an external link.
    ASSERT_EQ(classic.size(), 48u + 48u + 6u + 1u + 48u);
    EXPECT_EQ(RowsAsSortedSet(), classic);
    EXPECT_EQ(m_window.StatusText(), classicTotals);
    EXPECT_EQ(classicTotals, L"Total links found: 151, errors: 60");
}

TEST_F(FastChecking, KeepsConnectionsAliveWithinTheLimitPerServer) {
    SKIP_WITHOUT_PORT_80(m_server);
    constexpr int kPages = 120;
    std::string links;
    for (int i = 0; i < kPages; ++i) links += Anchor("p" + std::to_string(i) + ".html");
    m_server.SetResponse("/", KeptAlivePage("200 OK", " " + links));
    m_server.SetDefaultResponse(KeptAlivePage("200 OK", " " + Anchor("/")));
    m_window.Options().connectionsPerHost = 3;
    ScanAndWait(U("/"));
    EXPECT_EQ(m_window.Rows().size(), kPages + 1u);
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 121, errors: 0");
    EXPECT_EQ(m_server.Requests().size(), kPages + 1u);
    // Every response ended at its length, so three connections carried them all.
    EXPECT_LE(m_server.MostConnectionsAtOnce(), 3u);
    EXPECT_LE(m_server.ConnectionsAccepted(), 3u);
}

TEST_F(FastChecking, AConnectionTheServerDroppedIsReplacedOnce) {
    SKIP_WITHOUT_PORT_80(m_server);
    constexpr int kPages = 30;
    std::string links;
    for (int i = 0; i < kPages; ++i) links += Anchor("p" + std::to_string(i) + ".html");
    m_server.SetResponse("/", KeptAlivePage("200 OK", " " + links));
    // Each answer says nothing of closing, and then the connection is closed:
    // the next request on it finds it gone before any byte comes back.
    ScriptedResponse dropped = KeptAlivePage("200 OK", "<p>page</p>");
    dropped.end = ScriptedEnd::kClose;
    m_server.SetDefaultResponse(dropped);
    m_window.Options().connectionsPerHost = 2;
    ScanAndWait(U("/"));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 31, errors: 0");
    std::vector<std::string> paths = m_server.RequestedPaths();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(std::unique(paths.begin(), paths.end()), paths.end()) << "a page asked for twice";
    EXPECT_EQ(paths.size(), kPages + 1u);
}

TEST_F(FastChecking, ASlowServerHoldsOnlyItsOwnConnectionsAndStopEndsTheScanAtOnce) {
    SKIP_WITHOUT_PORT_80(m_server);
    ScriptedHttpServer slow(LoopbackAddressForTest(1));
    ASSERT_TRUE(slow.IsListening()) << slow.Failure();
    slow.SetDefaultResponse(NeverAnswer());
    constexpr int kPages = 40;
    std::string links;
    for (int i = 0; i < kPages; ++i) {
        links += Anchor("p" + std::to_string(i) + ".html") +
                 Anchor(slow.Url("/s" + std::to_string(i) + ".html"));
    }
    m_server.SetResponse("/", KeptAlivePage("200 OK", " " + links));
    m_server.SetDefaultResponse(KeptAlivePage("200 OK", "<p>page</p>"));
    m_window.Options().connectionsPerHost = 2;
    Start(U("/"));
    // The site's pages are all checked while the slow server still keeps its
    // first two checks waiting, which give up only after ten seconds.
    ASSERT_TRUE(m_window.WaitForRowCount(kPages + 1, seconds(8)));
    EXPECT_TRUE(m_server.WaitForRequests(kPages + 1, seconds(1)));
    ASSERT_TRUE(slow.WaitForRequests(2, seconds(5)));
    EXPECT_EQ(slow.MostConnectionsAtOnce(), 2u);
    StopScan();
    EXPECT_TRUE(WaitForScanThreadEnd(seconds(1))) << "Stop did not end the scan at once";
    // The checks Stop cut short left no rows.
    EXPECT_EQ(m_window.Rows().size(), kPages + 1u);
    EXPECT_EQ(slow.Requests().size(), 2u);
}

// Stop while every connection to a server that never answers waits in its
// TLS handshake: the handshakes end at once and leave no rows.
TEST_F(FastChecking, StopEndsTlsHandshakesInFlightAtOnce) {
    SKIP_WITHOUT_PORT_80(m_server);
    ScriptedHttpServer silent(LoopbackAddressForTest(1));
    ASSERT_TRUE(silent.IsListening()) << silent.Failure();
    silent.SetDefaultResponse(NeverAnswer());
    std::string links;
    for (int i = 0; i < 12; ++i) {
        links += Anchor("https://" + silent.Address() + ":80/s" + std::to_string(i) + ".html");
    }
    m_server.SetResponse("/", KeptAlivePage("200 OK", " " + links));
    m_window.Options().checkHttpsLinks = 1;
    m_window.Options().connectionsPerHost = 4;
    Start(U("/"));
    const auto deadline = std::chrono::steady_clock::now() + seconds(5);
    while (silent.ConnectionsAccepted() < 4 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(10));
    }
    ASSERT_EQ(silent.ConnectionsAccepted(), 4u);
    StopScan();
    EXPECT_TRUE(WaitForScanThreadEnd(seconds(1))) << "Stop did not end the handshakes";
    EXPECT_EQ(m_window.Rows().size(), 1u);
}

}  // namespace
