// robots.txt: which group applies to the crawler, which rule decides a
// path, how rules and paths are spelled alike, and what is not read.
#include "engine/robots_txt.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PathCase {
    std::string_view path;
    bool allowed;
};

void ExpectPaths(const RobotsRules& rules, std::initializer_list<PathCase> cases,
                 std::string_view what) {
    for (const PathCase& c : cases) {
        EXPECT_EQ(rules.Allows(c.path), c.allowed) << what << ": " << c.path;
    }
}

TEST(RobotsTxt, TheCrawlersOwnGroupsMergeElseTheStarGroupsApply) {
    struct Case {
        std::string_view what;
        std::string_view text;
        std::initializer_list<PathCase> paths;
    };
    const Case cases[] = {
        {"own group in any case, by product token",
         "User-agent: *\nDisallow: /\n\nUser-agent: skarnel/2.0 (+https://x)\nDisallow: /a\n",
         {{"/a", false}, {"/b", true}}},
        {"star group when none names the crawler",
         "User-agent: OtherBot\nDisallow: /b\nUser-agent: *\nDisallow: /a\n",
         {{"/a", false}, {"/b", true}}},
        {"a token that only begins with ours is another crawler's",
         "User-agent: SkarnelPlus\nDisallow: /a\nUser-agent: *\nDisallow: /b\n",
         {{"/a", true}, {"/b", false}}},
        {"several groups for the crawler merge",
         "User-agent: Skarnel\nDisallow: /a\nUser-agent: *\nDisallow: /c\n"
         "User-agent: SKARNEL\nDisallow: /b\n",
         {{"/a", false}, {"/b", false}, {"/c", true}}},
        {"consecutive user-agent lines share one group, across other lines",
         "User-agent: OtherBot\nSitemap: http://x/s.xml\nUser-agent: Skarnel\n\nDisallow: /a\n"
         "User-agent: OtherBot\nDisallow: /b\n",
         {{"/a", false}, {"/b", true}}},
        {"an own group without rules allows all, whatever the star group says",
         "User-agent: *\nDisallow: /\nUser-agent: Skarnel\n",
         {{"/a", true}}},
        {"lines that are not rules do not end the user-agent lines",
         "User-agent: Skarnel\nCrawl-delay: 5\nUser-agent: *\nDisallow: /a\n",
         {{"/a", false}}},
        {"no group for the crawler and none for star",
         "User-agent: OtherBot\nDisallow: /\n",
         {{"/a", true}}},
        {"rules before any user-agent belong to no group",
         "Disallow: /a\nUser-agent: *\nDisallow: /b\n",
         {{"/a", true}, {"/b", false}}},
    };
    for (const Case& c : cases)
        ExpectPaths(RobotsRules::Parse(c.text, kRobotsToken), c.paths, c.what);
}

TEST(RobotsTxt, TheLongestMatchingRuleDecidesAndAllowWinsATie) {
    const RobotsRules rules = RobotsRules::Parse(
        "User-agent: *\n"
        "Disallow: /shop\n"
        "Allow: /shop/open\n"
        "Disallow: /shop/open/closed\n"
        "Disallow: /same\n"
        "Allow: /same\n"
        "Allow: /tie\n"
        "Disallow: /tie\n"
        "Allow: /page\n"
        "Disallow: /*.gif$\n"
        "Disallow:\n"
        "Allow:\n",
        kRobotsToken);
    ExpectPaths(rules,
                {{"/shop", false},
                 {"/shopping", false},  // a rule is a prefix of the path, not a segment
                 {"/shop/open", true},
                 {"/shop/open/closed/x", false},
                 {"/same/x", true},
                 {"/tie", true},
                 {"/page.gif", false},  // "/*.gif$" is longer than "/page"
                 {"/page.gifs", true},
                 {"/other", true},  // the empty rules match nothing
                 {"", true}},
                "precedence");
}

