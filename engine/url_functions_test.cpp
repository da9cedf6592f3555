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

TEST(RemoveDotSegments, TakesEachDotDotWithTheSegmentBeforeIt) {
    // The examples of RFC 3986 section 5.4, as paths.
    EXPECT_EQ(RemoveDotSegments("/a/b/c/./../../g"), "/a/g");
    EXPECT_EQ(RemoveDotSegments("/a/b/c/../../../g"), "/g");
    EXPECT_EQ(RemoveDotSegments("/a/b/c/../../../../g"), "/g");
    EXPECT_EQ(RemoveDotSegments("/a/b/c/g/.."), "/a/b/c/");
    EXPECT_EQ(RemoveDotSegments("/a/b/c/."), "/a/b/c/");
    EXPECT_EQ(RemoveDotSegments("/./g/."), "/g/");
    EXPECT_EQ(RemoveDotSegments("/a//../g"), "/a/g");
    EXPECT_EQ(RemoveDotSegments("/.."), "/");
    // Names that only begin or end with dots are no dot segments; nor is "//".
    EXPECT_EQ(RemoveDotSegments("/a/.g/g../...//b"), "/a/.g/g../...//b");
    // A relative path keeps what climbs above its start, and a leading "./".
    EXPECT_EQ(RemoveDotSegments("a/../../b/./c"), "../b/c");
    EXPECT_EQ(RemoveDotSegments("./a/../../b"), "./../b");
    EXPECT_EQ(RemoveDotSegments("a/.."), "./");
    EXPECT_EQ(RemoveDotSegments("./index.html"), "./index.html");
    EXPECT_EQ(RemoveDotSegments("a/..//b"), ".//b");
    EXPECT_EQ(RemoveDotSegmentsW(L"/caf\u00e9/../\u00e9t\u00e9/./x"), L"/\u00e9t\u00e9/x");
    EXPECT_EQ(RemoveDotSegmentsW(L"d:\\site\\..\\x"), L"d:\\site\\..\\x");
}

TEST(NormaliseWebAddress, DropsTheFragmentAndTheDotSegmentsOfThePathOnly) {
    EXPECT_EQ(NormaliseWebAddress("http://s/a/../b.html#f"), "http://s/b.html");
    EXPECT_EQ(NormaliseWebAddress("http://s/a/./b/?x=/../y#z"), "http://s/a/b/?x=/../y");
    EXPECT_EQ(NormaliseWebAddress("https://s/a/b/../../../c"), "https://s/c");
    EXPECT_EQ(NormaliseWebAddress("http://s/#"), "http://s/");
    EXPECT_EQ(NormaliseWebAddress("http://s?q=/../x"), "http://s?q=/../x");
    EXPECT_EQ(NormaliseWebAddress("http://s"), "http://s");
    EXPECT_EQ(NormaliseWebAddress("http://s/dir/page.html?a=1&b=2"),
              "http://s/dir/page.html?a=1&b=2");
}
