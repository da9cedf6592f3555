// Adding result rows and ordering them. The rows themselves live in the
// window's table (MainWindowRecord); these functions decide each row's icon,
// count errors and keep the rules the Qt table and the headless table share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/main_window_record.h"

// A row text longer than this is cut.
inline constexpr std::size_t kMaxRowTextLength = 19999;

// A web row (byte texts); any scan or worker thread. Success is a state whose
// leading number is 200 or a redirect (301, 302, 303, 307, 308), or one the
// scan's accepted statuses name; anything else counts as an error.
void AddWebResult(std::string_view link, std::string_view state, std::string_view location);
// The same, for a web link found in a local page: its location keeps every
// character of the page's path.
void AddWebResult(std::string_view link, std::string_view state, std::wstring_view location);
// A web row whose icon is decided already (a followed redirect's final
// outcome, a link left unchecked).
void AddWebResult(std::string_view link, std::string_view state, std::wstring_view location,
                  ResultIcon icon);

// A local row (wide texts); scan thread only. Also records link in the
// reported-links list.
void AddLocalResult(const std::wstring& link, const std::wstring& state,
                    const std::wstring& location);
void AddLocalResult(const std::wstring& link, const std::wstring& state,
                    const std::wstring& location, ResultIcon icon);

// The leading decimal number of text as the C runtime's atoi reads it: white
// space skipped, an optional sign, the digits that follow; none gives 0.
// Numbers beyond the int range are clamped to it.
[[nodiscard]] int LeadingDecimal(std::string_view text);

// HTTP/1.1's redirects: 301, 302, 303, 307 and 308. They are what a scan
// follows, and they count as fine however the accepted statuses read.
[[nodiscard]] bool IsRedirectStatus(int status);

// The icon of a web row's state, and of a local row's state.
[[nodiscard]] ResultIcon WebStateIcon(std::string_view state);
[[nodiscard]] ResultIcon LocalStateIcon(std::wstring_view state);

// The text of column 0 (Link), 1 (State) or 2 (Location) of a row.
[[nodiscard]] const std::wstring& ColumnText(const ResultRow& row, int column);

// Code-unit order, case-sensitive: "B" < "a", "10" < "9".
[[nodiscard]] bool ComesBeforeByCodeUnits(std::wstring_view a, std::wstring_view b);

// Sorts rows ascending by one column in code-unit order; equal texts keep
// their order.
void SortRowsByColumn(std::vector<ResultRow>& rows, int column);
