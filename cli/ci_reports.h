// The reports CI systems read, made from the results rows: JUnit XML (a
// testsuite per linking page), GitHub Actions workflow commands, a Markdown
// job summary and a SARIF 2.1.0 log. Where a tool looks a page up as a file
// (JUnit's file attribute, the workflow command's file, SARIF's artifact),
// a local page is named relative to the current folder; elsewhere it is
// named as the rows name it. Plain functions, any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/row_format.h"
#include "engine/main_window_record.h"

// A row's location taken apart: the page that holds the link, and the
// link's line when the location names one.
struct PageLocation {
    std::wstring page;
    std::optional<unsigned> line;

    bool operator==(const PageLocation&) const = default;
};

// Splits "page:line" at its last colon when only decimal digits follow it;
// any other location (a start page, a redirect's address, a page whose name
// holds a colon) is the page alone. A web address's port is never a line.
[[nodiscard]] PageLocation SplitLocation(std::wstring_view location);

// A page as a tool that opens files names it: a web address as it is; a
// local path without dot segments, and relative to folder when the path is
// absolute and folder is given (climbing out with ".." where it must).
[[nodiscard]] std::wstring ReportPagePath(std::wstring_view page, std::wstring_view folder);

// The ::error workflow command of an error row, its line end included;
// nothing for any other row.
[[nodiscard]] std::string WorkflowErrorCommand(const ResultRow& row,
                                               std::wstring_view currentFolder);

// The whole JUnit XML document: <testsuites> with the totals, a <testsuite>
// per linking page in the order the pages first appear, a <testcase> per
// row in row order.
[[nodiscard]] std::string JunitReport(const std::vector<ResultRow>& rows,
                                      std::wstring_view currentFolder);

// The job summary: a table of the error rows (or "No broken links"), then
// the totals line.
[[nodiscard]] std::string MarkdownSummary(const std::vector<ResultRow>& rows,
                                          const ScanTotals& totals);

// The SARIF log: one run of Skarnel with one rule and a result per error row.
[[nodiscard]] std::string SarifLog(const std::vector<ResultRow>& rows,
                                   std::wstring_view currentFolder);
