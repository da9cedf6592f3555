// The text skarnel-cli writes to standard output, per format: a header, one
// record per results-table row, and the totals. Texts are the rows' wide
// texts encoded as UTF-8. Plain functions, any thread.
#pragma once

#include <string>
#include <string_view>

#include "cli/command_line.h"
#include "engine/main_window_record.h"

// The counts of the totals line.
struct ScanTotals {
    unsigned rows = 0;
    unsigned errors = 0;
};

// "ok", "error" or "skipped".
[[nodiscard]] std::string_view IconName(ResultIcon icon);

// A text for a tab-separated line: backslash, tab, CR and LF as \\ \t \r \n.
[[nodiscard]] std::string TsvText(std::wstring_view text);

// A JSON string literal, quotes included.
[[nodiscard]] std::string JsonString(std::wstring_view text);

// What comes before the first row (the CSV header), or nothing.
[[nodiscard]] std::string FormatHeader(OutputFormat format);

// One row, its line end included.
[[nodiscard]] std::string FormatRow(OutputFormat format, const ResultRow& row);
// The same, appended to out.
void AppendRowText(OutputFormat format, const ResultRow& row, std::string& out);

// What comes after the last row: the totals line, or nothing (CSV).
[[nodiscard]] std::string FormatTotals(OutputFormat format, const ScanTotals& totals);
