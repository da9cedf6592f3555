// Link values read as a browser reads them.
#include "engine/link_value.h"

#include <gtest/gtest.h>

TEST(CleanLinkValue, DecodesCharacterReferencesAndTrimsBlanks) {
    EXPECT_EQ(CleanLinkValue("git-web&#45;&#45;browse.html"), "git-web--browse.html");
    EXPECT_EQ(CleanLinkValue("a&#x2D;b&#X2d;c&#45d"), "a-b-c-d");
    EXPECT_EQ(CleanLinkValue("q.php?a=1&amp;b=2&lt;&gt;&quot;&apos;"), "q.php?a=1&b=2<>\"'");
    EXPECT_EQ(CleanLinkValue("caf&#233;&#x1F600;&nbsp;"), "caf\xc3\xa9\xf0\x9f\x98\x80\xc2\xa0");
    // What is no reference stays as written.
    EXPECT_EQ(CleanLinkValue("a&b=1&#;&#x;&copy;&amp"), "a&b=1&#;&#x;&copy;&amp");
    EXPECT_EQ(CleanLinkValue("&#0;&#xD800;&#99999999999;"), "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(CleanLinkValue(" \t\r\n x.html \n"), "x.html");
    EXPECT_EQ(CleanLinkValue("two\nlines.html"), "two\nlines.html");
    EXPECT_EQ(CleanLinkValue("&#32;x&#32;"), "x");
}

TEST(LeadsNowhereToCheck, EmptyValuesAndSchemesNothingCanCheck) {
    for (const PageVariant page : {PageVariant::kWeb, PageVariant::kLocal}) {
        for (const char* nowhere : {"", "ftp://ftp.gnu.org/", "news:comp.lang", "tel:+1-555",
                                    "data:image/png;base64,AA", "irc+s://x", "Gopher://x"}) {
            EXPECT_TRUE(LeadsNowhereToCheck(nowhere, page)) << nowhere;
        }
        for (const char* checked : {"a.html", "HTTP://x/", "Https://x/", "c:/x.html", "/a:b",
                                    "a/b:c", "1a:b", "page.html?x=a:b"}) {
            EXPECT_FALSE(LeadsNowhereToCheck(checked, page)) << checked;
        }
    }
    // A file on the reader's own machine is nothing a web page can link to.
    EXPECT_TRUE(LeadsNowhereToCheck("FILE:///x", PageVariant::kWeb));
    EXPECT_FALSE(LeadsNowhereToCheck("FILE:///x", PageVariant::kLocal));
}

TEST(LocalFileUrlPath, NamesFilesOnThisMachineOnly) {
    EXPECT_EQ(LocalFileUrlPath("file:///usr/share/a%20b.html#top"), "/usr/share/a b.html");
    EXPECT_EQ(LocalFileUrlPath("FILE://LocalHost/x?y"), "/x");
    EXPECT_EQ(LocalFileUrlPath("file:/x/%2F%00y"), "/x/%2F%00y");
    EXPECT_EQ(LocalFileUrlPath("file://server/share/x"), std::nullopt);
    EXPECT_EQ(LocalFileUrlPath("file:relative.html"), std::nullopt);
    EXPECT_EQ(LocalFileUrlPath("files/x.html"), std::nullopt);
}
