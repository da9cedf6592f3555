// Link extraction: where passes find values, where values end in each
// variant, line numbers, and which passes the options allow in what order.
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
using ::testing::Pair;

Found RunPass(std::string_view text, const LinkTagPass& pass, PageVariant variant) {
    Found found;
    ScanTagPass(text, pass, variant,
                [&](std::string_view value, int line) { found.emplace_back(value, line); });
    return found;
}

Found Web(std::string_view text, const LinkTagPass& pass = LinkTagTable[0]) {
    return RunPass(text, pass, PageVariant::kWeb);
}

Found Local(std::string_view text, const LinkTagPass& pass = LinkTagTable[0]) {
    return RunPass(text, pass, PageVariant::kLocal);
}

TEST(LinkExtraction, SearchStartsAtTheSecondByte) {
    EXPECT_THAT(Web(" <a href=\"b.html\">"), ElementsAre(Pair("b.html", 1)));
    EXPECT_THAT(Web("<a href=\"b.html\">"), IsEmpty());
    EXPECT_THAT(Local("<a href=\"b.html\">"), IsEmpty());
}

TEST(LinkExtraction, LineIsThatOfTheAttributeCountingLineFeedsOnly) {
    EXPECT_THAT(Web("x\n\n<a\r\n title=\"t\"\nhref=\"b.html\">"), IsEmpty());
    EXPECT_THAT(Web("x\n\n<a \r\nhref=\"b.html\">"), ElementsAre(Pair("b.html", 4)));
    EXPECT_THAT(Web("x\r\n<a href='1'>\r\n<a href='2'>\n\n<a href='3'> "),
                ElementsAre(Pair("1", 2), Pair("2", 3), Pair("3", 5)));
    EXPECT_EQ(LineOfPosition("a\nb\r\nc", 0), 1);
    EXPECT_EQ(LineOfPosition("a\nb\r\nc", 2), 2);
    EXPECT_EQ(LineOfPosition("a\nb\r\nc", 5), 3);
    EXPECT_EQ(LineOfPosition("a\n", 99), 2);
}

TEST(LinkExtraction, AttributeMustComeBeforeTheFirstTagEnd) {
    EXPECT_THAT(Web(" <a title=\"a>b\" href=\"x.html\">"), IsEmpty());
    // Without any ">" after the opener, a later tag's attribute counts.
    EXPECT_THAT(Web(" <a name=\"n\" <b href=\"x\" "), ElementsAre(Pair("x", 1)));
    // The name is found by substring search, inside another attribute too.
    EXPECT_THAT(Web(" <a data-href=\"x\">", LinkTagTable[0]), ElementsAre(Pair("x", 1)));
}

TEST(LinkExtraction, TwoCharactersAfterTheNameAreSkippedUnseen) {
    EXPECT_THAT(Web(" <a href = \"x.html\">"), ElementsAre(Pair(" ", 1)));
    EXPECT_THAT(Web(" <a hrefXYz.html'>"), ElementsAre(Pair("z.html", 1)));
}

TEST(LinkExtraction, WebValuesEndAtAQuoteFollowedByMoreText) {
    EXPECT_THAT(Web(" <a href=\"\">"), ElementsAre(Pair("", 1)));
    EXPECT_THAT(Web(" <a href=\"\""), IsEmpty());
    EXPECT_THAT(Web(" <a href=\"x.html"), IsEmpty());
    EXPECT_THAT(Web(" <a href=\"a>b\">"), IsEmpty());
    EXPECT_THAT(Web(" <a href='it\"s'>"), ElementsAre(Pair("it", 1)));
    EXPECT_THAT(Web(" <a href=\"two\nlines\" >"), ElementsAre(Pair("two\nlines", 1)));
}

TEST(LinkExtraction, LocalValuesEndAtAQuoteOnlyAndAreAlwaysHandedOn) {
    EXPECT_THAT(Local(" <a href=\"a>b\">"), ElementsAre(Pair("a>b", 1)));
    EXPECT_THAT(Local(" <a href=\"\""), ElementsAre(Pair("", 1)));
    EXPECT_THAT(Local(" <a href=\"to the end"), ElementsAre(Pair("to the end", 1)));
}