TEST(RobotsTxt, StarMatchesAnyRunAndAFinalDollarTheEnd) {
    const RobotsRules rules = RobotsRules::Parse(
        "user-agent: *\n"
        "disallow: /*/private/*.html$\n"
        "disallow: /x$y\n"
        "disallow: /exact$\n"
        "disallow: /**a*b\n"
        "disallow: /q?*id=\n",
        kRobotsToken);
    ExpectPaths(rules,
                {{"/a/private/p.html", false},
                 {"/a/b/private/c/p.html", false},
                 {"/a/private/p.html?x", true},  // the query is part of the path
                 {"/a/private/p.htm", true},
                 {"/private/p.html", true},  // "/*/" needs a segment before
                 {"/x$y", false},            // "$" only anchors at the end
                 {"/xy", true},
                 {"/exact", false},
                 {"/exact/", true},
                 {"/zzazzazzb", false},
                 {"/zzbzza", true},
                 {"/q?a=1&id=2", false},
                 {"/q?a=1", true}},
                "wildcards");
}

TEST(RobotsTxt, PercentEncodingsAndUtf8AreComparedInOneSpelling) {
    const RobotsRules rules = RobotsRules::Parse(
        "User-agent: *\n"
        "Disallow: /caf\xc3\xa9/\n"  // written in UTF-8
        "Disallow: /a%2fb\n"
        "Disallow: /100%\n"
        "Disallow: /%zz\n",
        kRobotsToken);
    ExpectPaths(rules,
                {{"/caf%C3%A9/menu", false},
                 {"/caf%c3%a9/menu", false},
                 {"/caf\xc3\xa9/menu", false},
                 {"/cafe/menu", true},
                 {"/a%2Fb", false},
                 {"/a/b", true},  // an encoded "/" is not a separator
                 {"/100%25", false},
                 {"/%zz", false},
                 {"/%ZZ", true}},
                "encodings");
}

TEST(RobotsTxt, LinesAreReadInAnySpellingAndNonRulesArePassedOver) {
    const RobotsRules rules = RobotsRules::Parse(
        "\xEF\xBB\xBFuser-AGENT : * # everyone\r\n"
        "\r\n"
        "this line is no rule\r\n"
        "DISALLOW:/a # not /a#\r\n"
        "Disallow : \t/b\t\r\n"
        "Noindex: /c\r\n"
        "# Disallow: /d\r\n"
        "Disallow: /e\r"  // a lone CR also ends a line
        "Disallow: /f",
        kRobotsToken);
    ExpectPaths(rules,
                {{"/a", false},
                 {"/b", false},
                 {"/c", true},
                 {"/d", true},
                 {"/e", false},
                 {"/f", false},
                 {"/g", true}},
                "spelling");
}

TEST(RobotsTxt, RobotsTxtItselfIsAlwaysAllowed) {
    for (const RobotsRules& rules :
         {RobotsRules::DisallowAll(), RobotsRules::Parse("User-agent: *\nDisallow: /\n", "x")}) {
        ExpectPaths(rules, {{"/robots.txt", true}, {"/robots.txt2", false}, {"/", false}},
                    "robots.txt");
    }
    ExpectPaths(RobotsRules(), {{"/", true}, {"/any/thing?x", true}}, "default");
}

TEST(RobotsTxt, NothingPastFiveHundredKibibytesIsRead) {
    constexpr std::size_t kLimit = 500 * 1024;
    std::string text = "User-agent: *\nDisallow: /a\n";
    text += std::string(kLimit - text.size() - 20, '#') + '\n';
    // This line is cut by the limit: dropped, not read as "Disallow: /partial-".
    text += "Disallow: /partial-rule\n";
    text += "Disallow: /b\n";
    const RobotsRules rules = RobotsRules::Parse(text, kRobotsToken);
    ExpectPaths(rules, {{"/a", false}, {"/partial-x", true}, {"/partial-rule", true}, {"/b", true}},
                "limit");

    // A line that ends exactly at the limit is still read.
    std::string exact = "User-agent: *\n";
    exact += std::string(kLimit - exact.size() - 13, '#') + '\n' + "Disallow: /z" + "\nDisallow: /";
    ASSERT_EQ(exact.find("/z") + 2, kLimit);
    ExpectPaths(RobotsRules::Parse(exact, kRobotsToken), {{"/z", false}, {"/y", true}}, "edge");
}

}  // namespace
