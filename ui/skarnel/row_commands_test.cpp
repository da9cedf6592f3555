// The row commands' texts and addresses: the copied row, the address a
// browser is handed for web links and local files, and the save title.
#include "ui/skarnel/row_commands.h"

#include <gtest/gtest.h>

#include "testing/temp_folder.h"

namespace {

TEST(RowAsCopiedText, KeepsEachRowOnOneLineOfThreeTabSeparatedTexts) {
    EXPECT_EQ(RowAsCopiedText({L"a\tb.html", L"404\r\nNot Found", L"", ResultIcon::kError}),
              L"a b.html\t404  Not Found\t");
}

TEST(BrowserAddressOfLink, WebLinksGoAsTheyAreWithTheBytesAnAddressCannotHoldEscaped) {
    EXPECT_EQ(BrowserAddressOfLink(L"http://h/a.html?q=1#top", L"/nowhere"),
              "http://h/a.html?q=1#top");
    EXPECT_EQ(BrowserAddressOfLink(L"HTTPS://h/a%20b", L"/nowhere"), "HTTPS://h/a%20b");
    // A page's bytes as the link holds them, one character each.
    EXPECT_EQ(BrowserAddressOfLink(L"http://h/caf\u00C3\u00A9 \"x\"", L"/nowhere"),
              "http://h/caf%C3%A9%20%22x%22");
    EXPECT_EQ(BrowserAddressOfLink(L"mailto:a@b.c", L"/nowhere"), std::nullopt);
    EXPECT_EQ(BrowserAddressOfLink(L"", L"/nowhere"), std::nullopt);
}

TEST(BrowserAddressOfLink, ALocalFileThatExistsOpensAsAFileAddress) {
    TempFolder site;
    site.Put("menu/caf\xC3\xA9 #1.html", "<html></html>");
    site.Put("index.html", "<html></html>");
    const std::string folder = site.Path().string();
    const std::wstring wideFolder = site.WidePath();
    const std::string menuPage = "file://" + folder + "/menu/caf%C3%A9%20%231.html";

    EXPECT_EQ(BrowserAddressOfLink(wideFolder + L"/menu/caf\u00E9 #1.html", L"/nowhere"), menuPage);
    // A relative link is taken from the current folder.
    EXPECT_EQ(BrowserAddressOfLink(L"menu/caf\u00E9 #1.html", wideFolder), menuPage);
    // An anchor's row: the page exists, the fragment is its part.
    EXPECT_EQ(BrowserAddressOfLink(wideFolder + L"/index.html#the part", L"/nowhere"),
              "file://" + folder + "/index.html#the%20part");
    EXPECT_EQ(BrowserAddressOfLink(wideFolder + L"/missing.html#x", L"/nowhere"), std::nullopt);
    EXPECT_EQ(BrowserAddressOfLink(L"index.html", L"/nowhere"), std::nullopt);
}

TEST(SaveResultsTitle, CountsOneRowInTheSingularAndNamesEachFilter) {
    EXPECT_EQ(SaveResultsTitle(ResultFilter::kAll, 1, 1), L"Save results (all 1 row)");
    EXPECT_EQ(SaveResultsTitle(ResultFilter::kOk, 6, 13), L"Save results (OK only: 6 of 13 rows)");
}

}  // namespace
