// Web scans against servers that misbehave on purpose: endless and trickling
// bodies, huge headers, a status line of three bytes, a chunk size of
// ffffffff, silence, a reset mid-body, a huge Location header, and a page
// with 200,000 links. Each scan must end with every row whole, and memory
// must stay within a bound however much a server sends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/web_check_rows.h"
#include "platform/text_codec.h"
#include "testing/loopback_address.h"
#include "testing/memory_bound.h"
#include "testing/scan_fixture.h"
#include "testing/scripted_http_server.h"

namespace {

using ::testing::UnorderedElementsAre;
using Row = std::vector<std::wstring>;
using std::chrono::milliseconds;

constexpr std::string_view kTextHeaders = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";

// Every hostile server is met with the classic pacing and with fast checking.
class HostileServer : public ServedScanInBothModes {
protected:
    PeakMemoryWatch m_memory;
};
INSTANTIATE_TEST_SUITE_P(, HostileServer,
                         ::testing::Values(CheckingMode::kClassic, CheckingMode::kFast),
                         CheckingModeName);

TEST_P(HostileServer, EveryMisbehaviourEndsInAWholeRow) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse("/",
                         HtmlPage("200 OK", " " + Anchor("headers.html") + Anchor("short.html") +
                                                Anchor("chunked.html") + Anchor("reset.html") +
                                                Anchor("moved.html") + Anchor("silent.html") +
                                                Anchor("trickle.html")));
    // 1 MiB of headers after the content type: the body behind them still counts.
    std::string headers(kTextHeaders);
    for (int i = 0; headers.size() < kMiB; ++i)
        headers += "X-Filler-" + std::to_string(i) + ": " + std::string(100, 'h') + "\r\n";
    m_server.SetResponse("/headers.html",
                         Reply(headers + "\r\n\n" + Anchor("behind-headers.html")));
    m_server.SetResponse("/short.html", Reply("HTT"));
    m_server.SetResponse("/chunked.html", Reply(std::string(kTextHeaders) +
                                                "Transfer-Encoding: chunked\r\n\r\n"
                                                "ffffffff\r\n " +
                                                Anchor("in-chunk.html")));
    ScriptedResponse reset;
    reset.chunks = {
        {milliseconds(0), std::string(kTextHeaders) + "\r\n " + Anchor("before-reset.html")},
        {milliseconds(50), "<a href=\"cut"}};
    reset.end = ScriptedEnd::kReset;
    m_server.SetResponse("/reset.html", reset);
    m_server.SetResponse("/moved.html",
                         Reply("HTTP/1.1 301 Moved Permanently\r\nLocation: http://elsewhere/" +
                               std::string(100 * 1024, 'l') + "\r\n\r\n"));
    m_server.SetResponse("/silent.html", NeverAnswer());
    // Three seconds of a byte every 100 ms: never the pause that ends a body.
    ScriptedResponse trickle = Reply(std::string(kTextHeaders) + "\r\n " + Anchor("trickled.html"));
    for (int i = 0; i < 30; ++i) trickle.chunks.push_back({milliseconds(100), " "});
    m_server.SetResponse("/trickle.html", trickle);
    for (const char* path :
         {"/behind-headers.html", "/in-chunk.html", "/before-reset.html", "/trickled.html"}) {
        m_server.SetResponse(path, HtmlPage("200 OK", "found"));
    }

    ScanAndWait(U("/"));
    EXPECT_THAT(
        Rows(),
        UnorderedElementsAre(
            Row{U("/"), L"200 OK", U("/")}, Row{U("/headers.html"), L"200 OK", At("/", 1)},
            Row{U("/behind-headers.html"), L"200 OK", At("/headers.html", 2)},
            Row{U("/short.html"), L"", At("/", 2)}, Row{U("/chunked.html"), L"200 OK", At("/", 3)},
            Row{U("/in-chunk.html"), L"200 OK", At("/chunked.html", 1)},
            Row{U("/reset.html"), L"200 OK", At("/", 4)},
            Row{U("/before-reset.html"), L"200 OK", At("/reset.html", 1)},
            Row{U("/moved.html"), L"301 Moved Permanently", At("/", 5)},
            Row{U("/silent.html"), L"Connection error. No response from server.", At("/", 6)},
            Row{U("/trickle.html"), L"200 OK", At("/", 7)},
            Row{U("/trickled.html"), L"200 OK", At("/trickle.html", 1)}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 12, errors: 2");
    EXPECT_LT(m_memory.Growth(), MemoryBound(64 * kMiB));
}

TEST_P(HostileServer, EndlessBodyStopsAtItsBoundWithMemoryBounded) {
    ScriptedHttpServer server(LoopbackAddressForTest(1),
                              ScriptedServerBounds{milliseconds(60000), milliseconds(120000)});
    SKIP_WITHOUT_PORT_80(server);
    ScriptedResponse flood = Reply(std::string(kTextHeaders) + "\r\n " + Anchor("first.html"));
    flood.endlessTail = std::string(64 * 1024, 'f');
    server.SetResponse("/", flood);
    server.SetResponse("/first.html", HtmlPage("200 OK", "found"));
    ScanAndWait(Widen(server.Url("/")));
    const std::wstring start = Widen(server.Url("/"));
    EXPECT_THAT(Rows(), UnorderedElementsAre(
                            Row{start, L"200 OK", start},
                            Row{Widen(server.Url("/first.html")), L"200 OK", start + L":1"}));
    // The body is held to 64 MiB; without a bound the server would go on for minutes.
    EXPECT_LT(m_memory.Growth(), MemoryBound(160 * kMiB));
}

TEST_P(HostileServer, TwoHundredThousandLinksToOneAddressGiveAsManyRows) {
    SKIP_WITHOUT_PORT_80(m_server);
    // Nothing listens at the linked address, so each check ends at once.
    const std::string external = "http://" + LoopbackAddressForTest(2) + "/x.html";
    constexpr int kLinks = kThreadSanitizerBuild ? 50000 : 200000;
    std::string page = " ";
    for (int i = 0; i < kLinks; ++i) page += "<a href=\"" + external + "\">\n";
    m_server.SetResponse("/", HtmlPage("200 OK", page));
    ScanAndWait(U("/"));
    const std::vector<ResultRow> rows = m_window.Rows();
    ASSERT_EQ(rows.size(), kLinks + 1u);
    EXPECT_EQ(rows.front().link, U("/"));
    std::vector<bool> seenLine(kLinks + 1, false);
    const std::wstring prefix = U("/") + L":";
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].link, Widen(external)) << i;
        ASSERT_EQ(rows[i].state, L"Connection error. Can't connect to the server.") << i;
        ASSERT_TRUE(rows[i].location.starts_with(prefix)) << i;
        const int line = std::stoi(rows[i].location.substr(prefix.size()));
        ASSERT_TRUE(line >= 1 && line <= kLinks && !seenLine[line]) << rows[i].location;
        seenLine[line] = true;
    }
    EXPECT_EQ(m_window.StatusText(), L"Total links found: " + std::to_wstring(kLinks + 1) +
                                         L", errors: " + std::to_wstring(kLinks));
    EXPECT_LT(m_memory.Growth(), MemoryBound(400 * kMiB));
}

}  // namespace
