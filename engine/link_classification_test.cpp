// Link kinds and resolution: the prefix tests in their order, and plain
// concatenation against the page's folder.
#include "engine/link_classification.h"

#include <gtest/gtest.h>

TEST(LinkClassification, PrefixTestsAreExactAndCaseSensitive) {
    EXPECT_EQ(KindOfLink("http://s/a.html"), LinkKind::kAbsoluteWeb);
    EXPECT_EQ(KindOfLink("http:a.html"), LinkKind::kAbsoluteWeb);
    for (const char* ignored : {"https://s/", "mailto:a@b", "javascript:go()", "/", "#top", "#"}) {
        EXPECT_EQ(KindOfLink(ignored), LinkKind::kIgnored) << ignored;
    }
    EXPECT_EQ(KindOfLink("/a.html"), LinkKind::kRootRelative);
    EXPECT_EQ(KindOfLink("//other/a.html"), LinkKind::kRootRelative);
    for (const char* relative : {"HTTP://s/", "Https://s/", "ftp://s/", "a.html#top", "", " /x"}) {
        EXPECT_EQ(KindOfLink(relative), LinkKind::kRelative) << relative;
    }
}

TEST(LinkClassification, WebLinksResolveByConcatenation) {
    const std::string base = "http://server/dir/";
    EXPECT_EQ(ResolveWebLink("a.html", LinkKind::kRelative, base), "http://server/dir/a.html");
    EXPECT_EQ(ResolveWebLink("../a.html?x#y", LinkKind::kRelative, base),
              "http://server/dir/../a.html?x#y");
    EXPECT_EQ(ResolveWebLink("", LinkKind::kRelative, base), base);
    EXPECT_EQ(ResolveWebLink("HTTP://x/", LinkKind::kRelative, base),
              "http://server/dir/HTTP://x/");
    EXPECT_EQ(ResolveWebLink("/a.html", LinkKind::kRootRelative, base), "http://server/a.html");
    EXPECT_EQ(ResolveWebLink("//cdn/x.js", LinkKind::kRootRelative, base),
              "http://server//cdn/x.js");
    // A base without a final slash is cut to its folder first.
    EXPECT_EQ(ResolveWebLink("a.html", LinkKind::kRelative, "http://server/dir/page.html"),
              "http://server/dir/a.html");
}

TEST(LinkClassification, LocalLinksResolveAgainstTheFolderAsWritten) {
    EXPECT_EQ(ResolveLocalLink("page.html", LinkKind::kRelative, L"d:\\site\\sub\\"),
              L"d:\\site\\sub\\page.html");
    EXPECT_EQ(ResolveLocalLink("/x.html", LinkKind::kRootRelative, L"d:\\site\\sub\\"),
              L"d:\\site\\sub\\/x.html");
    EXPECT_EQ(ResolveLocalLink("/x.html", LinkKind::kRootRelative, L"d:\\site/sub/"),
              L"d:\\site/x.html");
    EXPECT_EQ(ResolveLocalLink("/x.html", LinkKind::kRootRelative, L"/srv/site/"), L"/x.html");
    // Bytes are widened one by one: no character set is decoded.
    EXPECT_EQ(ResolveLocalLink("caf\xc3\xa9", LinkKind::kRelative, L"/s/"),
              std::wstring(L"/s/caf") + wchar_t{0xc3} + wchar_t{0xa9});
}
