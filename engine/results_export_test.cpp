// The CSV export: quoting, UTF-8, record ends, and the file it writes.
#include "engine/results_export.h"

#include <gtest/gtest.h>

#include "testing/temp_folder.h"

namespace {

TEST(ResultsExport, QuotesOnlyFieldsThatNeedItAndDoublesQuotes) {
    EXPECT_EQ(CsvField(L"http://a/b.html"), "http://a/b.html");
    EXPECT_EQ(CsvField(L""), "");
    EXPECT_EQ(CsvField(L"a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField(L"say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField(L"line\nbreak"), "\"line\nbreak\"");
    EXPECT_EQ(CsvField(L"cr\ronly"), "\"cr\ronly\"");
    EXPECT_EQ(CsvField(L" blanks and\ttab "), " blanks and\ttab ");
    EXPECT_EQ(CsvField(L"caf\u00E9 \u6587"), "caf\xC3\xA9 \xE6\x96\x87");
}

TEST(ResultsExport, HeaderThenOneRecordPerRowInRowOrder) {
    const std::vector<ResultRow> rows = {
        {L"site/b.html", L"OK", L"site/index.html:3", ResultIcon::kOk},
        {L"", L"Can't open file", L"", ResultIcon::kError},
        {L"http://x/a,b", L"301 Moved => \"new\"", L"p.html:1\n", ResultIcon::kOk},
    };
    EXPECT_EQ(ResultsAsCsv(rows),
              "Link,State,Location (file:line)\r\n"
              "site/b.html,OK,site/index.html:3\r\n"
              ",Can't open file,\r\n"
              "\"http://x/a,b\",\"301 Moved => \"\"new\"\"\",\"p.html:1\n\"\r\n");
    EXPECT_EQ(ResultsAsCsv({}), "Link,State,Location (file:line)\r\n");
}

TEST(ResultsExport, SavesTheBytesAndReportsAFileItCannotWrite) {
    TempFolder folder;
    const std::vector<ResultRow> rows = {{L"a \u00E9", L"OK", L"x:1", ResultIcon::kOk}};
    folder.Put("out.csv", "old contents that are longer than the new ones");
    ASSERT_TRUE(SaveResultsAsCsv(folder.WidePathOf("out.csv"), rows));
    EXPECT_EQ(folder.Read("out.csv"), "Link,State,Location (file:line)\r\na \xC3\xA9,OK,x:1\r\n");
    EXPECT_FALSE(SaveResultsAsCsv(folder.WidePathOf("missing/out.csv"), rows));
    EXPECT_FALSE(SaveResultsAsCsv(folder.WidePath(), rows));
}

}  // namespace
