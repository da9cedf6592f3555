// Lists of HTTP status codes that count as fine, written "200-299,403":
// codes and ranges separated by commas, blanks allowed around each item.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

struct StatusRange {
    int low = 0;
    int high = 0;
};

// The ranges a list names; nothing when it is malformed: an empty item, a
// code outside 100 to 999, a range whose low end is above its high end, or
// anything but digits, "-", "," and blanks. An empty (or all-blank) text is
// an empty list.
[[nodiscard]] std::optional<std::vector<StatusRange>> ParseStatusList(std::wstring_view text);

[[nodiscard]] bool StatusListHolds(const std::vector<StatusRange>& list, int status);
