// Packing wide texts into bytes.
#include "engine/compact_text.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char kOneBytePerCharacter = 'b';
constexpr char kWholeCharacters = 'w';

bool FitsOneByte(wchar_t c) { return c >= 0 && c <= 0xFF; }

bool FitsOneByteEach(std::wstring_view text) {
    for (const wchar_t c : text) {
        if (!FitsOneByte(c)) return false;
    }
    return true;
}

}  // namespace

bool PackedTextEquals(std::string_view packed, std::wstring_view text) {
    if (packed.empty()) return false;
    const char tag = packed[0];
    packed.remove_prefix(1);
    if (tag == kWholeCharacters) {
        return packed.size() == text.size() * sizeof(wchar_t) &&
               std::memcmp(packed.data(), text.data(), packed.size()) == 0 &&
               !FitsOneByteEach(text);
    }
    if (packed.size() != text.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != static_cast<wchar_t>(static_cast<unsigned char>(packed[i]))) return false;
    }
    return true;
}

std::string PackWideText(std::wstring_view text) {
    std::string packed;
    AppendPackedWideText(packed, text);
    return packed;
}

void AppendPackedWideText(std::string& packed, std::wstring_view text) {
    const std::size_t start = packed.size();
    if (FitsOneByteEach(text)) {
        packed.resize(start + 1 + text.size());
        packed[start] = kOneBytePerCharacter;
        for (std::size_t i = 0; i < text.size(); ++i)
            packed[start + 1 + i] = static_cast<char>(text[i]);
        return;
    }
    packed.resize(start + 1 + text.size() * sizeof(wchar_t));
    packed[start] = kWholeCharacters;
    std::memcpy(packed.data() + start + 1, text.data(), text.size() * sizeof(wchar_t));
}

std::wstring UnpackWideText(std::string_view packed) {
    if (packed.empty()) return {};
    const char tag = packed[0];
    packed.remove_prefix(1);
    std::wstring text;
    if (tag == kOneBytePerCharacter) {
        text.resize(packed.size());
        for (std::size_t i = 0; i < packed.size(); ++i) {
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(packed[i]));
        }
        return text;
    }
    text.resize(packed.size() / sizeof(wchar_t));
    std::memcpy(text.data(), packed.data(), text.size() * sizeof(wchar_t));
    return text;
}
