// A set of texts with a hash index, so that the exact-match look-up costs the
// same for the hundredth entry as for the hundred-thousandth. Entries are
// kept one after another in one buffer (wide texts packed, engine/
// compact_text.h, at one byte per character where they can be) and found
// through an open-addressed table of their hashes: a look-up is a hash and
// usually one comparison, with no allocation. Not synchronised: the owner
// guards it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/compact_text.h"

template <typename Char>
class IndexedTextList {
public:
    using TextView = std::basic_string_view<Char>;

    // True when an entry equals text exactly, code unit for code unit.
    [[nodiscard]] bool Contains(TextView text) const {
        return !m_slots.empty() && m_slots[Find(text, HashOf(text))].length != kEmpty;
    }

    // Adds text unless an equal entry is there; returns whether it was new.
    bool Add(TextView text) {
        if (2 * (m_size + 1) > m_slots.size()) Grow();
        const std::uint32_t hash = HashOf(text);
        Slot& slot = m_slots[Find(text, hash)];
        if (slot.length != kEmpty) return false;
        const std::size_t offset = m_entries.size();
        if constexpr (sizeof(Char) == 1) {
            m_entries.append(text);
        } else {
            AppendPackedWideText(m_entries, text);
        }
        slot = {hash, static_cast<std::uint32_t>(m_entries.size() - offset), offset};
        ++m_size;
        return true;
    }

    void Clear() {
        m_entries.clear();
        m_entries.shrink_to_fit();
        m_slots.clear();
        m_slots.shrink_to_fit();
        m_size = 0;
    }

    [[nodiscard]] std::size_t Size() const { return m_size; }

private:
    static constexpr std::uint32_t kEmpty = UINT32_MAX;

    // Sixteen bytes: a scan keeps many small sets, and four slots to a
    // cache line. Half the hash is kept; it places the slot and tells
    // most entries apart without comparing their texts.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t length = kEmpty;
        std::uint64_t offset = 0;
    };

    // The code units taken eight bytes at a time, each word mixed in with
    // one multiplication: a path costs a few of them.
    static std::uint32_t HashOf(TextView text) {
        constexpr std::size_t kUnitsPerWord = sizeof(std::uint64_t) / sizeof(Char);
        std::uint64_t state = 0x243f6a8885a308d3ULL ^ text.size();
        const auto mix = [&state](std::uint64_t word) {
            state = (state ^ word) * 0x9e3779b97f4a7c15ULL;
            state ^= state >> 29;
        };
        std::size_t i = 0;
        for (; i + kUnitsPerWord <= text.size(); i += kUnitsPerWord) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, sizeof word);
            mix(word);
        }
        std::uint64_t rest = 0;
        std::memcpy(&rest, text.data() + i, (text.size() - i) * sizeof(Char));
        mix(rest);
        state ^= state >> 33;
        state *= 0xff51afd7ed558ccdULL;
        return static_cast<std::uint32_t>(state ^ (state >> 33));
    }

    bool Matches(const Slot& slot, TextView text) const {
        const std::string_view entry = std::string_view(m_entries).substr(slot.offset, slot.length);
        if constexpr (sizeof(Char) == 1) {
            return entry == text;
        } else {
            return PackedTextEquals(entry, text);
        }
    }

    // The slot that holds text, or the empty one where it would go.
    std::size_t Find(TextView text, std::uint32_t hash) const {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.length == kEmpty || (slot.hash == hash && Matches(slot, text))) return i;
        }
    }

    // Doubles the table (at least 16 slots), keeping every entry.
    void Grow() {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(old.empty() ? 16 : old.size() * 2, Slot{});
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.length == kEmpty) continue;
            std::size_t i = slot.hash & mask;
            while (m_slots[i].length != kEmpty) i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    std::string m_entries;
    std::vector<Slot> m_slots;
    std::size_t m_size = 0;
};
