// Link extraction: tags and attributes as HTML writes them, what is not
// markup, line numbers, which elements each option reads, and the order in
// which a page's links are handed on.
#include "engine/link_extraction.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "testing/scan_fixture.h"

namespace {

using Found = std::vector<std::pair<std::string, int>>;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;
using ::testing::Pair;

Found Links(std::string_view text, LinkGroups groups = kAllLinkGroups) {
    Found found;
    for (const FoundLink& link : ReadPageLinks(text, groups).links)
        found.emplace_back(link.value, link.line);
    return found;
}

TEST(LinkExtraction, TagsAndAttributesInAnyCaseAndSpacing) {
    EXPECT_THAT(Links("<a href=\"b.html\">"), ElementsAre(Pair("b.html", 1)));
    EXPECT_THAT(Links("<A HREF='1'> <a\tHref=2> <Img\nsrc = \"3\"> <a/href=4> <a\rhref=5>"),
                ElementsAre(Pair("1", 1), Pair("2", 1), Pair("4", 2), Pair("5", 2), Pair("3", 2)));
    // Unquoted values end at white space or ">"; quotes inside belong to them.
    EXPECT_THAT(Links(" <a href=a'b\"c title=\"t\"> <a href=x.html>later \"quote\" "),
                ElementsAre(Pair("a'b\"c", 1), Pair("x.html", 1)));
    // A quoted ">" neither ends the tag nor the value.
    EXPECT_THAT(Links(" <a title=\"a>b\" href=\"x>y.html\">"), ElementsAre(Pair("x>y.html", 1)));
    EXPECT_THAT(Links(" <a href=\"\"> <a href> <a href=>"),
                ElementsAre(Pair("", 1), Pair("", 1), Pair("", 1)));
}

TEST(LinkExtraction, AnAttributeIsAWholeNameAndTheFirstOfItsNameCounts) {
    EXPECT_THAT(Links("<img srcset=\"a.png 2x\" src=\"b.png\" alt=\"a src that fails\">"),
                ElementsAre(Pair("a.png", 1), Pair("b.png", 1)));
    EXPECT_THAT(Links("<a data-href=\"x\" title=\"see href here\" hreflang=en>"), IsEmpty());
    EXPECT_THAT(Links("<A HREF=\"UP\" href=\"up\">"), ElementsAre(Pair("UP", 1)));
    EXPECT_THAT(Links("<a href=\"x\"href='y' id=z>"), ElementsAre(Pair("x", 1)));
}

TEST(LinkExtraction, CommentsDeclarationsAndTextElementsAreNotMarkup) {
    const std::string page =
        "<!DOCTYPE html><!-- <a href=c1> --> <!--> <a href=1> <!---> <a href=2>"
        "<!-- x --!> <a href=3> <!-- -- <a href=c2> -->"
        "<? <a href=p1 ?> <![CDATA[ x ]]> <a href=4>"
        "<script>document.write('<a href=s1>')</script > <a href=5>"
        "<script><!-- <script> </script> <a href=s2> --></script><a href=6>"
        "<SCRIPT><!-- </script><a href=7>"
        "<style>a{} <a href=st1></style><title>t <a href=t1></title foo='>'>"
        "<textarea><a href=ta1></TEXTAREA><a href=8><noscript><a href=9></noscript>";
    EXPECT_THAT(Links(page),
                ElementsAre(Pair("1", 1), Pair("2", 1), Pair("3", 1), Pair("4", 1), Pair("5", 1),
                            Pair("6", 1), Pair("7", 1), Pair("8", 1), Pair("9", 1)));
    // What the text ends inside (a comment, a tag, a value) holds no link.
    EXPECT_THAT(Links("<a href=1> <!-- <a href=2>"), ElementsAre(Pair("1", 1)));
    EXPECT_THAT(Links("<a href=1> <a href=\"2>"), ElementsAre(Pair("1", 1)));
    EXPECT_THAT(Links("<a href=1><a href=2"), ElementsAre(Pair("1", 1)));
    EXPECT_THAT(Links("<script src=s.js><a href=1>"), ElementsAre(Pair("s.js", 1)));
}

TEST(LinkExtraction, LineIsThatOfTheAttributeCountingLineFeedsOnly) {
    EXPECT_THAT(Links("x\n\n<a \r\nhref=\"b.html\">"), ElementsAre(Pair("b.html", 4)));
    EXPECT_THAT(Links("x\r\n<a href='1'>\r\n<a href='2'>\n\n<a href='3'> "),
                ElementsAre(Pair("1", 2), Pair("2", 3), Pair("3", 5)));
    EXPECT_THAT(Links("<img\nsrcset=\"a.png 1x,\n b.png 2x\"\n src=c.png>"),
                ElementsAre(Pair("a.png", 2), Pair("b.png", 2), Pair("c.png", 4)));
    EXPECT_EQ(LineOfPosition("a\nb\r\nc", 0), 1);
    EXPECT_EQ(LineOfPosition("a\nb\r\nc", 5), 3);
    EXPECT_EQ(LineOfPosition("a\n", 99), 2);
}

TEST(LinkExtraction, EachOptionReadsItsElementsAndGroupsComeInTableOrder) {
    const std::string page =
        "<script src=s.js></script><object data=o.svg></object><img src=i.png>"
        "<form action=f><link href=l.css><iframe src=fr.html></iframe><a href=a.html>"
        "<input type=IMAGE src=in.png><input type=text src=no.png><video poster=p.jpg "
        "src=v.mp4><source src=s.webm srcset='x.png 1x'></video><area href=ar.html>"
        "<meta http-equiv=Refresh content=\"5; URL='r.html'\"><meta content=\"0;url=no\">"
        "<audio src=au.ogg><track src=t.vtt></audio><embed src=e.swf><base href=b/>";
    EXPECT_THAT(Links(page, kAnchorGroups), ElementsAre(Pair("fr.html", 1), Pair("a.html", 1),
                                                        Pair("ar.html", 1), Pair("r.html", 1)));
    EXPECT_THAT(
        Links(page, kAnchorAndImageGroups),
        ElementsAre(Pair("fr.html", 1), Pair("a.html", 1), Pair("ar.html", 1), Pair("r.html", 1),
                    Pair("i.png", 1), Pair("in.png", 1), Pair("p.jpg", 1), Pair("x.png", 1)));
    EXPECT_THAT(Links(page),
                ElementsAre(Pair("fr.html", 1), Pair("a.html", 1), Pair("ar.html", 1),
                            Pair("r.html", 1), Pair("i.png", 1), Pair("in.png", 1),
                            Pair("p.jpg", 1), Pair("x.png", 1), Pair("l.css", 1), Pair("s.js", 1),
                            Pair("f", 1), Pair("o.svg", 1), Pair("v.mp4", 1), Pair("s.webm", 1),
                            Pair("au.ogg", 1), Pair("t.vtt", 1), Pair("e.swf", 1)));
}

TEST(LinkExtraction, TheFirstBaseWithAnHrefIsThePagesBase) {
    EXPECT_THAT(
        ReadPageLinks("<base target=_top><base href=\"/docs/\"><base href=x>", kAnchorGroups)
            .baseHref,
        Optional(std::string_view("/docs/")));
    EXPECT_EQ(ReadPageLinks("<a href=x>", kAnchorGroups).baseHref, std::nullopt);
}

TEST(LinkExtraction, SrcsetAndRefreshValuesAsBrowsersSplitThem) {
    EXPECT_THAT(SrcsetUrls(" a.png 1x, b.png?w=2,3 2x,c, d.png, e.png 100w ,f(1).png (x, y) z "),
                ElementsAre("a.png", "b.png?w=2,3", "c", "d.png", "e.png", "f(1).png"));
    EXPECT_THAT(SrcsetUrls(" , "), IsEmpty());
    EXPECT_THAT(RefreshUrl("0; url=a.html"), Optional(std::string_view("a.html")));
    EXPECT_THAT(RefreshUrl(" 3.5 , URL = \"b c.html\" x"), Optional(std::string_view("b c.html")));
    EXPECT_THAT(RefreshUrl("0;u.html"), Optional(std::string_view("u.html")));
    EXPECT_THAT(RefreshUrl("0 'q.html'"), Optional(std::string_view("q.html")));
    EXPECT_EQ(RefreshUrl("5"), std::nullopt);
    EXPECT_EQ(RefreshUrl("5; "), std::nullopt);
    EXPECT_EQ(RefreshUrl("url=x.html"), std::nullopt);
    EXPECT_EQ(RefreshUrl("5x; url=x.html"), std::nullopt);
}

class LinkExtractionOptions : public ScanFixture {
protected:
    std::vector<std::string> Values(std::string_view text) {
        std::vector<std::string> values;
        for (const FoundLink& link : ScanPageLinks(text).links) values.emplace_back(link.value);
        return values;
    }

    static constexpr std::string_view kPage =
        " <script src=\"s.js\"></script> <img src=\"I.png\"> <a href=\"UP\"> <img src=\"i.png\">"
        " <a href=\"a\"> <form action=\"f\"> <link href=\"l\"> ";
};

TEST_F(LinkExtractionOptions, OptionsChooseTheGroupsWhenTheCallIsMade) {
    m_window.Options().checkImages = 0;
    m_window.Options().checkAllTags = 0;
    EXPECT_THAT(Values(kPage), ElementsAre("UP", "a"));
    m_window.Options().checkImages = 1;
    EXPECT_THAT(Values(kPage), ElementsAre("UP", "a", "I.png", "i.png"));
    m_window.Options().checkImages = 0;
    m_window.Options().checkAllTags = 1;
    EXPECT_THAT(Values(kPage), ElementsAre("UP", "a", "I.png", "i.png", "l", "s.js", "f"));
}

}  // namespace
