// The editor's text functions: the command line, line ends, the byte to
// field mapping and back, line selection, file names, loading and saving.
#include "editor/editor_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>

#include "testing/temp_folder.h"

namespace {

using namespace std::string_literals;

// What loading and saving unchanged does to a file's bytes.
std::string LoadedAndSaved(std::string bytes) {
    const int keepLineEnds = NormalizeLineEnds(bytes);
    const TextEncoding encoding = DetectTextEncoding(bytes);
    std::string saved = BytesFromFieldText(FieldTextFromBytes(bytes, encoding), encoding);
    if (keepLineEnds == 0) RestoreLineFeeds(saved);
    return saved;
}

// What the field shows for a file's bytes.
std::u16string Shown(std::string bytes) {
    (void)NormalizeLineEnds(bytes);
    return FieldTextFromBytes(bytes, DetectTextEncoding(bytes));
}

}  // namespace

TEST(ParseLineNumber, ReadsBlanksSignAndDigitsUpToTheFirstOtherCharacter) {
    EXPECT_EQ(ParseLineNumber(L"12"), 12);
    EXPECT_EQ(ParseLineNumber(L"  \t7"), 7);
    EXPECT_EQ(ParseLineNumber(L"+3"), 3);
    EXPECT_EQ(ParseLineNumber(L"-2"), -2);
    EXPECT_EQ(ParseLineNumber(L"42abc"), 42);
    EXPECT_EQ(ParseLineNumber(L"0x10"), 0);
    EXPECT_EQ(ParseLineNumber(L"abc"), 0);
    EXPECT_EQ(ParseLineNumber(L""), 0);
    EXPECT_EQ(ParseLineNumber(L"- 5"), 0);
    EXPECT_EQ(ParseLineNumber(L"2147483647"), INT_MAX);
    EXPECT_EQ(ParseLineNumber(L"-2147483648"), INT_MIN);
    EXPECT_EQ(ParseLineNumber(L"99999999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseLineNumber(L"-99999999999999999999999"), INT_MIN);
}

TEST(ReadEditorArguments, TakesTheFileThenTheLineAndIgnoresTheRest) {
    EditorArguments none = ReadEditorArguments({L"ZentribEditor"});
    EXPECT_FALSE(none.file.has_value());
    EXPECT_FALSE(none.line.has_value());

    EditorArguments fileOnly = ReadEditorArguments({L"ZentribEditor", L"/site/a b.html"});
    EXPECT_EQ(fileOnly.file, L"/site/a b.html");
    EXPECT_FALSE(fileOnly.line.has_value());

    EditorArguments all =
        ReadEditorArguments({L"ZentribEditor", L"page.html", L" 12", L"99", L"more"});
    EXPECT_EQ(all.file, L"page.html");
    EXPECT_EQ(all.line, 12);

    EXPECT_EQ(ReadEditorArguments({L"ZentribEditor", L"page.html", L"x"}).line, 0);
}

TEST(NormalizeLineEnds, LeavesTextWithAnyCrAloneAndDoublesLoneLineFeedsOtherwise) {
    std::string mixed = "a\r\nb\nc";
    EXPECT_EQ(NormalizeLineEnds(mixed), 1);
    EXPECT_EQ(mixed, "a\r\nb\nc");

    std::string crOnly = "a\rb";
    EXPECT_EQ(NormalizeLineEnds(crOnly), 1);
    EXPECT_EQ(crOnly, "a\rb");

    std::string lfOnly = "\na\n\nb\n";
    EXPECT_EQ(NormalizeLineEnds(lfOnly), 0);
    EXPECT_EQ(lfOnly, "\r\na\r\n\r\nb\r\n");
    RestoreLineFeeds(lfOnly);
    EXPECT_EQ(lfOnly, "\na\n\nb\n");

    std::string empty;
    EXPECT_EQ(NormalizeLineEnds(empty), 0);
    EXPECT_EQ(empty, "");
}

TEST(ExtractFileName, TakesThePartAfterTheLastSlashOrBackslash) {
    EXPECT_EQ(ExtractFileName(L"d:\\site\\page.html"), L"page.html");
    EXPECT_EQ(ExtractFileName(L"/srv/www/dir\\x/index.php"), L"index.php");
    EXPECT_EQ(ExtractFileName(L"/srv/a\\b.html"), L"b.html");
    EXPECT_EQ(ExtractFileName(L"page.html"), L"page.html");
    EXPECT_EQ(ExtractFileName(L"/srv/www/"), L"");
    EXPECT_EQ(ExtractFileName(L""), L"");
}

TEST(LimitUtf8, CutsOnlyBetweenWholeCharacters) {
    EXPECT_EQ(LimitUtf8("page.html", 255), "page.html");
    EXPECT_EQ(LimitUtf8("abcdef", 4), "abcd");
    // "é" is two bytes: a cut in its middle drops it whole.
    EXPECT_EQ(LimitUtf8("ab\xC3\xA9z", 3), "ab");
    EXPECT_EQ(LimitUtf8("ab\xC3\xA9z", 4), "ab\xC3\xA9");
    EXPECT_EQ(LimitUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 7), "\xF0\x9F\x98\x80");
}

TEST(FieldText, LoadingAndSavingUnchangedGivesBackEveryByte) {
    const std::vector<std::string> files = {
        "",
        "one line, no break",
        "a\r\nb\r\nc\r\n",
        "a\nb\nc\n",
        "a\r\nb\nc\rd\n\r\r\n",
        "a\rb\rc\r",
        "\n\n\r\n\r",
        "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xC2\xA0 \xEF\xBB\xBF",
        "caf\xE9 \xFF\xFE \x80 \xC3 \xE2\x82 \xF0\x9F\x98",
        "caf\xE9 \x92quoted\x94 \x81\x8D\x8F\x90\x9D \xA0\r\n",
        "\xC3\xA9 one valid \xE9 \xE8 two stray",
        "\xC0\xAF \xE0\x80\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xF8\x88\x80\x80\x80",
        "before\0after\0\0end"s,
        "para\xE2\x80\xA9sep\xE2\x80\xA8line\xEF\xB7\x90\xEF\xB7\x91",
        "\xED\xB2\x80 looks like an escape once decoded",
        // U+1F40A: its low surrogate is the code unit of an escaped LF.
        "croc \xF0\x9F\x90\x8A\r\nnext\xF0\x9F\x90\x8A\n",
    };
    for (const std::string& file : files) EXPECT_EQ(LoadedAndSaved(file), file) << file;

    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) everyByte += static_cast<char>(byte);
    EXPECT_EQ(LoadedAndSaved(everyByte), everyByte);

    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> byteDistribution(0, 255);
    for (int round = 0; round < 500; ++round) {
        std::string bytes(static_cast<std::size_t>(round % 40), '\0');
        for (char& byte : bytes) byte = static_cast<char>(byteDistribution(random));
        ASSERT_EQ(LoadedAndSaved(bytes), bytes) << "round " << round;
    }
}

