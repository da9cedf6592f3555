// The output formats: escaping in each, whole lines, totals.
#include "cli/row_format.h"

#include <gtest/gtest.h>

namespace {

ResultRow Row(std::wstring link, std::wstring state, std::wstring location, ResultIcon icon) {
    return ResultRow{std::move(link), std::move(state), std::move(location), icon};
}

}  // namespace

TEST(TsvFormat, EscapesBackslashTabAndLineEndsOnly) {
    EXPECT_EQ(TsvText(L"a\\b\tc\rd\ne"), "a\\\\b\\tc\\rd\\ne");
    // Other control characters and quotes pass unchanged.
    EXPECT_EQ(TsvText(L"\"q\" \x01"), "\"q\" \x01");
}

TEST(TsvFormat, EncodesWideTextsAsUtf8) {
    // A page byte widened to U+00E9, and a character beyond one byte.
    EXPECT_EQ(TsvText(L"caf\u00e9 \u20ac"), "caf\xc3\xa9 \xe2\x82\xac");
}

TEST(TsvFormat, RowIsFourFieldsWithIconName) {
    EXPECT_EQ(FormatRow(OutputFormat::kTsv, Row(L"a.html", L"OK", L"i.html:3", ResultIcon::kOk)),
              "a.html\tOK\ti.html:3\tok\n");
    EXPECT_EQ(FormatRow(OutputFormat::kTsv,
                        Row(L"b\tc", L"Can't open file", L"i.html:4", ResultIcon::kError)),
              "b\\tc\tCan't open file\ti.html:4\terror\n");
    EXPECT_EQ(FormatRow(OutputFormat::kTsv, Row(L"http://x/", L"Absolute URL - skipped",
                                                L"i.html:5", ResultIcon::kSkipped)),
              "http://x/\tAbsolute URL - skipped\ti.html:5\tskipped\n");
}

TEST(TsvFormat, TotalsLineIsTheStatusText) {
    EXPECT_EQ(FormatHeader(OutputFormat::kTsv), "");
    EXPECT_EQ(FormatTotals(OutputFormat::kTsv, {12, 3}), "Total links found: 12, errors: 3\n");
}

TEST(CsvFormat, HeaderAddsIconToTheSavedHeader) {
    EXPECT_EQ(FormatHeader(OutputFormat::kCsv), "Link,State,Location (file:line),Icon\r\n");
    EXPECT_EQ(FormatTotals(OutputFormat::kCsv, {2, 1}), "");
}

TEST(CsvFormat, QuotesOnlyFieldsThatNeedIt) {
    EXPECT_EQ(FormatRow(OutputFormat::kCsv,
                        Row(L"a,b.html", L"say \"hi\"", L"p.html:1", ResultIcon::kError)),
              "\"a,b.html\",\"say \"\"hi\"\"\",p.html:1,error\r\n");
    EXPECT_EQ(FormatRow(OutputFormat::kCsv, Row(L"x\ny", L"OK", L"p\r.html:2", ResultIcon::kOk)),
              "\"x\ny\",OK,\"p\r.html:2\",ok\r\n");
}

TEST(JsonFormat, RowIsOneObjectPerLine) {
    EXPECT_EQ(FormatRow(OutputFormat::kJson, Row(L"a.html", L"OK", L"i.html:3", ResultIcon::kOk)),
              "{\"link\":\"a.html\",\"state\":\"OK\",\"location\":\"i.html:3\",\"icon\":\"ok\"}\n");
}

TEST(JsonFormat, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonString(L"\"a\\b\""), "\"\\\"a\\\\b\\\"\"");
    EXPECT_EQ(JsonString(L"l1\nl2\r\tx"), "\"l1\\nl2\\r\\tx\"");
    EXPECT_EQ(JsonString(std::wstring(L"\x01\x1f", 2) + L'\0'), "\"\\u0001\\u001f\\u0000\"");
    // Slash and DEL need no escape; non-ASCII goes out as UTF-8.
    EXPECT_EQ(JsonString(L"/\x7f\u00e9"), "\"/\x7f\xc3\xa9\"");
}

TEST(JsonFormat, TotalsObject) {
    EXPECT_EQ(FormatHeader(OutputFormat::kJson), "");
    EXPECT_EQ(FormatTotals(OutputFormat::kJson, {7, 0}), "{\"total\":7,\"errors\":0}\n");
}
