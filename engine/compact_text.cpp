// Packing wide texts into bytes.
#include "engine/compact_text.h"

#include <cstdint>
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

// A hash of bytes given one at a time: each eight are gathered into a word
// and mixed in with one multiplication, so a path costs a few of them.
class ByteHash {
public:
    void Add(unsigned char byte) {
        m_word |= static_cast<std::uint64_t>(byte) << (8 * m_filled);
        if (++m_filled == 8) MixWord();
        ++m_length;
    }
    // The same as adding each byte, eight at a time where the gathered
    // word is empty.
    void AddBytes(std::string_view bytes) {
        std::size_t i = 0;
        for (; i < bytes.size() && m_filled != 0; ++i) Add(static_cast<unsigned char>(bytes[i]));
        for (; i + 8 <= bytes.size(); i += 8) {
            std::uint64_t word = 0;
            for (std::size_t k = 0; k < 8; ++k)
                word |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i + k]))
                        << (8 * k);
            m_word = word;
            MixWord();
            m_length += 8;
        }
        for (; i < bytes.size(); ++i) Add(static_cast<unsigned char>(bytes[i]));
    }
    // Each character of text, all below 256, as one byte.
    void AddNarrowed(std::wstring_view text) {
        std::size_t i = 0;
        for (; i < text.size() && m_filled != 0; ++i) Add(static_cast<unsigned char>(text[i]));
        for (; i + 8 <= text.size(); i += 8) {
            std::uint64_t word = 0;
            for (std::size_t k = 0; k < 8; ++k)
                word |= static_cast<std::uint64_t>(text[i + k]) << (8 * k);
            m_word = word;
            MixWord();
            m_length += 8;
        }
        for (; i < text.size(); ++i) Add(static_cast<unsigned char>(text[i]));
    }
    [[nodiscard]] std::size_t Value() {
        MixWord();
        m_state ^= m_length;
        m_state ^= m_state >> 33;
        m_state *= 0xff51afd7ed558ccdULL;
        m_state ^= m_state >> 33;
        return static_cast<std::size_t>(m_state);
    }

private:
    void MixWord() {
        m_state = (m_state ^ m_word) * 0x9e3779b97f4a7c15ULL;
        m_state ^= m_state >> 29;
        m_word = 0;
        m_filled = 0;
    }

    std::uint64_t m_state = 0x243f6a8885a308d3ULL;
    std::uint64_t m_word = 0;
    unsigned m_filled = 0;
    std::uint64_t m_length = 0;
};

}  // namespace

std::size_t PackedTextHash(std::string_view bytes) {
    ByteHash hash;
    hash.AddBytes(bytes);
    return hash.Value();
}

std::size_t PackedTextHash(std::wstring_view text) {
    ByteHash hash;
    if (FitsOneByteEach(text)) {
        hash.Add(kOneBytePerCharacter);
        hash.AddNarrowed(text);
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
