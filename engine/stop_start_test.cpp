// Stop and Start pressed again and again while real scans run, web and
// local: a Start is either refused with the message or begins a scan of its
// own on a cleared table, and no row of an earlier scan ever reaches it.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "platform/text_codec.h"
#include "testing/loopback_address.h"
#include "testing/scan_fixture.h"
#include "testing/scripted_http_server.h"
#include "testing/temp_folder.h"

namespace {

using std::chrono::milliseconds;

class StopAndStart : public ScanFixture {
protected:
    // Starts a scan; when a stopped scan is still unwinding the Start is
    // refused with the message, and it is pressed again once that scan ends.
    void Restart(const std::wstring& path) {
        const std::size_t messagesBefore = m_window.Messages().size();
        const bool unwinding = IsScanThreadAlive();
        Start(path);
        const std::size_t refusals = m_window.Messages().size() - messagesBefore;
        if (refusals == 0) {
            ++m_accepted;
            return;
        }
        EXPECT_TRUE(unwinding) << "Start refused with no scan thread alive";
        ASSERT_EQ(refusals, 1u);
        EXPECT_EQ(m_window.Messages().back(), (std::pair<std::wstring, std::wstring>{
                                                  L"Skarnel", L"Scan process is in progress."}));
        ++m_refused;
        WaitForScanEnd();
        Start(path);
        ASSERT_EQ(m_window.Messages().size(), messagesBefore + 1) << "refused after the scan ended";
        ++m_accepted;
    }

    // Every row is one of the site's links, and none is there twice.
    void ExpectRowsOfOneScan(const std::set<std::wstring>& siteLinks) {
        std::set<std::wstring> seen;
        for (const ResultRow& row : m_window.Rows()) {
            EXPECT_TRUE(siteLinks.contains(row.link)) << row.link;
            EXPECT_TRUE(seen.insert(row.link).second) << "twice: " << row.link;
        }
    }

    // Cycles of: start, let some rows arrive, stop, start again at once.
    void StopAndRestartRepeatedly(const std::wstring& path,
                                  const std::set<std::wstring>& siteLinks) {
        Restart(path);
        for (std::size_t cycle = 0; cycle < kCycles; ++cycle) {
            (void)m_window.WaitForRowCount(1 + cycle * siteLinks.size() / kCycles,
                                           milliseconds(5000));
            StopScan();
            Restart(path);
            ASSERT_FALSE(HasFatalFailure());
        }
        WaitForScanEnd();
        ExpectRowsOfOneScan(siteLinks);
        // A last scan left alone lists the whole site.
        Restart(path);
        WaitForScanEnd();
        EXPECT_EQ(m_window.Rows().size(), siteLinks.size());
        ExpectRowsOfOneScan(siteLinks);
        EXPECT_EQ(m_accepted, kCycles + 2);
    }

    static constexpr std::size_t kCycles = 20;
    std::size_t m_accepted = 0;
    std::size_t m_refused = 0;
};

// Sixty pages that link back, each answered after 20 ms; the links of the
// site's pages go to links.
void ScriptSixtyPages(ScriptedHttpServer& server, bool keptAlive, std::set<std::wstring>& links) {
    constexpr int kPages = 60;
    std::string index = " ";
    links = {Widen(server.Url("/"))};
    for (int i = 0; i < kPages; ++i) {
        const std::string page = "p" + std::to_string(i) + ".html";
        index += Anchor(page);
        links.insert(Widen(server.Url("/" + page)));
        const std::string body = " " + Anchor("/") + Anchor("p0.html");
        ScriptedResponse reply =
            keptAlive ? KeptAlivePage("200 OK", body) : HtmlPage("200 OK", body);
        reply.chunks.front().pauseBefore = milliseconds(20);
        server.SetResponse("/" + page, reply);
    }
    server.SetResponse("/", keptAlive ? KeptAlivePage("200 OK", index) : HtmlPage("200 OK", index));
}

TEST_F(StopAndStart, DuringAWebCrawl) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    std::set<std::wstring> links;
    ScriptSixtyPages(server, false, links);
    StopAndRestartRepeatedly(Widen(server.Url("/")), links);
    // A stopped crawl waits for its workers, so some Starts met one unwinding.
    EXPECT_GT(m_refused, 0u);
}

TEST_F(StopAndStart, DuringAFastWebCrawl) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    m_window.Options().fastChecking = 1;
    std::set<std::wstring> links;
    ScriptSixtyPages(server, true, links);
    StopAndRestartRepeatedly(Widen(server.Url("/")), links);
}

TEST_F(StopAndStart, DuringALocalScan) {
    TempFolder site;
    constexpr int kPages = 300;
    std::set<std::wstring> links;
    std::string index = "<html>\n";
    for (int i = 0; i < kPages; ++i) {
        const std::string page = "p" + std::to_string(i) + ".html";
        index += Anchor(page);
        links.insert(site.WidePathOf(page));
        site.Put(page, "<html>" + Anchor("index.html") +
                           Anchor("p" + std::to_string((i + 1) % kPages) + ".html"));
    }
    site.Put("index.html", index);
    links.insert(site.WidePathOf("index.html"));
    StopAndRestartRepeatedly(site.WidePathOf("index.html"), links);
}

}  // namespace
