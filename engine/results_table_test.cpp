// Row icons, error counting, text limits and the code-unit sort.
#include "engine/results_table.h"

#include <gtest/gtest.h>

#include <climits>

#include "engine/scan_state.h"
#include "platform/text_codec.h"
#include "testing/scan_fixture.h"

using ResultsTable = ScanFixture;

TEST_F(ResultsTable, WebStatesGetTheirIconAndCountErrors) {
    struct Case {
        const char* state;
        ResultIcon icon;
    };
    const Case cases[] = {
        {"200 OK", ResultIcon::kOk},
        {"301 Moved Permanently =>  http://server/new/", ResultIcon::kOk},
        {"302 Found", ResultIcon::kOk},
        {"303 See Other", ResultIcon::kOk},
        {"307 Temporary Redirect", ResultIcon::kOk},
        {"308 Permanent Redirect =>  https://server/new/", ResultIcon::kOk},
        {"300 Multiple Choices", ResultIcon::kError},
        {"305 Use Proxy", ResultIcon::kError},
        {" +200 OK", ResultIcon::kOk},
        {"304 Not Modified", ResultIcon::kError},
        {"404 Not Found", ResultIcon::kError},
        {"500 Internal Server Error", ResultIcon::kError},
        {"2000 OK", ResultIcon::kError},
        {"", ResultIcon::kError},
        {"Connection error. Can't create socket.", ResultIcon::kError},
        {"Connection error. Can't connect to the server.", ResultIcon::kError},
        {"Connection error. No response from server.", ResultIcon::kError},
    };
    unsigned errors = 0;
    for (const Case& c : cases) {
        AddWebResult("http://a/", c.state, "http://a/:3");
        if (c.icon == ResultIcon::kError) ++errors;
        const ResultRow row = m_window.Rows().back();
        EXPECT_EQ(row.icon, c.icon) << c.state;
        EXPECT_EQ(row.state, Widen(c.state));
        EXPECT_EQ(row.link, L"http://a/");
        EXPECT_EQ(row.location, L"http://a/:3");
    }
    EXPECT_EQ(TheScanState().errorCount, errors);
}

TEST_F(ResultsTable, WebTextsWidenByteForByte) {
    AddWebResult("http://a/\xE9\xFF", "200 OK", "p:1");
    EXPECT_EQ(m_window.Rows().back().link, L"http://a/\u00E9\u00FF");
}

TEST_F(ResultsTable, LocalStatesGetTheirIconAndCountErrors) {
    AddLocalResult(L"/s/a.html", L"OK", L"/s/a.html");
    AddLocalResult(L"/s/b.html", L"Empty file", L"/s/a.html:2");
    AddLocalResult(L"/s/c.html", L"Can't open file", L"/s/a.html:3");
    AddLocalResult(L"http://x/", L"Absolute URL - skipped", L"/s/a.html:4");
    AddLocalResult(L"/s/d.html", L"OK but skipped", L"/s/a.html:5");
    const std::vector<ResultRow> rows = m_window.Rows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].icon, ResultIcon::kOk);
    EXPECT_EQ(rows[1].icon, ResultIcon::kError);
    EXPECT_EQ(rows[2].icon, ResultIcon::kError);
    EXPECT_EQ(rows[3].icon, ResultIcon::kSkipped);
    EXPECT_EQ(rows[4].icon, ResultIcon::kSkipped);
    EXPECT_EQ(TheScanState().errorCount, 2u);
}

TEST_F(ResultsTable, LocalRowsAreRecordedAsReported) {
    AddLocalResult(L"/s/a.html", L"Can't open file", L"/s/a.html");
    EXPECT_TRUE(TheScanState().reportedLinks.Contains(L"/s/a.html"));
    EXPECT_FALSE(TheScanState().reportedLinks.Contains(L"/s/A.html"));
}

TEST_F(ResultsTable, LongTextsAreCutAtTheRowLimit) {
    const std::string longLink(25000, 'x');
    AddWebResult(longLink, "200 OK", longLink);
    const ResultRow row = m_window.Rows().back();
    EXPECT_EQ(row.link.size(), kMaxRowTextLength);
    EXPECT_EQ(row.location.size(), kMaxRowTextLength);
}

TEST(LeadingDecimal, ReadsLikeAtoi) {
    EXPECT_EQ(LeadingDecimal("404 Not Found"), 404);
    EXPECT_EQ(LeadingDecimal(" \t\n301x"), 301);
    EXPECT_EQ(LeadingDecimal("-17"), -17);
    EXPECT_EQ(LeadingDecimal("+-2"), 0);
    EXPECT_EQ(LeadingDecimal("OK"), 0);
    EXPECT_EQ(LeadingDecimal(""), 0);
    EXPECT_EQ(LeadingDecimal("99999999999999999999"), INT_MAX);
}

TEST(SortRowsByColumn, StateColumnOrdersByCodeUnits) {
    const std::vector<std::wstring> states = {
        L"OK",
        L"Empty file",
        L"Connection error. No response from server.",
        L"Connection error. Can't connect to the server.",
        L"Connection error. Can't create socket.",
        L"Can't open file",
        L"Absolute URL - skipped",
        L"404 Not Found",
        L"200 OK",
    };
    std::vector<ResultRow> rows;
    for (const std::wstring& state : states) rows.push_back({L"l", state, L"p", ResultIcon::kOk});
    SortRowsByColumn(rows, 1);
    std::vector<std::wstring> sorted;
    for (const ResultRow& row : rows) sorted.push_back(row.state);
    EXPECT_EQ(sorted, (std::vector<std::wstring>{
                          L"200 OK",
                          L"404 Not Found",
                          L"Absolute URL - skipped",
                          L"Can't open file",
                          L"Connection error. Can't connect to the server.",
                          L"Connection error. Can't create socket.",
                          L"Connection error. No response from server.",
                          L"Empty file",
                          L"OK",
                      }));
}

TEST(SortRowsByColumn, CapitalsFirstDigitsByCodeUnitAndTiesKeepTheirOrder) {
    std::vector<ResultRow> rows = {
        {L"b", L"1", L"x:9", ResultIcon::kOk},
        {L"a", L"2", L"x:10", ResultIcon::kOk},
        {L"B", L"3", L"x:10", ResultIcon::kOk},
        {L"\u00E9", L"4", L"x:2", ResultIcon::kOk},
    };
    SortRowsByColumn(rows, 0);
    EXPECT_EQ(rows[0].link, L"B");
    EXPECT_EQ(rows[1].link, L"a");
    EXPECT_EQ(rows[2].link, L"b");
    EXPECT_EQ(rows[3].link, L"\u00E9");
    SortRowsByColumn(rows, 2);
    EXPECT_EQ(rows[0].state, L"3");  // "x:10" < "x:2" < "x:9"; equal texts keep their order
    EXPECT_EQ(rows[1].state, L"2");
    EXPECT_EQ(rows[2].state, L"4");
    EXPECT_EQ(rows[3].state, L"1");
}
