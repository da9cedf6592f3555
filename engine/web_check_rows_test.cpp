// The web crawl against real sockets: a scripted server on a loopback address
// of the test's own, and one crawl of an unmodified nginx.
#include "engine/web_check_rows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/classic_checks.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "platform/text_codec.h"
#include "testing/loopback_address.h"
#include "testing/nginx_server.h"
#include "testing/scan_fixture.h"
#include "testing/scripted_http_server.h"
#include "testing/temp_folder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;
using Row = std::vector<std::wstring>;

TEST(PageStateText, PermanentMovesAloneGetTheLocationSuffix) {
    EXPECT_EQ(PageStateText("HTTP/1.1 301 Moved Permanently\r\nLocation: http://s/new/\r\n\r\n"),
              "301 Moved Permanently =>  http://s/new/");
    EXPECT_EQ(PageStateText("HTTP/1.1 302 Found\r\nLocation: http://s/new/\r\n\r\n"), "302 Found");
    EXPECT_EQ(PageStateText("HTTP/1.1 308 Permanent Redirect\r\nLocation: https://s/\r\n\r\n"),
              "308 Permanent Redirect =>  https://s/");
    EXPECT_EQ(PageStateText("HTTP/1.1 307 Temporary Redirect\r\nLocation: /x\r\n\r\n"),
              "307 Temporary Redirect");
    // No line end inside the first block, a lower-case header, an empty value: no suffix.
    EXPECT_EQ(PageStateText("HTTP/1.1 301 Moved\r\nLocation: http://s/ne"), "301 Moved");
    EXPECT_EQ(PageStateText("HTTP/1.1 301 Moved\r\nlocation: http://s/\r\n"), "301 Moved");
    EXPECT_EQ(PageStateText("HTTP/1.1 301 Moved\r\nLocation:\r\n"), "301 Moved");
    // Nothing after a zero byte counts, so none reaches the row.
    using namespace std::string_literals;
    EXPECT_EQ(PageStateText("HTTP/1.1 301 Moved\r\nLocation: http://s/\0x\r\n"s), "301 Moved");
    EXPECT_EQ(PageStateText("HTTP/1.1 301 Moved\r\n\0Location: http://s/\r\n"s), "301 Moved");
}

TEST(PageStateText, NeverLongerThan255) {
    const std::string state =
        PageStateText("HTTP/1.1 301 Moved\r\nLocation: /" + std::string(100000, 'x') + "\r\n\r\n");
    EXPECT_EQ(state.size(), kMaxStateLength);
    EXPECT_TRUE(state.starts_with("301 Moved =>  /xxx"));
}

using WebCrawl = ServedScanInBothModes;
INSTANTIATE_TEST_SUITE_P(, WebCrawl, ::testing::Values(CheckingMode::kClassic, CheckingMode::kFast),
                         CheckingModeName);
using WebChecksOutsideACrawl = ServedScanFixture;

TEST_P(WebCrawl, CrawlsTheFolderAndChecksEverythingElseOncePerOccurrence) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse(
        "/dir/", HtmlPage("200 OK", " " + Anchor("page.html") + Anchor("/top.html") +
                                        Anchor(m_server.Url("/dir/sub/x.html")) +
                                        Anchor(m_server.Url("/out.html")) +
                                        Anchor(m_server.Url("/out.html")) + Anchor("#frag") +
                                        Anchor("https://secure/") + Anchor("mailto:a@b")));
    m_server.SetResponse("/dir/page.html",
                         HtmlPage("200 OK", " " + Anchor("/dir/") + Anchor("page.html")));
    m_server.SetResponse("/top.html", HtmlPage("200 OK", " " + Anchor("out.html")));
    m_server.SetResponse("/dir/sub/x.html", HtmlPage("200 OK", "no links"));
    m_server.SetResponse("/out.html", HtmlPage("200 OK", "outside"));
    ScanAndWait(U("/dir/"));
    EXPECT_THAT(Rows(), UnorderedElementsAre(Row{U("/dir/"), L"200 OK", U("/dir/")},
                                             Row{U("/dir/page.html"), L"200 OK", At("/dir/", 1)},
                                             Row{U("/top.html"), L"200 OK", At("/dir/", 2)},
                                             Row{U("/dir/sub/x.html"), L"200 OK", At("/dir/", 3)},
                                             Row{U("/out.html"), L"200 OK", At("/dir/", 4)},
                                             Row{U("/out.html"), L"200 OK", At("/dir/", 5)}));
    // The page first met as an external link is never crawled afterwards.
    const std::vector<std::string> paths = m_server.RequestedPaths();
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "/out.html"), 2);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "/dir/"), 1);
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 6, errors: 0");
}

