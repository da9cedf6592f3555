// The CI reports' pieces that a scan of one local site does not reach:
// locations and paths of every kind, pages met in turn, web pages, escapes
// of characters a page rarely holds. The whole reports, read back by their
// tools, are tested in skarnel_cli_test.cpp.
#include "cli/ci_reports.h"

#include <gtest/gtest.h>

#include "cli/report_escaping.h"
#include "testing/ci_report_reader.h"

TEST(CiReports, LocationsSplitOnlyAtAColonBeforeDigits) {
    using Split = PageLocation;
    EXPECT_EQ(SplitLocation(L"/s/a.html:12"), (Split{L"/s/a.html", 12u}));
    EXPECT_EQ(SplitLocation(L"http://h/p/:3"), (Split{L"http://h/p/", 3u}));
    // A start page, a redirect's address, a name with a colon, a port.
    for (const wchar_t* whole : {L"/s/a.html", L"http://h/p308", L"/s/x:y/a.html", L"/s/a.html:",
                                 L"/s/a.html:1x", L"http://h:8080", L""}) {
        EXPECT_EQ(SplitLocation(whole), (Split{whole, std::nullopt})) << whole;
    }
}

TEST(CiReports, LocalPagesAreNamedFromTheCurrentFolder) {
    EXPECT_EQ(ReportPagePath(L"/w/site/a.html", L"/w"), L"site/a.html");
    EXPECT_EQ(ReportPagePath(L"/w/site/a.html", L"/w/other/"), L"../site/a.html");
    EXPECT_EQ(ReportPagePath(L"/w//site/./sub/../a.html", L"/w/site"), L"a.html");
    EXPECT_EQ(ReportPagePath(L"./site/../a.html", L"/w"), L"a.html");
    EXPECT_EQ(ReportPagePath(L"../up/a.html", L"/w"), L"../up/a.html");
    EXPECT_EQ(ReportPagePath(L"/w/a.html", L""), L"/w/a.html");
    EXPECT_EQ(ReportPagePath(L"http://h/./a.html", L"/w"), L"http://h/./a.html");
}

