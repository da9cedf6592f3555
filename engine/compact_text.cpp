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

// FNV-1a over the bytes given one at a time.
class ByteHash {
public:
    void Add(unsigned char byte) { m_value = (m_value ^ byte) * 0x100000001b3ULL; }
    [[nodiscard]] std::size_t Value() const { return static_cast<std::size_t>(m_value); }

private:
    unsigned long long m_value = 0xcbf29ce484222325ULL;
};

}  // namespace

std::size_t PackedTextHash(std::string_view bytes) {
    ByteHash hash;
    for (const char c : bytes) hash.Add(static_cast<unsigned char>(c));
    return hash.Value();
}

std::size_t PackedTextHash(std::wstring_view text) {
    ByteHash hash;
    if (FitsOneByteEach(text)) {
        hash.Add(kOneBytePerCharacter);
        for (const wchar_t c : text) hash.Add(static_cast<unsigned char>(c));
        return hash.Value();
    }
    hash.Add(kWholeCharacters);
    for (const wchar_t c : text) {
        unsigned char bytes[sizeof(wchar_t)];
        std::memcpy(bytes, &c, sizeof c);
        for (const unsigned char byte : bytes) hash.Add(byte);
    }
    return hash.Value();
}

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
    if (FitsOneByteEach(text)) {
        packed.resize(1 + text.size());
        packed[0] = kOneBytePerCharacter;
        for (std::size_t i = 0; i < text.size(); ++i) packed[i + 1] = static_cast<char>(text[i]);
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
