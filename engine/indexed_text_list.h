// A set of texts with a hash index, so that the exact-match look-up costs the
// same for the hundredth entry as for the hundred-thousandth. Wide texts are
// kept packed (engine/compact_text.h), at one byte per character where they
// can be, and looked up without packing. Not synchronised: the owner guards it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

#include "engine/compact_text.h"

template <typename Char>
class IndexedTextList {
public:
    using TextView = std::basic_string_view<Char>;

    // True when an entry equals text exactly, code unit for code unit.
    [[nodiscard]] bool Contains(TextView text) const { return m_index.contains(text); }

    // Adds text unless an equal entry is there; returns whether it was new.
    bool Add(TextView text) {
        if (Contains(text)) return false;
        if constexpr (sizeof(Char) == 1) {
            m_index.emplace(text);
        } else {
            m_index.insert(PackWideText(text));
        }
        return true;
    }

    void Clear() { m_index.clear(); }

    [[nodiscard]] std::size_t Size() const { return m_index.size(); }

private:
    // Entries are stored as bytes and looked up by the text itself: a wide
    // text hashes and compares as its packed form would.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view entry) const {
            if constexpr (sizeof(Char) == 1) {
                return std::hash<std::string_view>{}(entry);
            } else {
                return PackedTextHash(entry);
            }
        }
        std::size_t operator()(std::wstring_view text) const { return PackedTextHash(text); }
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const { return a == b; }
        bool operator()(std::string_view entry, std::wstring_view text) const {
            return PackedTextEquals(entry, text);
        }
        bool operator()(std::wstring_view text, std::string_view entry) const {
            return PackedTextEquals(entry, text);
        }
    };

    std::unordered_set<std::string, Hash, Equal> m_index;
};
