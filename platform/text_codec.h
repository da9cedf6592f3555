// Conversions between byte strings and wide strings. The program's byte texts
// (pages, web addresses, HTTP) carry no character set: a byte becomes the wide
// character of the same code and back. UTF-8 is used only at the edges where
// the system speaks it (file names, terminals).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Each byte becomes the wide character of the same code (0 to 255).
[[nodiscard]] std::wstring Widen(std::string_view bytes);

// Each character becomes the byte of the same code; a character above 255,
// which no byte can hold, becomes "?".
[[nodiscard]] std::string Narrow(std::wstring_view text);

// The runtime's default wide-to-byte conversion: Narrow, cut to maxBytes.
[[nodiscard]] std::string DefaultWideToBytes(std::wstring_view text, std::size_t maxBytes);

// UTF-8 encoding of a wide text. Characters that are not Unicode scalar values
// (surrogates, above U+10FFFF) become U+FFFD.
[[nodiscard]] std::string ToUtf8(std::wstring_view text);

// UTF-8 decoding. A byte that does not start a valid sequence becomes the wide
// character of the same code, so no byte is ever lost.
[[nodiscard]] std::wstring FromUtf8(std::string_view bytes);

// Appends the UTF-8 encoding of a Unicode scalar value to out.
void AppendUtf8(std::string& out, char32_t c);

// Length of the valid UTF-8 sequence at the start of bytes (not empty), 0 if
// there is none (overlong forms, surrogates and values above U+10FFFF are not
// valid); the decoded code point goes to *decoded.
[[nodiscard]] std::size_t DecodeUtf8Sequence(std::string_view bytes, char32_t* decoded);
