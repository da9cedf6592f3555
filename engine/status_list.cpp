// Reading lists of HTTP status codes such as "200-299,403" and asking them
// whether they hold a status.
#include "engine/status_list.h"

namespace {

constexpr int kLowestStatus = 100;
constexpr int kHighestStatus = 999;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view TrimBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A status code of ASCII digits only, within 100 to 999. The value stops
// growing past the highest code, so a long run of digits cannot overflow.
std::optional<int> ParseStatus(std::wstring_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return std::nullopt;
    int value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        if (value <= kHighestStatus) value = value * 10 + static_cast<int>(c - L'0');
    }
    if (value < kLowestStatus || value > kHighestStatus) return std::nullopt;
    return value;
}

// "403" or "200-299", blanks allowed around the codes.
std::optional<StatusRange> ParseItem(std::wstring_view item) {
    const std::size_t dash = item.find(L'-');
    const auto low = ParseStatus(item.substr(0, dash));
    if (!low) return std::nullopt;
    if (dash == std::wstring_view::npos) return StatusRange{*low, *low};
    const auto high = ParseStatus(item.substr(dash + 1));
    if (!high || *low > *high) return std::nullopt;
    return StatusRange{*low, *high};
}

}  // namespace

std::optional<std::vector<StatusRange>> ParseStatusList(std::wstring_view text) {
    std::vector<StatusRange> list;
    // A field cleared down to a blank or two is as empty as one never filled.
    if (TrimBlanks(text).empty()) return list;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(L',', start);
        const auto range = ParseItem(text.substr(start, comma - start));
        if (!range) return std::nullopt;
        list.push_back(*range);
        if (comma == std::wstring_view::npos) return list;
        start = comma + 1;
    }
}

bool StatusListHolds(const std::vector<StatusRange>& list, int status) {
    for (const StatusRange& range : list) {
        if (status >= range.low && status <= range.high) return true;
    }
    return false;
}
