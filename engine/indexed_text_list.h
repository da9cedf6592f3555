// A set of texts with a hash index, so that the exact-match look-up costs the
// same for the hundredth entry as for the hundred-thousandth. Wide texts are
// kept packed (engine/compact_text.h), at one byte per character where they
// can be. Not synchronised: the owner guards it.
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
    [[nodiscard]] bool Contains(TextView text) const { return m_index.contains(KeyOf(text)); }

    // Adds text unless an equal entry is there; returns whether it was new.
    bool Add(TextView text) { return m_index.insert(std::string(KeyOf(text))).second; }

    void Clear() { m_index.clear(); }

    [[nodiscard]] std::size_t Size() const { return m_index.size(); }

private:
    // Byte texts are their own key; wide texts are packed, which keeps them
    // apart exactly as their characters do.
    static auto KeyOf(TextView text) {
        if constexpr (sizeof(Char) == 1) {
            return std::string_view(text);
        } else {
            return PackWideText(text);
        }
    }

    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const {
            return std::hash<std::string_view>{}(key);
        }
    };

    std::unordered_set<std::string, Hash, std::equal_to<>> m_index;
};
