// Link patterns: what they match, how a broken one is reported, matching
// from many threads at once, and the text form the Options dialog edits.
#include "engine/link_patterns.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

LinkPatterns CompiledOrFail(const std::vector<std::wstring>& patterns) {
    std::string error;
    auto compiled = LinkPatterns::Compile(patterns, &error);
    EXPECT_TRUE(compiled) << error;
    return compiled ? std::move(*compiled) : LinkPatterns();
}

TEST(LinkPatterns, AnyPatternMatchingAnywhereInTheTextMatches) {
    const LinkPatterns patterns = CompiledOrFail({L"/private/", L"\\.pdf$", L"^mailto:"});
    struct Case {
        std::string_view text;
        bool matches;
    };
    const Case cases[] = {
        {"http://server/private/a.html", true},  // a search, not a whole match
        {"http://server/doc.pdf", true},
        {"http://server/doc.pdf?x=1", false},
        {"mailto:someone@server", true},
        {"http://server/?to=mailto:x", false},
        {"http://server/Private/", false},  // case matters unless a pattern says (?i)
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(patterns.Matches(c.text), c.matches) << c.text;
    EXPECT_FALSE(patterns.Empty());
}

TEST(LinkPatterns, NoPatternsMatchNothing) {
    const LinkPatterns none = CompiledOrFail({});
    EXPECT_TRUE(none.Empty());
    EXPECT_FALSE(none.Matches("http://server/"));
    EXPECT_TRUE(LinkPatterns().Empty());
    EXPECT_FALSE(LinkPatterns().Matches(""));
}

TEST(LinkPatterns, PatternsAndTextAreUtf8AndInvalidBytesStillMatch) {
    // "é" is one character: "." takes all of its two bytes.
    const LinkPatterns patterns = CompiledOrFail({L"caf\u00e9", L"^/x.y$", L"bad\\xffbyte"});
    EXPECT_TRUE(patterns.Matches("/caf\xc3\xa9/"));
    EXPECT_TRUE(patterns.Matches("/x\xc3\xa9y"));
    EXPECT_FALSE(patterns.Matches("/cafe/"));
    // A text that is not UTF-8 is searched, not refused: the valid parts
    // around a stray byte still match.
    EXPECT_TRUE(patterns.Matches("/\xff\xfe/caf\xc3\xa9\x80"));
    EXPECT_FALSE(patterns.Matches("/x\xffy"));
    EXPECT_FALSE(
        patterns.Matches("bad\xff"
                         "byte"));  // \xff is U+00FF, not a byte
    EXPECT_TRUE(
        patterns.Matches("bad\xc3\xbf"
                         "byte"));
}

TEST(LinkPatterns, ABrokenPatternCompilesNothingAndSaysWhy) {
    struct Case {
        std::vector<std::wstring> patterns;
        std::string error;
    };
    const Case cases[] = {
        {{L"a(b"}, "pattern \"a(b\": missing closing parenthesis at offset 3"},
        {{L"fine", L"x[\u00e9"},
         "pattern \"x[\xc3\xa9\": missing terminating ] for character class at offset 4"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(LinkPatterns::Compile(c.patterns, &error));
        EXPECT_EQ(error, c.error);
    }
    EXPECT_FALSE(LinkPatterns::Compile({L"*"}));  // no error text asked for
}

TEST(LinkPatterns, ManyThreadsMatchOnePatternSetAtOnce) {
    const LinkPatterns patterns = CompiledOrFail({L"^https?://[^/]+/(a|b)+\\d{3}$"});
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                if (!patterns.Matches("http://server/abab123")) ++wrong;
                if (patterns.Matches("http://server/abc123")) ++wrong;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(PatternsFromText, SplitsAtRunsOfBlanksAndJoinsWithOneSpace) {
    struct Case {
        std::wstring_view text;
        std::vector<std::wstring> patterns;
        std::wstring joined;
    };
    const Case cases[] = {
        {L"", {}, L""},
        {L" \t ", {}, L""},
        {L"a", {L"a"}, L"a"},
        {L"  \\.pdf$\t\t^mailto: /x\u00e9/ ",
         {L"\\.pdf$", L"^mailto:", L"/x\u00e9/"},
         L"\\.pdf$ ^mailto: /x\u00e9/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PatternsFromText(c.text), c.patterns);
        EXPECT_EQ(TextFromPatterns(c.patterns), c.joined);
        EXPECT_EQ(PatternsFromText(TextFromPatterns(c.patterns)), c.patterns);
    }
}

}  // namespace
