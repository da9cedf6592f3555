// Anchor sets and fragments.
#include "engine/page_anchors.h"

#include "engine/ascii_case.h"
#include "engine/link_value.h"

AnchorSet::AnchorSet(const std::vector<std::string_view>& written) {
    m_names.reserve(written.size());
    for (const std::string_view name : written) m_names.insert(CleanLinkValue(name));
}

bool AnchorSet::Names(std::string_view fragment) const {
    if (fragment.empty() || EqualsIgnoringCase(fragment, "top")) return true;
    if (m_names.contains(std::string(fragment))) return true;
    return m_names.contains(PercentDecoded(fragment));
}

std::optional<std::string_view> FragmentOf(std::string_view value) {
    const std::size_t hash = value.find('#');
    if (hash == std::string_view::npos) return std::nullopt;
    return value.substr(hash + 1);
}
