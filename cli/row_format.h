// The text skarnel-cli writes to standard output, per format: a header, one
// record per results-table row, and the totals; or, for the reports that
// group or count the rows first, the whole report after the last row. Texts
// are the rows' wide texts encoded as UTF-8. Plain functions, any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// One row, its line end included; nothing for a row the format leaves out
// (junit, markdown and sarif leave out every row: they are written at the end).
// currentFolder is what the github format names local pages relative to
// (empty: as the row names them).
[[nodiscard]] std::string FormatRow(OutputFormat format, const ResultRow& row,
                                    std::wstring_view currentFolder = {});
// The same, appended to out.
void AppendRowText(OutputFormat format, const ResultRow& row, std::string& out,
                   std::wstring_view currentFolder = {});

// What comes after the last row of a format written row by row: the totals
// line, or nothing (CSV).
[[nodiscard]] std::string FormatTotals(OutputFormat format, const ScanTotals& totals);

// Whether the end of format reports the rows themselves, not only their
// counts: a window need not hand its rows over for the others.
[[nodiscard]] bool EndListsRows(OutputFormat format);

// What comes after the last row in any format: the totals, or the whole
// report of rows (all the rows written, whose counts totals holds).
[[nodiscard]] std::string FormatEnd(OutputFormat format, const std::vector<ResultRow>& rows,
                                    const ScanTotals& totals, std::wstring_view currentFolder);