TEST(FieldText, ShowsLineBreaksAsTheyEndLinesAndOddBytesEscaped) {
    EXPECT_EQ(Shown("a\nb\n"), u"a\nb\n");
    EXPECT_EQ(Shown("a\r\nb"), u"a\nb");
    // In a file with CRs, a lone LF still ends its line but is marked, so it
    // is saved as it was; a lone CR ends no line.
    EXPECT_EQ(Shown("a\r\nb\nc\rd"),
              u"a\nb\xDC0A\nc\xDC0D"
              u"d");
    EXPECT_EQ(Shown("a\rb\r"),
              u"a\xDC0D"
              u"b\xDC0D");
    EXPECT_EQ(Shown("caf\xC3\xA9 \xF0\x9F\x98\x80"), u"caf\u00E9 \U0001F600");
    EXPECT_EQ(Shown("caf\xC3\xA9 \xE9!"), u"caf\u00E9 \xDCE9!");
    EXPECT_EQ(Shown("x\xE2\x80\xA9y"), u"x\xDCE2\xDC80\xDCA9y");
    EXPECT_EQ(Shown("a\0b"s), u"a\0b"s);
}

TEST(FieldText, LineBreaksTheUserAddsAreSavedAsCrLf) {
    constexpr TextEncoding kUtf8 = TextEncoding::kUtf8;
    EXPECT_EQ(BytesFromFieldText(u"a\nb", kUtf8), "a\r\nb");
    // The break after a marked lone LF is that LF; one typed after it is new.
    EXPECT_EQ(BytesFromFieldText(u"a\xDC0A\nb", kUtf8), "a\nb");
    EXPECT_EQ(BytesFromFieldText(u"a\xDC0A\n\nb", kUtf8), "a\n\r\nb");
    // A marked LF whose break was deleted stays in the file.
    EXPECT_EQ(BytesFromFieldText(u"a\xDC0A-b", kUtf8), "a\n-b");
    // A surrogate pair whose low half equals that escape ends no line.
    EXPECT_EQ(BytesFromFieldText(u"\U0001F40A\nb", kUtf8), "\xF0\x9F\x90\x8A\r\nb");
    // Half a surrogate pair that no byte stands for is written as U+FFFD.
    EXPECT_EQ(BytesFromFieldText(u"a\xD800z", kUtf8), "a\xEF\xBF\xBDz");
}

