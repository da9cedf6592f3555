// Packing wide texts into bytes.
#include "engine/compact_text.h"

#include <cstring>

namespace {

constexpr char kOneBytePerCharacter = 'b';
constexpr char kWholeCharacters = 'w';

bool FitsOneByteEach(std::wstring_view text) {
    for (const wchar_t c : text) {
        if (c < 0 || c > 0xFF) return false;
    }
    return true;
}

}  // namespace

std::string PackWideText(std::wstring_view text) {
    std::string packed;
    if (FitsOneByteEach(text)) {
        packed.reserve(1 + text.size());
        packed += kOneBytePerCharacter;
        for (const wchar_t c : text) packed += static_cast<char>(c);
        return packed;
    }
    packed.resize(1 + text.size() * sizeof(wchar_t));
    packed[0] = kWholeCharacters;
    std::memcpy(packed.data() + 1, text.data(), text.size() * sizeof(wchar_t));
    return packed;
}

std::wstring UnpackWideText(std::string_view packed) {
    if (packed.empty()) return {};
    const char tag = packed[0];
    packed.remove_prefix(1);
    std::wstring text;
    if (tag == kOneBytePerCharacter) {
        text.reserve(packed.size());
        for (const char c : packed) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
        return text;
    }
    text.resize(packed.size() / sizeof(wchar_t));
    std::memcpy(text.data(), packed.data(), text.size() * sizeof(wchar_t));
    return text;
}
