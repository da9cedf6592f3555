// Row icons, error counting and the column order of the results table.
#include "engine/results_table.h"

#include <algorithm>
#include <climits>

#include "engine/scan_state.h"
#include "engine/web_check_rules.h"
#include "platform/text_codec.h"

namespace {

std::wstring CutRowText(std::wstring text) {
    if (text.size() > kMaxRowTextLength) text.resize(kMaxRowTextLength);
    return text;
}

void AppendRow(std::wstring link, std::wstring state, std::wstring location, ResultIcon icon) {
    mainWindow->AppendRow(ResultRow{CutRowText(std::move(link)), CutRowText(std::move(state)),
                                    CutRowText(std::move(location)), icon});
}

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

int LeadingDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    value = negative ? -value : value;
    return static_cast<int>(
        std::clamp(value, static_cast<long long>(INT_MIN), static_cast<long long>(INT_MAX)));
}

bool IsRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

ResultIcon WebStateIcon(std::string_view state) {
    // A page that is there, or any of HTTP/1.1's redirects to one: 303 and
    // 307 answer forms and temporary moves, 308 is today's permanent move
    // (http to https, a missing trailing slash).
    const int status = LeadingDecimal(state);
    return status == 200 || IsRedirectStatus(status) ? ResultIcon::kOk : ResultIcon::kError;
}

ResultIcon LocalStateIcon(std::wstring_view state) {
    if (state.find(L"skipped") != std::wstring_view::npos) return ResultIcon::kSkipped;
    if (state.find(L"OK") != std::wstring_view::npos) return ResultIcon::kOk;
    return ResultIcon::kError;
}

void AddWebResult(std::string_view link, std::string_view state, std::string_view location) {
    AddWebResult(link, state, std::wstring_view(Widen(location)));
}

void AddWebResult(std::string_view link, std::string_view state, std::wstring_view location) {
    AddWebResult(link, state, location, WebStateIconUnder(TheWebCheckRules(), state));
}

void AddWebResult(std::string_view link, std::string_view state, std::wstring_view location,
                  ResultIcon icon) {
    ScanState& scan = TheScanState();
    // The row lock keeps one row's columns and its error count together while
    // up to ten workers add rows.
    SemaphoreHold hold(scan.rowLock);
    if (icon == ResultIcon::kError) ++scan.errorCount;
    AppendRow(Widen(link), Widen(state), std::wstring(location), icon);
}

void AddLocalResult(const std::wstring& link, const std::wstring& state,
                    const std::wstring& location) {
    AddLocalResult(link, state, location, LocalStateIcon(state));
}

void AddLocalResult(const std::wstring& link, const std::wstring& state,
                    const std::wstring& location, ResultIcon icon) {
    ScanState& scan = TheScanState();
    scan.reportedLinks.Add(link);
    if (icon == ResultIcon::kError) ++scan.errorCount;
    AppendRow(link, state, location, icon);
}

const std::wstring& ColumnText(const ResultRow& row, int column) {
    switch (column) {
        case 0:
            return row.link;
        case 1:
            return row.state;
        default:
            return row.location;
    }
}

bool ComesBeforeByCodeUnits(std::wstring_view a, std::wstring_view b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](wchar_t x, wchar_t y) { return static_cast<unsigned>(x) < static_cast<unsigned>(y); });
}

void SortRowsByColumn(std::vector<ResultRow>& rows, int column) {
    std::stable_sort(rows.begin(), rows.end(), [column](const ResultRow& a, const ResultRow& b) {
        return ComesBeforeByCodeUnits(ColumnText(a, column), ColumnText(b, column));
    });
}