TEST(FieldText, PagesInTheWindowsCodePageShowTheirLettersAndQuotes) {
    EXPECT_EQ(DetectTextEncoding("plain ASCII"), TextEncoding::kUtf8);
    EXPECT_EQ(DetectTextEncoding("caf\xE9 na\xEFve"), TextEncoding::kWindows1252);
    // Mostly UTF-8 with one stray byte stays UTF-8.
    EXPECT_EQ(DetectTextEncoding("caf\xC3\xA9 na\xC3\xAFve \xE9"), TextEncoding::kUtf8);

    EXPECT_EQ(Shown("caf\xE9 \x92quoted\x94 \x80 \xFF"),
              u"caf\u00E9 \u2019quoted\u201D \u20AC \u00FF");
    // Bytes the code page leaves undefined are escaped like stray bytes.
    EXPECT_EQ(Shown("\xE9\x81\x8D\x8F\x90\x9D"), u"\u00E9\xDC81\xDC8D\xDC8F\xDC90\xDC9D");

    // Typed characters go back to the code page where it has them, else UTF-8.
    constexpr TextEncoding kWindows = TextEncoding::kWindows1252;
    EXPECT_EQ(BytesFromFieldText(u"\u00E9\u20AC\u2019", kWindows), "\xE9\x80\x92");
    EXPECT_EQ(BytesFromFieldText(u"\u2192\U0001F600", kWindows), "\xE2\x86\x92\xF0\x9F\x98\x80");
}

TEST(LineSpanOf, SelectsLinesByLineFeedAsTheLineTableSays) {
    const std::string_view text = "a\r\nb";
    EXPECT_EQ(LineSpanOf(text, 1), (LineSpan{0, 2}));
    EXPECT_EQ(LineSpanOf(text, 2), (LineSpan{2, 4}));
    EXPECT_EQ(LineSpanOf(text, 3), (LineSpan{0, 4}));
    EXPECT_EQ(LineSpanOf(text, 0), (LineSpan{0, 4}));
    EXPECT_EQ(LineSpanOf(text, -5), (LineSpan{0, 4}));
    EXPECT_EQ(LineSpanOf(text, INT_MAX), (LineSpan{0, 4}));

    const std::string_view lines = "one\ntwo\nthree\n";
    EXPECT_EQ(LineSpanOf(lines, 2), (LineSpan{3, 7}));
    EXPECT_EQ(LineSpanOf(lines, 3), (LineSpan{7, 13}));
    // F + 1 after a final break: only that break.
    EXPECT_EQ(LineSpanOf(lines, 4), (LineSpan{13, 14}));
    EXPECT_EQ(LineSpanOf(lines, 5), (LineSpan{0, 14}));

    EXPECT_EQ(LineSpanOf(std::string_view("a\rb\rc"), 1), (LineSpan{0, 5}));
    EXPECT_EQ(LineSpanOf(std::string_view("a\rb\rc"), 2), (LineSpan{0, 5}));
    EXPECT_EQ(LineSpanOf(std::string_view(""), 1), (LineSpan{0, 0}));
    EXPECT_EQ(LineSpanOf(std::u16string_view(u"x\ny"), 2), (LineSpan{1, 3}));
}

TEST(LoadFileBytes, ReadsEveryByteAcrossBlocksAndRefusesWhatIsNoFile) {
    TempFolder folder;
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i % 7 == 0 ? 0 : 'a' + i % 26);
    bytes[253] = '\0';
    bytes[254] = '\0';
    folder.Put("zeros.bin", bytes);

    std::string loaded = "left over";
    ASSERT_TRUE(LoadFileBytes(folder.WidePathOf("zeros.bin"), &loaded));
    EXPECT_EQ(loaded, bytes);

    folder.Put("empty.txt", "");
    ASSERT_TRUE(LoadFileBytes(folder.WidePathOf("empty.txt"), &loaded));
    EXPECT_EQ(loaded, "");

    EXPECT_FALSE(LoadFileBytes(folder.WidePathOf("missing.txt"), &loaded));
    EXPECT_FALSE(LoadFileBytes(folder.WidePath(), &loaded));
}

TEST(SaveFileBytes, WritesTheBytesOrSaysWhyItCouldNot) {
    TempFolder folder;
    folder.Put("old.txt", "a longer old content");
    EXPECT_EQ(SaveFileBytes(folder.WidePathOf("old.txt"), "new\0x"s), SaveResult::kSaved);
    EXPECT_EQ(folder.Read("old.txt"), "new\0x"s);

    EXPECT_EQ(SaveFileBytes(folder.WidePathOf("no/such/folder.txt"), "x"),
              SaveResult::kCannotCreate);
    EXPECT_EQ(SaveFileBytes(folder.WidePath(), "x"), SaveResult::kCannotCreate);

    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(SaveFileBytes(L"/dev/full", "x"), SaveResult::kWriteFailed);
    }
}
