// What a link's fragment may name on a page: its elements' ids and its
// <a name>s, read in the same pass that finds its links. Pure; a set is
// never changed once made, so any thread may ask it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

inline constexpr wchar_t kAnchorNotFoundState[] = L"Anchor not found";

class AnchorSet {
public:
    // The names as a page writes them; character references are decoded.
    explicit AnchorSet(const std::vector<std::string_view>& written);

    // Whether the fragment (without its "#") names an anchor here, as
    // written or percent-decoded. "" and "top" always do: a browser then
    // goes to the page's top.
    [[nodiscard]] bool Names(std::string_view fragment) const;

private:
    std::unordered_set<std::string> m_names;
};

// The fragment of a link value as a browser reads it (the text after its
// first "#"), or nothing when it has none.
[[nodiscard]] std::optional<std::string_view> FragmentOf(std::string_view value);
