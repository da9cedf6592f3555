// The local site scan on real files: states, depth-first row order,
// first-location-wins, text mode, options, Stop, and sites that never end.
#include "engine/local_scan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "platform/text_codec.h"
#include "testing/gate.h"
#include "testing/memory_bound.h"
#include "testing/scan_fixture.h"
#include "testing/temp_folder.h"

namespace {

using ::testing::ElementsAre;

std::string Page(const std::string& body) { return "<html>\n" + body + "\n</html>\n"; }

class LocalScan : public SiteScanFixture {
protected:
    void Scan(std::string_view start) { ScanAndWait(P(start)); }
};

using Row = std::vector<std::wstring>;

TEST_F(LocalScan, MissingStartFileGivesOneRowAndTotals) {
    Scan("missing.html");
    EXPECT_THAT(Rows(), ElementsAre(Row{P("missing.html"), L"Can't open file", P("missing.html")}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 1, errors: 1");
    EXPECT_EQ(m_window.Look(), StartButtonLook::kStart);
}

TEST_F(LocalScan, EmptyPathGivesOneCantOpenRow) {
    ScanAndWait(L"");
    EXPECT_THAT(Rows(), ElementsAre(Row{L"", L"Can't open file", L""}));
}

TEST_F(LocalScan, PagesAreReadByTheirNameOrFirstBlockOtherFilesOnlyReported) {
    m_site.Put("index.html", Page(Anchor("empty.html") + Anchor("pic.png") + Anchor("CAPS.txt") +
                                  Anchor("bare.HTM") + Anchor("late.txt") + Anchor("sub/")));
    m_site.Put("empty.html", "");
    m_site.Put("pic.png", "\x89PNG <a href=\"never.html\">");
    // HTML5 lets a page leave out <html>; older ones write it in capitals.
    m_site.Put("CAPS.txt", "<!DOCTYPE HTML>\n<a href=\"caps-link.html\">");
    m_site.Put("bare.HTM", "<title>t</title>\n<a href=\"bare-link.html\">");
    m_site.Put("late.txt", "<!--" + std::string(1100, '-') + "--><html> <a href=\"never.html\">");
    m_site.Put("sub/x.html", "x");
    Scan("index.html");
    EXPECT_THAT(Rows(), ElementsAre(Row{P("index.html"), L"OK", P("index.html")},
                                    Row{P("empty.html"), L"Empty file", At("index.html", 2)},
                                    Row{P("pic.png"), L"OK", At("index.html", 3)},
                                    Row{P("CAPS.txt"), L"OK", At("index.html", 4)},
                                    Row{P("caps-link.html"), L"Can't open file", At("CAPS.txt", 2)},
                                    Row{P("bare.HTM"), L"OK", At("index.html", 5)},
                                    Row{P("bare-link.html"), L"Can't open file", At("bare.HTM", 2)},
                                    Row{P("late.txt"), L"OK", At("index.html", 6)},
                                    Row{P("sub/"), L"Can't open file", At("index.html", 7)}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 9, errors: 4");
}

TEST_F(LocalScan, ABaseElementSetsWhereRelativeLinksLead) {
    m_site.Put("index.html", "<base href=\"sub/\">\n" + Anchor("a.html") + Anchor("../b.html") +
                                 Anchor("web.html"));
    m_site.Put("sub/a.html", "<html><base href='http://example.invalid/root/'>\n" +
                                 Anchor("x.html") + Anchor("/y.html"));
    m_site.Put("b.html", "b");
    m_site.Put("sub/web.html", "<html><base href=mailto:a@b>\n" + Anchor("../b.html"));
    Scan("index.html");
    EXPECT_THAT(Rows(), ElementsAre(Row{P("index.html"), L"OK", P("index.html")},
                                    Row{P("sub/a.html"), L"OK", At("index.html", 2)},
                                    Row{L"http://example.invalid/root/x.html",
                                        L"Absolute URL - skipped", At("sub/a.html", 2)},
                                    Row{L"http://example.invalid/y.html", L"Absolute URL - skipped",
                                        At("sub/a.html", 3)},
                                    Row{P("b.html"), L"OK", At("index.html", 3)},
                                    Row{P("sub/web.html"), L"OK", At("index.html", 4)}));
}

TEST_F(LocalScan, StaticSiteLinksReachTheirPages) {
    m_site.Put("index.html",
               Page(Anchor("about/") + Anchor("docs") + Anchor("empty/") + Anchor("/") +
                    Anchor("/about/") + Anchor("guide/?x#y") + Anchor("//cdn.example.org/lib.js") +
                    Anchor("?page=2") + Anchor("caf\xe9.html") + Anchor("about/index.html")));
    m_site.Put("about/index.html", Page(Anchor("/team.html") + Anchor("../") + Anchor("./")));
    m_site.Put("docs/index.htm", Page(Anchor("gone.html")));
    std::filesystem::create_directories(m_site.PathOf("empty"));
    m_site.Put("guide/index.html", "guide");
    m_site.Put("team.html", "team");
    m_site.Put("caf\xc3\xa9.html", "Latin-1 link, UTF-8 name");
    Scan("index.html");
    EXPECT_THAT(Rows(),
                ElementsAre(Row{P("index.html"), L"OK", P("index.html")},
                            Row{P("about/"), L"OK", At("index.html", 2)},
                            Row{P("team.html"), L"OK", At("about/index.html", 2)},
                            Row{P("docs/"), L"OK", At("index.html", 3)},
                            Row{P("docs/gone.html"), L"Can't open file", At("docs/index.htm", 2)},
                            Row{P("empty/"), L"Can't open file", At("index.html", 4)},
                            Row{P("guide/"), L"OK", At("index.html", 7)},
                            Row{L"http://cdn.example.org/lib.js", L"Absolute URL - skipped",
                                At("index.html", 8)},
                            Row{P("caf\xe9.html"), L"OK", At("index.html", 10)}));
}

TEST_F(LocalScan, AFolderIsEveryPageUnderItAndTheSiteRoot) {
    m_site.Put("index.html", Page(Anchor("a/page.html")));
    m_site.Put("a/page.html", Page(Anchor("/b/linked.htm") + Anchor("/")));
    m_site.Put("b/linked.htm", "linked");
    m_site.Put("b/orphan.html", Page(Anchor("/gone.html")));
    m_site.Put("B/upper.HTM", "upper");
    m_site.Put("b/notes.txt", "not a page");
    ScanAndWait(m_site.WidePath());
    EXPECT_THAT(Rows(),
                ElementsAre(Row{P("index.html"), L"OK", P("index.html")},
                            Row{P("a/page.html"), L"OK", At("index.html", 2)},
                            Row{P("b/linked.htm"), L"OK", At("a/page.html", 2)},
                            Row{P("B/upper.HTM"), L"OK", P("B/upper.HTM")},
                            Row{P("b/orphan.html"), L"OK", P("b/orphan.html")},
                            Row{P("gone.html"), L"Can't open file", At("b/orphan.html", 2)}));
    // Another root, chosen in the options.
    m_window.Options().siteRoot = m_site.WidePathOf("b");
    Scan("a/page.html");
    EXPECT_THAT(Rows(),
                ElementsAre(Row{P("a/page.html"), L"OK", P("a/page.html")},
                            Row{P("b/b/linked.htm"), L"Can't open file", At("a/page.html", 2)},
                            Row{P("b/"), L"Can't open file", At("a/page.html", 3)}));
}

TEST_F(LocalScan, AnchorsAreCheckedOnThePagesTheyNameWhenAsked) {
    m_site.Put("index.html",
               "<html><h1 id=here>x</h1>\n" + Anchor("guide.html#install") +
                   Anchor("guide.html#gone") + Anchor("#top") + Anchor("#here") +
                   Anchor("#nowhere") + Anchor("guide.html#caf%C3%A9") + Anchor("icons.svg#ok") +
                   Anchor("icons.svg#missing") + Anchor("doc.pdf#page=2") + Anchor("about/#team") +
                   Anchor("about#x") + Anchor("gone.html#a") + Anchor("guide.html#gone"));
    m_site.Put("guide.html", "<html><h2 id=\"install\">i</h2><a name=\"caf\xc3\xa9\"></a>");
    m_site.Put("icons.svg", "<svg><symbol id=\"ok\"/></svg>");
    m_site.Put("doc.pdf", "%PDF-1.4");
    m_site.Put("about/index.html", "<html><p id=team>");
    const std::vector<Row> withoutAnchors = {
        Row{P("index.html"), L"OK", P("index.html")},
        Row{P("guide.html"), L"OK", At("index.html", 2)},
        Row{P("icons.svg"), L"OK", At("index.html", 8)},
        Row{P("doc.pdf"), L"OK", At("index.html", 10)},
        Row{P("about/"), L"OK", At("index.html", 11)},
        Row{P("gone.html"), L"Can't open file", At("index.html", 13)}};
    Scan("index.html");
    EXPECT_EQ(Rows(), withoutAnchors);
    m_window.Options().checkAnchors = 1;
    Scan("index.html");
    EXPECT_THAT(
        Rows(),
        ElementsAre(withoutAnchors[0], withoutAnchors[1],
                    Row{P("guide.html#gone"), L"Anchor not found", At("index.html", 3)},
                    Row{P("index.html#nowhere"), L"Anchor not found", At("index.html", 6)},
                    withoutAnchors[2],
                    Row{P("icons.svg#missing"), L"Anchor not found", At("index.html", 9)},
                    withoutAnchors[3], withoutAnchors[4],
                    Row{P("about#x"), L"Anchor not found", At("index.html", 12)}, withoutAnchors[5],
                    Row{P("guide.html#gone"), L"Anchor not found", At("index.html", 14)}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 11, errors: 6");
}

TEST_F(LocalScan, DepthFirstOrderEachFileOnceAtItsFirstLocation) {
    m_site.Put("a.html",
               Page(Anchor("b.html") + Anchor("c.html") + Anchor("a.html") + Anchor("d.html")));
    m_site.Put("b.html", Page(Anchor("d.html") + Anchor("a.html")));
    m_site.Put("c.html", Page(Anchor("b.html")));
    m_site.Put("d.html", "plain");
    Scan("a.html");
    EXPECT_THAT(Rows(), ElementsAre(Row{P("a.html"), L"OK", P("a.html")},
                                    Row{P("b.html"), L"OK", At("a.html", 2)},
                                    Row{P("d.html"), L"OK", At("b.html", 2)},
                                    Row{P("c.html"), L"OK", At("a.html", 3)}));
}

TEST_F(LocalScan, EveryTextThatNamesAFileGivesItsOneRow) {
    m_site.Put("index.html",
               Page(Anchor("sub/page.html") + Anchor("x.html") + Anchor("#top") +
                    Anchor("mailto:a@b") + Anchor("x.html?q=1#f") + Anchor("./sub/../x.html#part") +
                    Anchor("gone.html#a") + Anchor("gone.html?b")));
    m_site.Put("sub/page.html",
               Page(Anchor("x.html") + Anchor("../x.html") + Anchor("../index.html#top")));
    m_site.Put("sub/x.html", "sub x");
    m_site.Put("x.html", "top x");
    Scan("index.html");
    EXPECT_THAT(Rows(), ElementsAre(Row{P("index.html"), L"OK", P("index.html")},
                                    Row{P("sub/page.html"), L"OK", At("index.html", 2)},
                                    Row{P("sub/x.html"), L"OK", At("sub/page.html", 2)},
                                    Row{P("x.html"), L"OK", At("sub/page.html", 3)},
                                    Row{P("gone.html"), L"Can't open file", At("index.html", 8)}));
}

TEST_F(LocalScan, QueryOrFragmentIsPartOfTheNameOnlyWhenAFileHasTheWholeName) {
    m_site.Put("index.html",
               Page(Anchor("style.css?v=2") + Anchor("a#b.html") + Anchor("a#c.html") +
                    Anchor("style.css?v=3") + Anchor("what?.html")));
    m_site.Put("style.css", "css");
    m_site.Put("a#b.html", "b");
    m_site.Put("what?.html", "?");
    Scan("index.html");
    EXPECT_THAT(Rows(), ElementsAre(Row{P("index.html"), L"OK", P("index.html")},
                                    Row{P("style.css"), L"OK", At("index.html", 2)},
                                    Row{P("a#b.html"), L"OK", At("index.html", 3)},
                                    Row{P("a"), L"Can't open file", At("index.html", 4)},
                                    Row{P("what?.html"), L"OK", At("index.html", 6)}));
}

TEST_F(LocalScan, TextModeAndZeroBytes) {
    // CR LF is read as LF, and a zero byte is text like any other.
    m_site.Put("index.html", "<html>\r\n\r\n" + Anchor("a.html") +
                                 std::string("\0 <a href=\"after-zero.html\">", 28) +
                                 std::string(1100, ' ') + "\r\n" + Anchor("b.html"));
    m_site.Put("a.html", "a");
    m_site.Put("after-zero.html", "z");
    m_site.Put("b.html", "b");
    Scan("index.html");
    EXPECT_THAT(Rows(), ElementsAre(Row{P("index.html"), L"OK", P("index.html")},
                                    Row{P("a.html"), L"OK", At("index.html", 3)},
                                    Row{P("after-zero.html"), L"OK", At("index.html", 4)},
                                    Row{P("b.html"), L"OK", At("index.html", 5)}));
}

TEST_F(LocalScan, AbsoluteLinksAreSkippedOncePerOccurrence) {
    m_site.Put("index.html",
               Page(Anchor("http://example.invalid/") + Anchor("http://example.invalid/")));
    Scan("index.html");
    EXPECT_THAT(
        Rows(),
        ElementsAre(
            Row{P("index.html"), L"OK", P("index.html")},
            Row{L"http://example.invalid/", L"Absolute URL - skipped", At("index.html", 2)},
            Row{L"http://example.invalid/", L"Absolute URL - skipped", At("index.html", 3)}));
    EXPECT_EQ(m_window.Rows()[1].icon, ResultIcon::kSkipped);
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 3, errors: 0");
}

TEST_F(LocalScan, PageOnlyChecksTheStartPagesLinksWithoutScanningThem) {
    m_window.Options().scanPageOnly = 1;
    m_site.Put("index.html", Page(Anchor("a.html") + Anchor("gone.html")));
    m_site.Put("a.html", Page(Anchor("b.html")));
    m_site.Put("b.html", "b");
    Scan("index.html");
    EXPECT_THAT(Rows(), ElementsAre(Row{P("index.html"), L"OK", P("index.html")},
                                    Row{P("a.html"), L"OK", At("index.html", 2)},
                                    Row{P("gone.html"), L"Can't open file", At("index.html", 3)}));
}

TEST_F(LocalScan, NamesWithBlanksHashesAndHighBytes) {
    m_site.Put("index.html", Page(Anchor("my page.html") + Anchor("a#b.html") +
                                  Anchor("caf\xc3\xa9.html") + Anchor("raw\xe9.html")));
    m_site.Put("my page.html", "1");
    m_site.Put("a#b.html", "2");
    m_site.Put("caf\xc3\xa9.html", "3");
    m_site.Put("raw\xe9.html", "4");
    Scan("index.html");
    ASSERT_EQ(m_window.Rows().size(), 5u);
    for (const ResultRow& row : m_window.Rows()) EXPECT_EQ(row.state, L"OK") << row.link.size();
}

TEST_F(LocalScan, AChainOfAHundredThousandPagesEndsInOrder) {
    // ThreadSanitizer walks a shorter chain: the length finds no race there.
    constexpr int kPages = kThreadSanitizerBuild ? 20000 : 100000;
    const TempFolder chain(TempStorage::kMemory);
    for (int i = 0; i < kPages; ++i) {
        chain.Put(
            "p" + std::to_string(i) + ".html",
            i + 1 < kPages ? "<html>" + Anchor("p" + std::to_string(i + 1) + ".html") : "end");
    }
    ScanAndWait(chain.WidePathOf("p0.html"));
    const std::vector<ResultRow> rows = m_window.Rows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kPages));
    for (int i : {0, 1, kPages / 2, kPages - 1}) {
        EXPECT_EQ(rows[i].link, chain.WidePathOf("p" + std::to_string(i) + ".html"));
        EXPECT_EQ(rows[i].state, L"OK");
    }
}

TEST_F(LocalScan, FoldersLinkingEachOtherThroughDotDotNameEachPageOnce) {
    m_site.Put("a/index.html",
               Page(Anchor("../b/index.html") + Anchor("../../../../../../x.html")));
    m_site.Put("b/index.html", Page(Anchor("../a/index.html") + Anchor("./../b/./index.html")));
    Scan("a/index.html");
    EXPECT_THAT(Rows(), ElementsAre(Row{P("a/index.html"), L"OK", P("a/index.html")},
                                    Row{P("b/index.html"), L"OK", At("a/index.html", 2)},
                                    Row{L"/x.html", L"Can't open file", At("a/index.html", 3)}));
}

TEST_F(LocalScan, LinksAreReadAsABrowserReadsThem) {
    // As documentation generators write them: character references, percent
    // escapes, empty and padded values, unquoted values, file URLs, and
    // schemes nothing here can check.
    m_site.Put(
        "index.html",
        "<html>\n<a href=\"git-web&#45;&#45;browse.html\">\n<a href=\"Unix%20Makefiles.html\">\n"
        "<a href=\"\">\n<a href=\" padded.html \">\n<a href=bare.html>\n"
        "<a href=\"/deep/f.html\">\n"
        "<a href=\"file://" +
            m_site.PathOf("deep/g%20h.html").string() +
            "#top\">\n"
            "<a href=\"ftp://ftp.gnu.org/\"> <a href=\"news:comp.lang\"> <a href=\"tel:+1\">\n"
            "<a href=\"HTTP://caps/\">\n");
    for (const char* name :
         {"git-web--browse.html", "Unix Makefiles.html", "padded.html", "bare.html"}) {
        m_site.Put(name, "x");
    }
    m_site.Put("deep/f.html", "f");
    m_site.Put("deep/g h.html", "g");
    Scan("index.html");
    EXPECT_THAT(Rows(),
                ElementsAre(Row{P("index.html"), L"OK", P("index.html")},
                            Row{P("git-web--browse.html"), L"OK", At("index.html", 2)},
                            Row{P("Unix Makefiles.html"), L"OK", At("index.html", 3)},
                            Row{P("padded.html"), L"OK", At("index.html", 5)},
                            Row{P("bare.html"), L"OK", At("index.html", 6)},
                            Row{P("deep/f.html"), L"OK", At("index.html", 7)},
                            Row{P("deep/g h.html"), L"OK", At("index.html", 8)},
                            // A scheme in capitals is still a relative link.
                            Row{P("HTTP://caps/"), L"Can't open file", At("index.html", 10)}));
}

TEST_F(LocalScan, UnicodeFolderAndUtf8NamesOpenAndRowsShowTheLinksBytes) {
    const std::string folder = "caf\xc3\xa9 d\xc3\xa9j\xc3\xa0/";
    const std::string name = "\xc3\xa9t\xc3\xa9.html";
    m_site.Put(folder + "index.html",
               Page(Anchor(name) + Anchor("../caf\xc3\xa9 d\xc3\xa9j\xc3\xa0/sub/" + name)));
    m_site.Put(folder + name, "summer");
    m_site.Put(folder + "sub/" + name, "again");
    Scan(folder + "index.html");
    // The start folder reads as typed; each byte of a link is one character.
    const std::wstring start = P(folder + "index.html");
    const std::wstring typedFolder = start.substr(0, start.size() - 10);
    EXPECT_THAT(Rows(), ElementsAre(Row{start, L"OK", start},
                                    Row{typedFolder + Widen(name), L"OK", start + L":2"},
                                    Row{typedFolder.substr(0, typedFolder.size() - 10) +
                                            Widen("caf\xc3\xa9 d\xc3\xa9j\xc3\xa0/sub/" + name),
                                        L"OK", start + L":3"}));
}

// Holds the scan thread inside its third row until the test opens the gate.
class GatedWindow : public HeadlessWindow {
public:
    Gate m_gate;

protected:
    void OnRowAppended(const ResultRow&) override {
        if (++m_rowsSeen == 3) m_gate.Pass();
    }

private:
    int m_rowsSeen = 0;
};

class LocalScanStop : public LocalScan {
protected:
    GatedWindow m_gated;
};

TEST_F(LocalScanStop, OpensNoFileAfterStopButStillReportsAbsoluteLinks) {
    for (int i = 0; i < 10; ++i) {
        m_site.Put("p" + std::to_string(i) + ".html",
                   "<html>" + Anchor("p" + std::to_string(i + 1) + ".html") +
                       Anchor("http://abs.invalid/"));
    }
    mainWindow = &m_gated;
    m_gated.SetPathText(P("p0.html"));
    StartScan();
    ASSERT_TRUE(m_gated.m_gate.WaitForWaiting(1, std::chrono::seconds(30)));
    StopScan();
    m_gated.m_gate.Open();
    WaitForScanEnd();
    const std::wstring abs = L"http://abs.invalid/";
    const std::wstring skipped = L"Absolute URL - skipped";
    const std::vector<Row> rows = RowTexts(m_gated);
    EXPECT_THAT(
        rows,
        ElementsAre(Row{P("p0.html"), L"OK", P("p0.html")},
                    Row{P("p1.html"), L"OK", At("p0.html", 1)},
                    Row{P("p2.html"), L"OK", At("p1.html", 1)}, Row{abs, skipped, At("p2.html", 2)},
                    Row{abs, skipped, At("p1.html", 2)}, Row{abs, skipped, At("p0.html", 2)}));
    EXPECT_EQ(m_gated.StatusText(), L"Total links found: 6, errors: 0");
    EXPECT_EQ(m_gated.Look(), StartButtonLook::kStart);
}

}  // namespace
