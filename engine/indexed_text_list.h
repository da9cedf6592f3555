// A list of texts in insertion order with a hash index beside it, so that the
// exact-match look-up costs the same for the hundredth entry as for the
// hundred-thousandth. Not synchronised: the owner guards it.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_set>

template <typename Char>
class IndexedTextList {
public:
    using Text = std::basic_string<Char>;
    using TextView = std::basic_string_view<Char>;

    // True when an entry equals text exactly, code unit for code unit.
    [[nodiscard]] bool Contains(TextView text) const { return m_index.contains(text); }

    // Appends text unless an equal entry is there; returns whether it was new.
    // Keeping one copy of each text changes no answer of Contains.
    bool Add(TextView text) {
        if (Contains(text)) return false;
        // A deque never moves its elements on append, so the views in the
        // index stay valid.
        m_index.insert(TextView(m_entries.emplace_back(text)));
        return true;
    }

    void Clear() {
        m_index.clear();
        m_entries.clear();
    }

    [[nodiscard]] std::size_t Size() const { return m_entries.size(); }
    [[nodiscard]] const Text& operator[](std::size_t i) const { return m_entries[i]; }

private:
    std::deque<Text> m_entries;
    std::unordered_set<TextView> m_index;
};