TEST_P(WebCrawl, EachPageIsRequestedOnceWhateverTextNamesIt) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse(
        "/dir/",
        HtmlPage("200 OK", " " + Anchor("a.html#x") + Anchor("a.html#y") +
                               Anchor("./sub/../a.html") + Anchor("../dir/a.html?v=1#z") +
                               "<a href=b.html>b</a>\n" + Anchor("git&#45;doc.html") +
                               Anchor(m_server.Url("/dir/./c.html#top")) +
                               Anchor(m_server.Url("/other/../dir/d.html")) + Anchor("ftp://x/") +
                               Anchor("") + Anchor(" e.html ") + Anchor("/dir/../dir/sub/..") +
                               Anchor("file:///dir/a.html")));
    for (const char* page : {"/dir/a.html", "/dir/a.html?v=1", "/dir/b.html", "/dir/git-doc.html",
                             "/dir/c.html", "/dir/d.html", "/dir/e.html"}) {
        m_server.SetResponse(page, HtmlPage("200 OK", " " + Anchor("#self") + Anchor("../dir/")));
    }
    ScanAndWait(U("/dir/x/../#top"));
    EXPECT_THAT(Rows(), UnorderedElementsAre(Row{U("/dir/"), L"200 OK", U("/dir/")},
                                             Row{U("/dir/a.html"), L"200 OK", At("/dir/", 1)},
                                             Row{U("/dir/a.html?v=1"), L"200 OK", At("/dir/", 4)},
                                             Row{U("/dir/b.html"), L"200 OK", At("/dir/", 5)},
                                             Row{U("/dir/git-doc.html"), L"200 OK", At("/dir/", 6)},
                                             Row{U("/dir/c.html"), L"200 OK", At("/dir/", 7)},
                                             Row{U("/dir/d.html"), L"200 OK", At("/dir/", 8)},
                                             Row{U("/dir/e.html"), L"200 OK", At("/dir/", 11)}));
    // One request per page, none with a fragment or a dot segment.
    std::vector<std::string> paths = m_server.RequestedPaths();
    std::sort(paths.begin(), paths.end());
    EXPECT_THAT(paths,
                ElementsAre("/dir/", "/dir/a.html", "/dir/a.html?v=1", "/dir/b.html", "/dir/c.html",
                            "/dir/d.html", "/dir/e.html", "/dir/git-doc.html"));
}

TEST_P(WebCrawl, PagesAreReadAsHtmlIsWrittenAndResolvedAgainstTheirBase) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_window.Options().checkImages = 1;
    m_server.SetResponse(
        "/dir/",
        HtmlPage("200 OK",
                 "<!DOCTYPE html>\n<BASE HREF='/docs/'>\n<A\nHREF = a.html>a</A>\n"
                 "<!-- <a href=\"commented.html\"> -->\n"
                 "<script>var s = '<a href=\"scripted.html\">';</script>\n"
                 "<iframe src=frame.html></iframe>\n"
                 "<meta http-equiv=refresh content='0; url=fresh.html'>\n"
                 "<img srcset=\"i1.png 1x, i2.png 2x\" src=\"i3.png\" alt=\"a src here\">\n"));
    for (const char* page : {"/docs/a.html", "/docs/frame.html", "/docs/fresh.html"})
        m_server.SetResponse(page, HtmlPage("200 OK", "page"));
    for (const char* image : {"/docs/i1.png", "/docs/i2.png", "/docs/i3.png"})
        m_server.SetResponse(image, Reply("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n\r\n."));
    ScanAndWait(U("/dir/"));
    EXPECT_THAT(Rows(), UnorderedElementsAre(Row{U("/dir/"), L"200 OK", U("/dir/")},
                                             Row{U("/docs/a.html"), L"200 OK", At("/dir/", 4)},
                                             Row{U("/docs/frame.html"), L"200 OK", At("/dir/", 7)},
                                             Row{U("/docs/fresh.html"), L"200 OK", At("/dir/", 8)},
                                             Row{U("/docs/i1.png"), L"200 OK", At("/dir/", 9)},
                                             Row{U("/docs/i2.png"), L"200 OK", At("/dir/", 9)},
                                             Row{U("/docs/i3.png"), L"200 OK", At("/dir/", 9)}));
}