TEST(LinkExtraction, UnquotedValuesEndAtWhiteSpaceOrTheTagsEndInBothVariants) {
    for (const auto& pass : {Web, Local}) {
        EXPECT_THAT(pass(" <a href=x.html>later \"quote\" ", LinkTagTable[0]),
                    ElementsAre(Pair("x.html", 1)));
        EXPECT_THAT(pass(" <a href=a'b\"c title=\"t\">", LinkTagTable[0]),
                    ElementsAre(Pair("a'b\"c", 1)));
        EXPECT_THAT(pass(" <a href=x.html\ttitle='t'> <a\nhref=y.html\n>", LinkTagTable[0]),
                    ElementsAre(Pair("x.html", 1)));
        EXPECT_THAT(pass(" <A id=t\n HREF=y.html\r\n>", LinkTagTable[1]),
                    ElementsAre(Pair("y.html", 2)));
        // No value before the tag's end, or a tag the text never closes.
        EXPECT_THAT(pass(" <a href=> <a href=x.html", LinkTagTable[0]), IsEmpty());
    }
    // A blank after "=" is no unquoted value: two characters are skipped as ever.
    EXPECT_THAT(Web(" <a href= \"x.html\">"), ElementsAre(Pair("", 1)));
}

TEST(LinkExtraction, NameAtTheVeryEndOfTheTextIsNoFailure) {
    for (const std::string text : {" <a href", " <a href=", " <a href=\""}) {
        EXPECT_THAT(Web(text), IsEmpty()) << text;
        (void)Local(text);
    }
    EXPECT_THAT(Local(" <a href=\""), ElementsAre(Pair("", 1)));
    EXPECT_THAT(Local(" <a href"), IsEmpty());
}

TEST(LinkExtraction, OnlyTheTableFormsAreLinks) {
    const std::string text =
        " <a HREF=\"lower-opener\"> <A href=\"upper-opener\"> <a\thref=\"tab\"> ";
    EXPECT_THAT(Web(text, LinkTagTable[0]), IsEmpty());
    EXPECT_THAT(Web(text, LinkTagTable[1]), IsEmpty());
    EXPECT_THAT(Web(text, LinkTagTable[2]), ElementsAre(Pair("upper-opener", 1)));
    EXPECT_THAT(Web(" <Img src=\"x\"> <iMG SRC=\"y\"> ", LinkTagTable[3]), IsEmpty());
}

TEST(LinkExtraction, EveryOccurrenceInTextOrderManyPerLine) {
    std::string text = " ";
    for (int i = 0; i < 5; ++i) text += "<a href=\"" + std::to_string(i) + "\">";
    text += " ";
    EXPECT_THAT(Web(text),
                ElementsAre(Pair("0", 1), Pair("1", 1), Pair("2", 1), Pair("3", 1), Pair("4", 1)));
}

class LinkExtractionPasses : public ScanFixture {
protected:
    std::vector<std::string> AllPasses(std::string_view text) {
        std::vector<std::string> values;
        ScanPageLinks(text, PageVariant::kWeb,
                      [&](std::string_view value, int) { values.emplace_back(value); });
        return values;
    }

    static constexpr std::string_view kPage =
        " <script src=\"s.js\"> <IMG SRC=\"I.png\"> <A HREF=\"UP\" href=\"up\"> <img src=\"i.png\">"
        " <a href=\"a\"> <form action=\"f\"> <LINK href=\"l\"> ";
};

TEST_F(LinkExtractionPasses, PassOrderComesBeforeTextOrder) {
    m_window.Options().checkImages = 0;
    m_window.Options().checkAllTags = 0;
    EXPECT_THAT(AllPasses(kPage), ElementsAre("a", "UP", "up"));
}

TEST_F(LinkExtractionPasses, OptionsChooseThePassesWhenTheCallIsMade) {
    m_window.Options().checkImages = 1;
    m_window.Options().checkAllTags = 0;
    EXPECT_THAT(AllPasses(kPage), ElementsAre("a", "UP", "up", "i.png", "I.png"));
    m_window.Options().checkImages = 0;
    m_window.Options().checkAllTags = 1;
    EXPECT_THAT(AllPasses(kPage), ElementsAre("a", "UP", "up", "i.png", "I.png", "s.js", "f", "l"));
}

}  // namespace
