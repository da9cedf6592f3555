// The URL functions on the documented examples and their corner cases.
#include "engine/url_functions.h"

#include <gtest/gtest.h>

TEST(GetUrlFolder, KeepsTextUpToTheLastSeparator) {
    EXPECT_EQ(GetUrlFolder("http://server/a/b.html"), "http://server/a/");
    EXPECT_EQ(GetUrlFolder("http://server/"), "http://server/");
    EXPECT_EQ(GetUrlFolder("http://server/a\\b.html"), "http://server/a\\");
    EXPECT_EQ(GetUrlFolder("page.html"), "page.html");
    EXPECT_EQ(GetUrlFolder(""), "");
}

TEST(GetUrlFolder, BareServerGetsItsSlash) {
    EXPECT_EQ(GetUrlFolder("http://server"), "http://server/");
    EXPECT_EQ(GetUrlFolder("http://"), "http:///");
    EXPECT_EQ(GetUrlFolder("https://server"), "https://");
}

TEST(GetUrlFolderW, CutsLocalPathsAtEitherSeparator) {
    EXPECT_EQ(GetUrlFolderW(L"d:\\site\\index.html"), L"d:\\site\\");
    EXPECT_EQ(GetUrlFolderW(L"d:\\site\\sub/page.html"), L"d:\\site\\sub/");
    EXPECT_EQ(GetUrlFolderW(L"index.html"), L"index.html");
    EXPECT_EQ(GetUrlFolderW(L"/srv/site/a.html"), L"/srv/site/");
}

TEST(GetUrlHost, TakesTheTextBeforeTheFirstSlash) {
    EXPECT_EQ(GetUrlHost("http://server:8080/a/b.html"), "server:8080");
    EXPECT_EQ(GetUrlHost("http://user@server"), "user@server");
    EXPECT_EQ(GetUrlHost("https://server/a"), "https:");
    EXPECT_EQ(GetUrlHost("HTTP://server/a"), "HTTP:");
    EXPECT_EQ(GetUrlHostW(L"d:\\site\\sub\\"), L"d:\\site\\sub\\");
    EXPECT_EQ(GetUrlHostW(L"d:\\site\\sub/"), L"d:\\site\\sub");
    EXPECT_EQ(GetUrlHostW(L"/srv/site/"), L"");
}

TEST(GetUrlRequestPath, TakesTheTextFromTheFirstSlash) {
    EXPECT_EQ(GetUrlRequestPath("http://server/a/b.html?x=1"), "/a/b.html?x=1");
    EXPECT_EQ(GetUrlRequestPath("http://server"), "/");
    EXPECT_EQ(GetUrlRequestPath("http://server/a b#f"), "/a b#f");
    EXPECT_EQ(GetUrlRequestPath("https://server/a"), "//server/a");
}

TEST(GetUrlFileNameW, TakesTheLastSegment) {
    EXPECT_EQ(GetUrlFileNameW(L"http://server/a/b.html"), L"b.html");
    EXPECT_EQ(GetUrlFileNameW(L"http://server/dir/"), L"");
    EXPECT_EQ(GetUrlFileNameW(L"c:\\tmp\\index.php"), L"index.php");
    EXPECT_EQ(GetUrlFileNameW(L"name"), L"name");
}
