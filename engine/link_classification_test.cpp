// Link kinds and resolution: the prefix tests in their order, and plain
// concatenation against the page's folder.
#include "engine/link_classification.h"

#include <gtest/gtest.h>

TEST(LinkClassification, PrefixTestsAreExactAndCaseSensitive) {
    EXPECT_EQ(KindOfLink("http://s/a.html"), LinkKind::kAbsoluteWeb);
    EXPECT_EQ(KindOfLink("http:a.html"), LinkKind::kAbsoluteWeb);
    for (const char* ignored : {"https://s/", "mailto:a@b", "javascript:go()", "#top", "#"}) {
        EXPECT_EQ(KindOfLink(ignored), LinkKind::kIgnored) << ignored;
    }
    EXPECT_EQ(KindOfLink("/a.html"), LinkKind::kRootRelative);
    // "/" is the site's root page.
    EXPECT_EQ(KindOfLink("/"), LinkKind::kRootRelative);
    EXPECT_EQ(KindOfLink("//other/a.html"), LinkKind::kRootRelative);
    for (const char* relative : {"HTTP://s/", "Https://s/", "ftp://s/", "a.html#top", "", " /x"}) {
        EXPECT_EQ(KindOfLink(relative), LinkKind::kRelative) << relative;
    }
}

TEST(LinkClassification, HttpsLinksAreWebLinksOnlyWhileChecked) {
    constexpr HttpsLinks kOn = HttpsLinks::kChecked;
    EXPECT_EQ(KindOfLink("https://s/a.html", kOn), LinkKind::kAbsoluteWeb);
    EXPECT_EQ(KindOfLink("https:a.html", kOn), LinkKind::kAbsoluteWeb);
    EXPECT_EQ(KindOfLink("http://s/", kOn), LinkKind::kAbsoluteWeb);
    EXPECT_EQ(KindOfLink("HTTPS://s/", kOn), LinkKind::kRelative);
    EXPECT_EQ(KindOfLink("https://s/a.html", HttpsLinks::kIgnored), LinkKind::kIgnored);
    // The links of an https page resolve to https, root-relative ones too.
    const std::string base = "https://server:8443/dir/page.html";
    EXPECT_EQ(ResolveWebLink("a.html", LinkKind::kRelative, base),
              "https://server:8443/dir/a.html");
    EXPECT_EQ(ResolveWebLink("/a.html", LinkKind::kRootRelative, base),
              "https://server:8443/a.html");
    EXPECT_EQ(ResolveWebLink("x", LinkKind::kRelative, "https://server"), "https://server/x");
}

TEST(LinkClassification, WebLinksResolveToOneTextPerPage) {
    const std::string base = "http://server/dir/";
    EXPECT_EQ(ResolveWebLink("a.html", LinkKind::kRelative, base), "http://server/dir/a.html");
    EXPECT_EQ(ResolveWebLink("", LinkKind::kRelative, base), base);
    EXPECT_EQ(ResolveWebLink("HTTP://x/", LinkKind::kRelative, base),
              "http://server/dir/HTTP://x/");
    EXPECT_EQ(ResolveWebLink("/a.html", LinkKind::kRootRelative, base), "http://server/a.html");
    EXPECT_EQ(ResolveWebLink("//cdn/x.js", LinkKind::kRootRelative, base),
              "http://server//cdn/x.js");
    // A base without a final slash is cut to its folder first.
    EXPECT_EQ(ResolveWebLink("a.html", LinkKind::kRelative, "http://server/dir/page.html"),
              "http://server/dir/a.html");
    // Dot segments and the fragment go; the query stays as written.
    EXPECT_EQ(ResolveWebLink("../a.html?x=../y#f", LinkKind::kRelative, base),
              "http://server/a.html?x=../y");
    EXPECT_EQ(ResolveWebLink("./sub/../../../../a.html#", LinkKind::kRelative, base),
              "http://server/a.html");
    EXPECT_EQ(ResolveWebLink("/x/./y/..", LinkKind::kRootRelative, base), "http://server/x/");
}

TEST(LinkClassification, LocalLinksResolveToAPathAndTheNamesABrowserWouldTry) {
    const LocalPath site{L"/srv/caf\u00e9/sub/", "/srv/caf\xc3\xa9/sub/"};
    const auto resolve = [&](std::string_view value, LinkKind kind = LinkKind::kRelative) {
        return ResolveLocalLink(value, kind, site);
    };
    EXPECT_EQ(resolve("page.html").path,
              (LocalPath{L"/srv/caf\u00e9/sub/page.html", "/srv/caf\xc3\xa9/sub/page.html"}));
    EXPECT_TRUE(resolve("page.html").withoutQuery.text.empty());
    EXPECT_TRUE(resolve("page.html").unescaped.text.empty());
    // Rows show a link's bytes one character each; the file system is given the bytes.
    EXPECT_EQ(resolve("../\xc3\xa9t\xc3\xa9.html").path,
              (LocalPath{L"/srv/caf\u00e9/\u00c3\u00a9t\u00c3\u00a9.html",
                         "/srv/caf\xc3\xa9/\xc3\xa9t\xc3\xa9.html"}));
    const LocalLinkPaths odd = resolve("../a%20b.html?v=../1#top");
    EXPECT_EQ(odd.path.text, L"/srv/caf\u00e9/a%20b.html?v=../1#top");
    EXPECT_EQ(odd.withoutQuery.text, L"/srv/caf\u00e9/a%20b.html");
    EXPECT_EQ(odd.unescaped, (LocalPath{L"/srv/caf\u00e9/a b.html", "/srv/caf\xc3\xa9/a b.html"}));
    // A ".." never climbs above the root; a relative base keeps the ones above its start.
    EXPECT_EQ(resolve("../../../../x.html").path.text, L"/x.html");
    EXPECT_EQ(ResolveLocalLink("../../x.html", LinkKind::kRelative, {L"./a/", "./a/"}).path,
              (LocalPath{L"./../x.html", "./../x.html"}));
    EXPECT_EQ(resolve("/x.html", LinkKind::kRootRelative).path.text, L"/x.html");
    // A path that reduces to a bare name stays in its folder, as "./a.html".
    EXPECT_EQ(ResolveLocalLink("../a.html", LinkKind::kRelative, {L"sub/", "sub/"}).path,
              (LocalPath{L"./a.html", "./a.html"}));
    // A link that is not UTF-8 may name a UTF-8 file: its Latin-1 reading.
    EXPECT_EQ(resolve("caf\xe9.html").latin1, (LocalPath{L"/srv/caf\u00e9/sub/caf\u00e9.html",
                                                         "/srv/caf\xc3\xa9/sub/caf\xc3\xa9.html"}));
    EXPECT_TRUE(resolve("caf\xc3\xa9.html").latin1.text.empty());
    EXPECT_EQ(
        ResolveLocalLink("/x.html", LinkKind::kRootRelative, {L"d:\\site/sub/", {}}).path.text,
        L"d:\\site/x.html");
    EXPECT_EQ(ResolveLocalLink("page.html", LinkKind::kRelative, {L"d:\\site\\sub\\", {}}).path,
              (LocalPath{L"d:\\site\\sub\\page.html", {}}));
}