TEST_P(WebCrawl, RootQueryAndSchemeRelativeLinksNameWhatABrowserFetches) {
    SKIP_WITHOUT_PORT_80(m_server);
    const std::string host = m_server.Address();
    m_server.SetResponse("/dir/page.html?v=1",
                         HtmlPage("200 OK", " " + Anchor("/") + Anchor("?page=2") +
                                                Anchor("//" + host + "/other.html") +
                                                Anchor("//" + host + "/dir/in.html")));
    m_server.SetResponse("/", HtmlPage("200 OK", "root"));
    m_server.SetResponse("/dir/page.html?page=2", HtmlPage("200 OK", "second"));
    m_server.SetResponse("/other.html", HtmlPage("200 OK", "other"));
    m_server.SetResponse("/dir/in.html", HtmlPage("200 OK", "in"));
    ScanAndWait(U("/dir/page.html?v=1"));
    const std::wstring start = U("/dir/page.html?v=1");
    EXPECT_THAT(Rows(), UnorderedElementsAre(
                            Row{start, L"200 OK", start}, Row{U("/"), L"200 OK", start + L":1"},
                            Row{U("/dir/page.html?page=2"), L"200 OK", start + L":2"},
                            Row{U("/other.html"), L"200 OK", start + L":3"},
                            Row{U("/dir/in.html"), L"200 OK", start + L":4"}));
}

