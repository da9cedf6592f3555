// The value of one hexadecimal digit, for chunk sizes and percent escapes.
#pragma once

// 0 to 15 for "0" to "9", "a" to "f" and "A" to "F"; -1 for anything else.
[[nodiscard]] constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
