// Narrowing the results table to the rows of one icon, and the number of
// rows per icon. The window shows and saves what a filter lets through; a
// front end without a window may print the same. Plain functions, any thread.
#pragma once

#include <string>
#include <vector>

#include "engine/main_window_record.h"

// Which rows are shown: every row, or those of one icon.
enum class ResultFilter { kAll, kErrors, kSkipped, kOk };

inline constexpr ResultFilter kResultFilters[] = {ResultFilter::kAll, ResultFilter::kErrors,
                                                  ResultFilter::kSkipped, ResultFilter::kOk};

[[nodiscard]] bool PassesFilter(ResultIcon icon, ResultFilter filter);

// The rows the filter lets through, in their order.
[[nodiscard]] std::vector<ResultRow> RowsPassingFilter(const std::vector<ResultRow>& rows,
                                                       ResultFilter filter);

// "All", "Errors", "Skipped" or "OK".
[[nodiscard]] std::wstring ResultFilterName(ResultFilter filter);

// Rows per icon, kept up to date one row at a time.
struct IconCounts {
    unsigned ok = 0;
    unsigned errors = 0;
    unsigned skipped = 0;

    void Add(ResultIcon icon);
    bool operator==(const IconCounts&) const = default;
};

// "OK 120 · Errors 3 · Skipped 7".
[[nodiscard]] std::wstring IconCountsText(const IconCounts& counts);
