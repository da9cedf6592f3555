// The hashed text sets a scan looks its links up in: through every growth of
// the table, each text added is found and no other is.
#include "engine/indexed_text_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Texts that differ in their last byte, in their length, only past the
// first eight bytes, and in wide characters beyond one byte.
std::wstring NthText(int n) {
    std::wstring text = L"/site/folder/" + std::to_wstring(n % 97) + L"/page";
    text.append(static_cast<std::size_t>(n % 13), L'x');
    if (n % 3 == 0) text += L"\u00e9\u4e2d";
    return text + std::to_wstring(n);
}

}  // namespace

TEST(IndexedTextList, FindsEveryTextAddedAndNoOtherThroughEveryGrowth) {
    IndexedTextList<wchar_t> list;
    EXPECT_FALSE(list.Contains(L""));
    constexpr int kCount = 20000;
    for (int n = 0; n < kCount; ++n) {
        ASSERT_TRUE(list.Add(NthText(n))) << n;
        // After every growth step, what came before is still there.
        if ((n & (n + 1)) == 0) {
            for (int before = 0; before <= n; ++before) ASSERT_TRUE(list.Contains(NthText(before)));
        }
    }
    EXPECT_EQ(list.Size(), static_cast<std::size_t>(kCount));
    for (int n = 0; n < kCount; ++n) {
        EXPECT_FALSE(list.Add(NthText(n)));
        EXPECT_FALSE(list.Contains(NthText(n + kCount)));
        EXPECT_FALSE(list.Contains(NthText(n).substr(1)));
    }
    EXPECT_FALSE(list.Contains(L""));
    EXPECT_TRUE(list.Add(L""));
    EXPECT_TRUE(list.Contains(L""));
    list.Clear();
    EXPECT_FALSE(list.Contains(NthText(0)));
    EXPECT_TRUE(list.Add(NthText(0)));
}
