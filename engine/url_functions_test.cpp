// The URL functions on the documented examples and their corner cases.
#include "engine/url_functions.h"

#include <gtest/gtest.h>

#include <tuple>

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
    EXPECT_EQ(GetUrlFolder("https://server"), "https://server/");
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

TEST(RequestTargetOf, HttpsAddressesGoToTheirPortOnlyWhileHttpsLinksAreChecked) {
    const auto target = [](std::string_view address, HttpsLinks https) {
        const WebRequestTarget t = RequestTargetOf(address, https);
        return std::make_tuple(t.secure, t.host, t.connectHost, t.port, t.path);
    };
    constexpr HttpsLinks kOn = HttpsLinks::kChecked;
    EXPECT_EQ(target("https://server/a b?q#f", kOn),
              std::make_tuple(true, "server", "server", 443, "/a b?q#f"));
    EXPECT_EQ(target("https://server:8443", kOn),
              std::make_tuple(true, "server:8443", "server", 8443, "/"));
    EXPECT_EQ(target("https://server:/x", kOn),
              std::make_tuple(true, "server:", "server", 443, "/x"));
    // Not a port: the host text stays whole and does not resolve.
    for (const char* host : {"server:0", "server:65536", "server:8x", "server:-1"}) {
        EXPECT_EQ(target(std::string("https://") + host + "/", kOn),
                  std::make_tuple(true, host, host, 443, "/"));
    }
    // Plain http keeps its port in the host and always goes to port 80.
    EXPECT_EQ(target("http://server:8080/a", kOn),
              std::make_tuple(false, "server:8080", "server:8080", 80, "/a"));
    EXPECT_EQ(target("https://server/a", HttpsLinks::kIgnored),
              std::make_tuple(false, "https:", "https:", 80, "//server/a"));
}

TEST(GetUrlOrigin, KeepsTheSchemeOfTheAddress) {
    EXPECT_EQ(GetUrlOrigin("https://server:8443/dir/"), "https://server:8443");
    EXPECT_EQ(GetUrlOrigin("http://server/dir/"), "http://server");
}
