// Result filters and the rows per icon.
#include "engine/result_filter.h"

bool PassesFilter(ResultIcon icon, ResultFilter filter) {
    switch (filter) {
        case ResultFilter::kAll:
            return true;
        case ResultFilter::kErrors:
            return icon == ResultIcon::kError;
        case ResultFilter::kSkipped:
            return icon == ResultIcon::kSkipped;
        case ResultFilter::kOk:
            return icon == ResultIcon::kOk;
    }
    return true;
}

std::vector<ResultRow> RowsPassingFilter(const std::vector<ResultRow>& rows, ResultFilter filter) {
    if (filter == ResultFilter::kAll) return rows;
    std::vector<ResultRow> passing;
    for (const ResultRow& row : rows) {
        if (PassesFilter(row.icon, filter)) passing.push_back(row);
    }
    return passing;
}

std::wstring ResultFilterName(ResultFilter filter) {
    switch (filter) {
        case ResultFilter::kAll:
            return L"All";
        case ResultFilter::kErrors:
            return L"Errors";
        case ResultFilter::kSkipped:
            return L"Skipped";
        case ResultFilter::kOk:
            return L"OK";
    }
    return L"All";
}

void IconCounts::Add(ResultIcon icon) {
    switch (icon) {
        case ResultIcon::kOk:
            ++ok;
            break;
        case ResultIcon::kError:
            ++errors;
            break;
        case ResultIcon::kSkipped:
            ++skipped;
            break;
    }
}

std::wstring IconCountsText(const IconCounts& counts) {
    return L"OK " + std::to_wstring(counts.ok) + L" \u00B7 Errors " +
           std::to_wstring(counts.errors) + L" \u00B7 Skipped " + std::to_wstring(counts.skipped);
}
