// The command-line splitter on the cases where the rules differ from a
// plain split at blanks.
#include "platform/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(SplitCommandLine, BlanksSeparateAndNothingIsQuotedByDefault) {
    EXPECT_THAT(SplitCommandLine(L""), IsEmpty());
    EXPECT_THAT(SplitCommandLine(L" \t "), IsEmpty());
    EXPECT_THAT(SplitCommandLine(L"/bin/ZentribEditor /site/my page.html 12"),
                ElementsAre(L"/bin/ZentribEditor", L"/site/my", L"page.html", L"12"));
    EXPECT_THAT(SplitCommandLine(L"  edit\t\ta  "), ElementsAre(L"edit", L"a"));
}

TEST(SplitCommandLine, ProgramNameTakesQuotesWithoutEscapes) {
    EXPECT_THAT(SplitCommandLine(L"\"/opt/my editor/ed\" file"),
                ElementsAre(L"/opt/my editor/ed", L"file"));
    EXPECT_THAT(SplitCommandLine(L"c:\\tools\\ed\\\" x"), ElementsAre(L"c:\\tools\\ed\\ x"));
}

TEST(SplitCommandLine, BackslashesAndQuotesInLaterArguments) {
    EXPECT_THAT(SplitCommandLine(L"p \"a b\" c\\d \"e\\\"f\" g\\\\\"h i\""),
                ElementsAre(L"p", L"a b", L"c\\d", L"e\"f", L"g\\h i"));
    EXPECT_THAT(SplitCommandLine(L"p a\\\\\\\"b \"\" \"x\"\"y\""),
                ElementsAre(L"p", L"a\\\"b", L"", L"x\"y"));
    EXPECT_THAT(SplitCommandLine(L"p d:\\site\\ \"unclosed arg"),
                ElementsAre(L"p", L"d:\\site\\", L"unclosed arg"));
}

TEST(QuoteCommandLine, QuotesOnlyWhatTheSplitterWouldBreakAndReadsBackWhole) {
    EXPECT_EQ(QuoteCommandLineProgram(L"/opt/skarnel/ZentribEditor"),
              L"/opt/skarnel/ZentribEditor");
    EXPECT_EQ(QuoteCommandLineProgram(L"/home/ann/my apps/ZentribEditor"),
              L"\"/home/ann/my apps/ZentribEditor\"");
    EXPECT_EQ(QuoteCommandLineArgument(L"d:\\site\\a\"b.html"), L"\"d:\\site\\a\\\"b.html\"");
    EXPECT_EQ(QuoteCommandLineArgument(L"d:\\my site\\"), L"\"d:\\my site\\\\\"");
    const std::vector<std::wstring> arguments{L"/home/ann/my apps/ed", L"/site/index.php",
                                              L"/my page.html",        L"",
                                              L"a\\\\\"b\\",           L"tab\there"};
    std::wstring commandLine = QuoteCommandLineProgram(arguments[0]);
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        commandLine += L" " + QuoteCommandLineArgument(arguments[i]);
    }
    EXPECT_EQ(SplitCommandLine(commandLine), arguments);
}