TEST(CiReports, JunitGroupsRowsUnderThePageWhereTheyWereFirstMet) {
    const std::vector<ResultRow> rows = {
        {L"http://h/", L"200 OK", L"http://h/", ResultIcon::kOk},
        {L"http://h/b", L"404 Not Found", L"http://h/:2", ResultIcon::kError},
        {L"http://h/c", L"200 OK", L"http://h/b", ResultIcon::kOk},
        {L"x", L"Skipped", L"http://h/:3", ResultIcon::kSkipped},
    };
    EXPECT_EQ(
        JunitReport(rows, L"/w"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<testsuites name=\"Skarnel\" tests=\"4\" failures=\"1\" errors=\"0\" skipped=\"1\">\n"
        "  <testsuite name=\"http://h/\" tests=\"3\" failures=\"1\" errors=\"0\" "
        "skipped=\"1\">\n"
        "    <testcase name=\"http://h/\" classname=\"http://h/\" file=\"http://h/\">\n"
        "      <system-out>http://h/</system-out>\n    </testcase>\n"
        "    <testcase name=\"http://h/b\" classname=\"http://h/\" file=\"http://h/\" "
        "line=\"2\">\n"
        "      <failure message=\"404 Not Found\" type=\"broken-link\"/>\n"
        "      <system-out>http://h/:2</system-out>\n    </testcase>\n"
        "    <testcase name=\"x\" classname=\"http://h/\" file=\"http://h/\" line=\"3\">\n"
        "      <skipped message=\"Skipped\"/>\n"
        "      <system-out>http://h/:3</system-out>\n    </testcase>\n  </testsuite>\n"
        "  <testsuite name=\"http://h/b\" tests=\"1\" failures=\"0\" errors=\"0\" "
        "skipped=\"0\">\n"
        "    <testcase name=\"http://h/c\" classname=\"http://h/b\" file=\"http://h/b\">\n"
        "      <system-out>http://h/b</system-out>\n    </testcase>\n  </testsuite>\n"
        "</testsuites>\n");
}

TEST(CiReports, WebPagesKeepTheirAddressAndRowsWithoutAPageHaveNoFile) {
    const std::vector<ResultRow> rows = {
        {L"http://h/x", L"404 Not Found", L"http://h/a b\u00e9%zz%41.html:7", ResultIcon::kError},
        {L"", L"Can't open file", L"", ResultIcon::kError},
    };
    const std::string sarif = SarifLog(rows, L"/w");
    EXPECT_NE(
        sarif.find("\"message\": {\"text\": \"http://h/x: 404 Not Found\"}, \"locations\": "
                   "[{\"physicalLocation\": {\"artifactLocation\": {\"uri\": "
                   "\"http://h/a%20b%C3%A9%25zz%41.html\"}, \"region\": {\"startLine\": 7}}}]"),
        std::string::npos)
        << sarif;
    EXPECT_NE(sarif.find("\"message\": {\"text\": \": Can't open file\"}}\n"), std::string::npos)
        << sarif;
    EXPECT_EQ(
        WorkflowErrorCommand(rows[0], L"/w"),
        "::error file=http%3A//h/a b\xc3\xa9%25zz%2541.html,line=7::http://h/x: 404 Not Found\n");
    EXPECT_EQ(WorkflowErrorCommand(rows[1], L"/w"), "::error::: Can't open file\n");
    EXPECT_EQ(WorkflowErrorCommand({L"a", L"OK", L"p:1", ResultIcon::kOk}, L"/w"), "");
}

// GitHub's renderer links web addresses as it reads the raw text: escapes
// inside one must not show.
TEST(CiReports, MarkdownShowsWebAddressesAsWrittenInGitHubsRenderer) {
    const std::vector<ResultRow> rows = {
        {L"http://h/a_b*c?x=1&y=2|z~", L"404 Not Found", L"https://h/:3", ResultIcon::kError},
        {L"www.h.org/a_b[c]`d`$e$", L"Connection error", L"mail@h.org:4", ResultIcon::kError},
    };
    TempFolder folder;
    EXPECT_EQ(
        ReadCiReport(folder, "markdown", MarkdownSummary(rows, {3, 2})),
        CiReportLine({"row", "Link", "State", "Location"}) +
            CiReportLine({"row", "http://h/a_b*c?x=1&y=2|z~", "404 Not Found", "https://h/:3"}) +
            CiReportLine({"row", "www.h.org/a_b[c]`d`$e$", "Connection error", "mail@h.org:4"}) +
            CiReportLine({"paragraph", "Total links found: 3, errors: 2"}));
}

TEST(CiReports, MarkdownSaysSoWhenNothingIsBroken) {
    EXPECT_EQ(MarkdownSummary({{L"a", L"OK", L"p", ResultIcon::kOk}}, {1, 0}),
              "No broken links\n\nTotal links found: 1, errors: 0\n");
}

TEST(ReportEscaping, CharactersNoFormatCarriesAsThemselves) {
    // XML 1.0 has no way to hold U+0001 or U+FFFF; a lone surrogate is no
    // character at all and becomes U+FFFD, as in every other format.
    EXPECT_EQ(XmlText(std::wstring(L"\x01\xffff\xd800\x7f\u00e9", 5)),
              "\\u0001\\uffff\xef\xbf\xbd\x7f\xc3\xa9");
    // CR LF is one line break, and a cell never ends inside a text.
    EXPECT_EQ(MarkdownCell(L"a\r\nb\rc\nd|e"), "a<br>b<br>c<br>d\\|e");
    EXPECT_EQ(WorkflowCommandMessage(L"1%\r\n:,\x1b\t"), "1%25%0D%0A:,%1B\t");
    EXPECT_EQ(WorkflowCommandProperty(L"1%\r\n:,"), "1%25%0D%0A%3A%2C");
}