TEST_P(WebCrawl, AnchorsAreCheckedOnThePagesOfTheSiteOnceRead) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_window.Options().checkAnchors = 1;
    m_server.SetResponse(
        "/", HtmlPage("200 OK",
                      "<p id=here> " + Anchor("guide.html#install") + Anchor("guide.html#gone") +
                          Anchor("#top") + Anchor("#nowhere") + Anchor("moved.html#x") +
                          Anchor("gone.html#x") + Anchor(m_server.Url("/guide.html#install"))));
    m_server.SetResponse("/guide.html", HtmlPage("200 OK", "<h2 id=install> " + Anchor("/#here") +
                                                               Anchor("/#lost")));
    m_server.SetResponse("/moved.html",
                         Reply("HTTP/1.1 301 Moved Permanently\r\nLocation: /guide.html\r\n"
                               "Content-Type: text/html\r\n\r\n<p id=y>"));
    m_server.SetResponse("/gone.html", HtmlPage("404 Not Found", "<p id=z>"));
    ScanAndWait(U("/"));
    EXPECT_THAT(Rows(),
                UnorderedElementsAre(
                    Row{U("/"), L"200 OK", U("/")}, Row{U("/guide.html"), L"200 OK", At("/", 1)},
                    Row{U("/guide.html#gone"), L"Anchor not found", At("/", 2)},
                    Row{U("/#nowhere"), L"Anchor not found", At("/", 4)},
                    Row{U("/moved.html"), L"301 Moved Permanently =>  /guide.html", At("/", 5)},
                    Row{U("/gone.html"), L"404 Not Found", At("/", 6)},
                    Row{U("/#lost"), L"Anchor not found", At("/guide.html", 2)}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 7, errors: 4");
}

TEST_P(WebCrawl, ErrorAndRedirectPagesStillYieldTheirLinks) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse("/", HtmlPage("200 OK", " " + Anchor("gone.html") + Anchor("moved.html") +
                                                     Anchor("found.html")));
    m_server.SetResponse("/gone.html", HtmlPage("404 Not Found", " " + Anchor("from404.html")));
    m_server.SetResponse(
        "/moved.html",
        Reply("HTTP/1.1 301 Moved Permanently\r\nLocation: " + m_server.Url("/new/") +
              "\r\nContent-Type: text/html\r\n\r\n " + Anchor("from301.html")));
    m_server.SetResponse("/found.html", Reply("HTTP/1.1 302 Found\r\nLocation: /new/\r\n\r\n"));
    m_server.SetResponse("/from404.html", HtmlPage("200 OK", ""));
    m_server.SetResponse("/from301.html", HtmlPage("200 OK", ""));
    ScanAndWait(U("/"));
    EXPECT_THAT(
        Rows(),
        UnorderedElementsAre(
            Row{U("/"), L"200 OK", U("/")}, Row{U("/gone.html"), L"404 Not Found", At("/", 1)},
            Row{U("/moved.html"), L"301 Moved Permanently =>  " + U("/new/"), At("/", 2)},
            Row{U("/found.html"), L"302 Found", At("/", 3)},
            Row{U("/from404.html"), L"200 OK", At("/gone.html", 1)},
            Row{U("/from301.html"), L"200 OK", At("/moved.html", 1)}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 6, errors: 1");
}

// HTTP/1.1's redirects all count as fine, in the site and outside it; a
// permanent one names its target.
TEST_P(WebCrawl, EveryRedirectOfHttp11IsFine) {
    SKIP_WITHOUT_PORT_80(m_server);
    ScriptedHttpServer other(LoopbackAddressForTest(1));
    ASSERT_TRUE(other.IsListening()) << other.Failure();
    other.SetDefaultResponse(Reply("HTTP/1.1 307 Temporary Redirect\r\nLocation: /t\r\n\r\n"));
    m_server.SetResponse("/",
                         HtmlPage("200 OK", " " + Anchor("see.html") + Anchor("temp.html") +
                                                Anchor("perm.html") + Anchor(other.Url("/x"))));
    const auto redirect = [](const std::string& status) {
        return Reply("HTTP/1.1 " + status + "\r\nLocation: https://site.example/new/\r\n\r\n");
    };
    m_server.SetResponse("/see.html", redirect("303 See Other"));
    m_server.SetResponse("/temp.html", redirect("307 Temporary Redirect"));
    m_server.SetResponse("/perm.html", redirect("308 Permanent Redirect"));
    ScanAndWait(U("/"));
    EXPECT_THAT(
        Rows(),
        UnorderedElementsAre(
            Row{U("/"), L"200 OK", U("/")}, Row{U("/see.html"), L"303 See Other", At("/", 1)},
            Row{U("/temp.html"), L"307 Temporary Redirect", At("/", 2)},
            Row{U("/perm.html"), L"308 Permanent Redirect =>  https://site.example/new/",
                At("/", 3)},
            Row{Widen(other.Url("/x")), L"307 Temporary Redirect", At("/", 4)}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 5, errors: 0");
}

TEST_P(WebCrawl, AnImageInTheFolderIsFetchedThroughTheQueueWithoutLinks) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_window.Options().checkImages = 1;
    m_server.SetResponse("/", HtmlPage("200 OK", " <img src=\"pic.png\"> "));
    m_server.SetResponse("/pic.png", Reply("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n\r\n"
                                           "<a href=\"never.html\"> "));
    ScanAndWait(U("/"));
    EXPECT_THAT(Rows(), UnorderedElementsAre(Row{U("/"), L"200 OK", U("/")},
                                             Row{U("/pic.png"), L"200 OK", At("/", 1)}));
}

TEST_P(WebCrawl, PageOnlyExtractsTheStartPageAlone) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_window.Options().scanPageOnly = 1;
    m_server.SetResponse("/", HtmlPage("200 OK", " " + Anchor("a.html")));
    m_server.SetResponse("/a.html", HtmlPage("200 OK", " " + Anchor("b.html")));
    ScanAndWait(U("/"));
    EXPECT_THAT(Rows(), UnorderedElementsAre(Row{U("/"), L"200 OK", U("/")},
                                             Row{U("/a.html"), L"200 OK", At("/", 1)}));
}

TEST_P(WebCrawl, NeverMoreThanTenConnectionsAtOnce) {
    SKIP_WITHOUT_PORT_80(m_server);
    std::string links;
    for (int i = 0; i < 25; ++i) links += Anchor("p" + std::to_string(i) + ".html");
    m_server.SetResponse("/", HtmlPage("200 OK", " " + links));
    ScriptedResponse slow = HtmlPage("200 OK", "slow");
    slow.chunks.front().pauseBefore = std::chrono::milliseconds(300);
    m_server.SetDefaultResponse(slow);
    ScanAndWait(U("/"));
    EXPECT_EQ(m_window.Rows().size(), 26u);
    EXPECT_LE(m_server.MostConnectionsAtOnce(), kMaxWorkers);
    EXPECT_GE(m_server.MostConnectionsAtOnce(), 2u);
}

TEST_P(WebCrawl, ConnectionErrorsBecomeStates) {
    SKIP_WITHOUT_PORT_80(m_server);
    ScanAndWait(L"https://" + Widen(m_server.Address()) + L"/");
    EXPECT_THAT(Rows(), ElementsAre(Row{L"https://" + Widen(m_server.Address()) + L"/",
                                        L"Connection error. Can't connect to the server.",
                                        L"https://" + Widen(m_server.Address()) + L"/"}));
    ScanAndWait(L"http://" + Widen(m_server.Address()) + L":80/");
    EXPECT_EQ(m_window.Rows().at(0).state, L"Connection error. Can't connect to the server.");
    m_server.SetResponse("/", Reply(""));
    ScanAndWait(U("/"));
    EXPECT_EQ(m_window.Rows().at(0).state, L"Connection error. No response from server.");
}

TEST_F(WebChecksOutsideACrawl, NothingHappensAfterStop) {
    SKIP_WITHOUT_PORT_80(m_server);
    TheScanState().scanRunning = false;
    FetchPage(m_server.Url("/"), "here");
    CheckExternalLink(m_server.Url("/"), std::string("here"));
    EXPECT_THAT(m_window.Rows(), IsEmpty());
    EXPECT_THAT(m_server.Requests(), IsEmpty());
}

TEST_F(WebChecksOutsideACrawl, LocalPagesCheckTheirWebLinksWhenAsked) {
    SKIP_WITHOUT_PORT_80(m_server);
    TempFolder site;
    // A path with a character beyond one byte keeps it in the location.
    const std::string page = "p\xc4\x81ge.html";
    site.Put(page,
             "<html>\n" + Anchor(m_server.Url("/ok.html")) + Anchor(m_server.Url("/missing.html")));
    m_server.SetResponse("/ok.html", HtmlPage("200 OK", " " + Anchor("never.html")));
    m_window.Options().checkExternalUrls = 1;
    ScanAndWait(site.WidePathOf(page));
    const std::wstring path = site.WidePathOf(page);
    EXPECT_THAT(Rows(),
                ElementsAre(Row{path, L"OK", path}, Row{U("/ok.html"), L"200 OK", path + L":2"},
                            Row{U("/missing.html"), L"404 Not Found", path + L":3"}));
    EXPECT_THAT(m_server.RequestedPaths(), ElementsAre("/ok.html", "/missing.html"));
}

// With fast checking, a local page's web links go to the pool as a web
// scan's do: checked side by side, their rows in the local page's location.
TEST_F(WebChecksOutsideACrawl, LocalPagesHandTheirWebLinksToFastChecking) {
    SKIP_WITHOUT_PORT_80(m_server);
    TempFolder site;
    const std::string page = "p\xc4\x81ge.html";
    std::string links;
    for (int i = 0; i < 6; ++i) links += Anchor(m_server.Url("/slow" + std::to_string(i)));
    site.Put(page, "<html>\n" + links);
    ScriptedResponse slow = HtmlPage("200 OK", "slow");
    slow.chunks.front().pauseBefore = std::chrono::milliseconds(300);
    m_server.SetDefaultResponse(slow);
    m_window.Options().checkExternalUrls = 1;
    m_window.Options().fastChecking = 1;
    m_window.Options().connectionsPerHost = 6;
    ScanAndWait(site.WidePathOf(page));
    const std::wstring path = site.WidePathOf(page);
    std::vector<Row> expected{Row{path, L"OK", path}};
    for (int i = 0; i < 6; ++i) {
        expected.push_back(
            Row{U("/slow" + std::to_string(i)), L"200 OK", path + L":" + std::to_wstring(i + 2)});
    }
    EXPECT_THAT(Rows(), UnorderedElementsAreArray(expected));
    EXPECT_GT(m_server.MostConnectionsAtOnce(), 1u);
}

// A site on an IPv6 address, crawled in both paces: its pages and its
// absolute links reached, the Host header with the brackets. One test, so
// that nothing else listens on port 80 of ::1 meanwhile.
using WebCrawlOverIpv6 = ScanFixture;

TEST_F(WebCrawlOverIpv6, ASiteOnAnIpv6AddressIsCrawledInBothPaces) {
    ScriptedHttpServer server("::1");
    SKIP_WITHOUT_PORT_80(server);
    server.SetResponse(
        "/", KeptAlivePage("200 OK", " " + Anchor("a.html") + Anchor(server.Url("/b.html")) +
                                         Anchor("gone.html")));
    server.SetResponse("/a.html", KeptAlivePage("200 OK", "a"));
    server.SetResponse("/b.html", KeptAlivePage("200 OK", "b"));
    const std::wstring start = Widen(server.Url("/"));
    for (const int fast : {0, 1}) {
        m_window.Options().fastChecking = fast;
        ScanAndWait(start);
        EXPECT_THAT(Rows(), UnorderedElementsAre(
                                Row{start, L"200 OK", start},
                                Row{start + L"a.html", L"200 OK", start + L":1"},
                                Row{start + L"b.html", L"200 OK", start + L":2"},
                                Row{start + L"gone.html", L"404 Not Found", start + L":3"}))
            << "fast " << fast;
    }
    for (const std::string& request : server.Requests()) {
        EXPECT_THAT(request, HasSubstr("\r\nHost: [::1]\r\n"));
    }
}

class WebCrawlNginx : public ScanFixture {};

TEST_F(WebCrawlNginx, CrawlsARealServerBothWithAndWithoutKeepAlive) {
    TempFolder site;
    site.Put("index.html", "<html>\n" + Anchor("a.html") + Anchor("sub/b.html") +
                               Anchor("gone.html") + "<img src=\"pic.png\">\n</html>\n");
    site.Put("a.html", "<html>\n" + Anchor("index.html") + "</html>\n");
    site.Put("sub/b.html", "<html>\n" + Anchor("/a.html") + Anchor("c.html") + "</html>\n");
    site.Put("sub/c.html", "<html>c</html>\n");
    site.Put("pic.png", std::string("\x89PNG\r\n\x1a\n", 8));
    for (const NginxConnections mode :
         {NginxConnections::kKeepAlive, NginxConnections::kCloseEach}) {
        NginxServer nginx(LoopbackAddressForTest(static_cast<unsigned>(mode)), site.Path(), mode);
        SKIP_WITHOUT_PORT_80(nginx);
        ASSERT_TRUE(nginx.IsListening()) << nginx.Failure();
        const std::wstring root = L"http://" + Widen(nginx.Address()) + L"/";
        ScanAndWait(root + L"index.html");
        const std::vector<Row> rows = RowTexts(m_window);
        const std::wstring index = root + L"index.html";
        EXPECT_THAT(rows, UnorderedElementsAreArray(std::vector<Row>{
                              {index, L"200 OK", index},
                              {root + L"a.html", L"200 OK", index + L":2"},
                              {root + L"sub/b.html", L"200 OK", index + L":3"},
                              {root + L"gone.html", L"404 Not Found", index + L":4"},
                              {root + L"pic.png", L"200 OK", index + L":5"},
                              {root + L"sub/c.html", L"200 OK", root + L"sub/b.html:3"}}));
    }
}

}  // namespace
