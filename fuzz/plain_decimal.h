// A plain reading of a decimal number the way C's atoi reads one (white
// space, a sign, digits up to the first other character, 0 without digits),
// held at the ends of int's range: the reference for every place that reads
// a line number.
#pragma once

#include <algorithm>
#include <climits>
#include <string_view>

[[nodiscard]] inline int PlainDecimal(std::wstring_view text) {
    std::size_t i = text.find_first_not_of(L" \t\n\v\f\r");
    if (i == std::wstring_view::npos) return 0;
    const bool negative = text[i] == L'-';
    if (text[i] == L'-' || text[i] == L'+') ++i;
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i] - L'0'), 1LL + INT_MAX);
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}
