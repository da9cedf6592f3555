// Byte/wide conversions: same-code mapping, and UTF-8 that never loses a byte.
#include "platform/text_codec.h"

#include <gtest/gtest.h>

TEST(TextCodec, WidenAndNarrowKeepEveryByteCode) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::wstring wide = Widen(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(wide[0xE9], L'\u00E9');
    EXPECT_EQ(wide[0xFF], L'\u00FF');
    EXPECT_EQ(Narrow(wide), all);
}

TEST(TextCodec, CharactersAboveByteRangeNarrowToQuestionMark) {
    EXPECT_EQ(Narrow(L"a\u20ACb\U0001F600"), "a?b?");
}

TEST(TextCodec, DefaultConversionCutsAtTheLimit) {
    EXPECT_EQ(DefaultWideToBytes(L"http://\u0416x", 9), "http://?x");
    EXPECT_EQ(DefaultWideToBytes(std::wstring(10005, L'a'), 9999), std::string(9999, 'a'));
}

TEST(TextCodec, Utf8RoundTripsUnicodeText) {
    const std::wstring text = L"caf\u00E9 \u20AC \U0001F600";
    EXPECT_EQ(ToUtf8(text), "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
}

TEST(TextCodec, InvalidUtf8BytesBecomeSameCodeCharacters) {
    // A lone continuation byte, a truncated sequence and an overlong form.
    EXPECT_EQ(FromUtf8("a\x80"
                       "b\xC3"),
              L"a\u0080b\u00C3");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), L"\u00C0\u00AF");
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), L"\u00ED\u00A0\u0080");  // a surrogate
}
