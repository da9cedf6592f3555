// Running read_ci_report.py on a report.
#include "testing/ci_report_reader.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/child_process.h"

std::string ReadCiReport(const TempFolder& folder, const std::string& format,
                         const std::string& report) {
    const std::string file = folder.Put("report." + format, report).string();
    std::vector<std::string> command = {"/usr/bin/python3",
                                        SKARNEL_TESTING_SOURCE "/read_ci_report.py", format, file};
    if (format == "sarif") {
        command.push_back(SKARNEL_TESTING_SOURCE "/schemas/sarif-schema-2.1.0.json");
    }
    ChildProcessSetup setup;
    setup.outputPath = folder.PathOf("read.txt").string();
    setup.errorPath = folder.PathOf("read-error.txt").string();
    ChildProcess reader;
    std::string failure;
    if (!reader.Start(command, setup, &failure)) {
        ADD_FAILURE() << "can't start the reader: " << failure;
        return "";
    }
    const std::optional<int> status = reader.WaitForExit(std::chrono::seconds(60));
    if (status != 0)
        ADD_FAILURE() << format << " report not read: " << folder.Read("read-error.txt");
    return folder.Read("read.txt");
}

std::string CiReportLine(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) {
        if (!line.empty()) line += '\t';
        for (const char c : field) {
            switch (c) {
                case '\\':
                    line += "\\\\";
                    break;
                case '\t':
                    line += "\\t";
                    break;
                case '\r':
                    line += "\\r";
                    break;
                case '\n':
                    line += "\\n";
                    break;
                default:
                    line += c;
            }
        }
    }
    return line + "\n";
}
