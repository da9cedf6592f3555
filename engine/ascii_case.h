// Comparisons that ignore the case of ASCII letters only, as HTTP header
// names and URL schemes are compared; other bytes must match exactly.
#pragma once

#include <string_view>

[[nodiscard]] constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] constexpr bool StartsWithIgnoringCase(std::string_view text,
                                                    std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
    }
    return true;
}

[[nodiscard]] constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithIgnoringCase(a, b);
}

[[nodiscard]] constexpr bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
        if (StartsWithIgnoringCase(text.substr(i), part)) return true;
    }
    return false;
}
