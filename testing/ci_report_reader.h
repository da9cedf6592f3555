// A skarnel-cli CI report read back by the tool its format is for, through
// testing/read_ci_report.py: Python's XML parser (junit), the Actions
// runner's unescaping (github), cmark-gfm (markdown), the SARIF 2.1.0 schema
// (sarif). Test threads only.
#pragma once

#include <string>
#include <vector>

#include "testing/temp_folder.h"

// What the tool sees in report, one item a line (see read_ci_report.py);
// a test failure, with the reason, when the tool cannot read it. The report
// and the reader's output are kept in folder.
[[nodiscard]] std::string ReadCiReport(const TempFolder& folder, const std::string& format,
                                       const std::string& report);

// One line as read_ci_report.py prints it: fields joined by tabs, with
// backslash, tab, CR and LF written \\ \t \r \n.
[[nodiscard]] std::string CiReportLine(const std::vector<std::string>& fields);
