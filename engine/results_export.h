// The results table as CSV: UTF-8, RFC 4180 (fields quoted only where they
// hold a comma, a quote, CR or LF; quotes doubled; CR LF after every record),
// the header "Link,State,Location (file:line)". skarnel-cli --save and the
// window's "Save results..." write it. Plain functions, any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/main_window_record.h"

inline constexpr std::string_view kResultsCsvHeader = "Link,State,Location (file:line)";

// One field, encoded as UTF-8 and quoted when RFC 4180 needs it.
[[nodiscard]] std::string CsvField(std::wstring_view text);

// One record of the given fields, with its CR LF.
[[nodiscard]] std::string CsvRecord(std::initializer_list<std::wstring_view> fields);

// The header and one record per row (Link, State, Location), in row order.
[[nodiscard]] std::string ResultsAsCsv(const std::vector<ResultRow>& rows);

// Writes ResultsAsCsv(rows) to path, replacing the file. False when the file
// cannot be created or written completely.
[[nodiscard]] bool SaveResultsAsCsv(const std::wstring& path, const std::vector<ResultRow>& rows);
