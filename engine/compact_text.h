// Wide texts held in as few bytes as their characters need, for what a scan
// keeps of every row: one byte per character when each is below 256 (as
// every text a scan makes from page bytes is), else the wide characters
// whole. Packing keeps every character, so unpacking gives the text back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A tag byte that says which form follows, then the characters.
[[nodiscard]] std::string PackWideText(std::wstring_view text);
// The same, appended to packed.
void AppendPackedWideText(std::string& packed, std::wstring_view text);
[[nodiscard]] std::wstring UnpackWideText(std::string_view packed);

// True when packed is the packed form of text.
[[nodiscard]] bool PackedTextEquals(std::string_view packed, std::wstring_view text);
