// Result filters: which rows each lets through, in what order, and the
// rows-per-icon text.
#include "engine/result_filter.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultFilter, EachFilterKeepsItsIconsRowsInOrderAndTheCountsReadOkErrorsSkipped) {
    const std::vector<ResultRow> rows{
        {L"a", L"OK", L"i:1", ResultIcon::kOk},
        {L"b", L"Empty file", L"i:2", ResultIcon::kError},
        {L"c", L"Absolute URL - skipped", L"i:3", ResultIcon::kSkipped},
        {L"d", L"Can't open file", L"i:4", ResultIcon::kError},
        {L"e", L"OK", L"i:5", ResultIcon::kOk}};
    EXPECT_EQ(RowsPassingFilter(rows, ResultFilter::kAll), rows);
    EXPECT_EQ(RowsPassingFilter(rows, ResultFilter::kErrors),
              (std::vector<ResultRow>{rows[1], rows[3]}));
    EXPECT_EQ(RowsPassingFilter(rows, ResultFilter::kSkipped), (std::vector<ResultRow>{rows[2]}));
    EXPECT_EQ(RowsPassingFilter(rows, ResultFilter::kOk),
              (std::vector<ResultRow>{rows[0], rows[4]}));

    IconCounts counts;
    for (const ResultRow& row : rows) counts.Add(row.icon);
    EXPECT_EQ(IconCountsText(counts), L"OK 2 \u00B7 Errors 2 \u00B7 Skipped 1");
}

}  // namespace
