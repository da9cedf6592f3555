// The command-line window: rows written when flushed, totals of exactly the
// rows written, and the progress line drawn over itself.
#include "cli/cli_window.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// Collects what the window writes to standard output and standard error.
struct Streams {
    std::string output;
    std::string progress;
    bool outputWorks = true;

    TextWriter Output() {
        return [this](std::string_view bytes) {
            if (outputWorks) output += bytes;
            return outputWorks;
        };
    }
    TextWriter Progress() {
        return [this](std::string_view bytes) {
            progress += bytes;
            return true;
        };
    }
};

const ResultRow kOkRow{L"a.html", L"OK", L"i.html:2", ResultIcon::kOk};
const ResultRow kErrorRow{L"b.html", L"Can't open file", L"i.html:3", ResultIcon::kError};
const ResultRow kSkippedRow{L"http://x/", L"Absolute URL - skipped", L"i.html:4",
                            ResultIcon::kSkipped};

}  // namespace

TEST(CliWindow, WritesRowsWhenFlushedAndCountsErrors) {
    Streams streams;
    CliWindow window(OutputFormat::kCsv, {}, streams.Output(), streams.Progress());
    window.BeginOutput();
    window.AppendRow(kOkRow);
    EXPECT_EQ(streams.output, "Link,State,Location (file:line),Icon\r\n");
    window.FlushRows();
    EXPECT_EQ(streams.output, "Link,State,Location (file:line),Icon\r\na.html,OK,i.html:2,ok\r\n");
    window.AppendRow(kErrorRow);
    window.AppendRow(kSkippedRow);
    const ScanTotals totals = window.CloseOutput();
    EXPECT_EQ(totals.rows, 3u);
    EXPECT_EQ(totals.errors, 1u);
    EXPECT_EQ(window.Rows(), (std::vector<ResultRow>{kOkRow, kErrorRow, kSkippedRow}));
    EXPECT_EQ(streams.progress, "");
}

TEST(CliWindow, RowsAfterCloseAreNeitherWrittenNorKept) {
    Streams streams;
    CliWindow window(OutputFormat::kTsv, {}, streams.Output(), streams.Progress());
    window.AppendRow(kErrorRow);
    const ScanTotals totals = window.CloseOutput();
    window.AppendRow(kErrorRow);
    window.WriteTotals(totals);
    EXPECT_EQ(streams.output,
              "b.html\tCan't open file\ti.html:3\terror\nTotal links found: 1, errors: 1\n");
    EXPECT_EQ(window.RowCount(), 1);
}

TEST(CliWindow, RowsFromManyThreadsStayWholeAndCounted) {
    Streams streams;
    CliWindow window(OutputFormat::kTsv, {true, 0}, streams.Output(), streams.Progress());
    std::vector<std::thread> workers;
    for (int t = 0; t < 8; ++t) {
        workers.emplace_back([&window] {
            for (int i = 0; i < 200; ++i) {
                window.SetStatusText(L"Checking x...");
                window.AppendRow(kOkRow);
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    EXPECT_EQ(window.CloseOutput().rows, 1600u);
    std::string expected;
    for (int i = 0; i < 1600; ++i) expected += "a.html\tOK\ti.html:2\tok\n";
    EXPECT_EQ(streams.output, expected);
}

TEST(CliWindow, FailedOutputIsReportedAndNotRetried) {
    Streams streams;
    CliWindow window(OutputFormat::kTsv, {}, streams.Output(), streams.Progress());
    window.AppendRow(kOkRow);
    window.FlushRows();
    EXPECT_FALSE(window.OutputFailed());
    streams.outputWorks = false;
    window.AppendRow(kOkRow);
    window.FlushRows();
    EXPECT_TRUE(window.OutputFailed());
    streams.outputWorks = true;
    window.AppendRow(kOkRow);
    window.FlushRows();
    EXPECT_EQ(streams.output, "a.html\tOK\ti.html:2\tok\n");
}

TEST(ProgressLine, DisabledWritesNothing) {
    Streams streams;
    CliWindow window(OutputFormat::kTsv, {false, 80}, streams.Output(), streams.Progress());
    window.SetStatusText(L"Checking http://a/...");
    window.AppendRow(kOkRow);
    (void)window.CloseOutput();
    EXPECT_EQ(streams.progress, "");
    EXPECT_EQ(window.StatusText(), L"Checking http://a/...");
}

TEST(ProgressLine, DrawsOverItselfAndBlanksWhatIsLeft) {
    Streams streams;
    CliWindow window(OutputFormat::kTsv, {true, 0}, streams.Output(), streams.Progress());
    window.SetStatusText(L"Checking long.html...");
    window.SetStatusText(L"Checking a...");
    EXPECT_EQ(streams.progress, "\rChecking long.html...\rChecking a...        ");
    streams.progress.clear();
    (void)window.CloseOutput();
    EXPECT_EQ(streams.progress, "\r" + std::string(21, ' ') + "\r");
    streams.progress.clear();
    window.SetStatusText(L"Total links found: 0, errors: 0");
    EXPECT_EQ(streams.progress, "");
}

TEST(ProgressLine, RowClearsTheLineAndRedrawsIt) {
    Streams streams;
    CliWindow window(OutputFormat::kTsv, {true, 0}, streams.Output(), streams.Progress());
    window.SetStatusText(L"Checking x...");
    streams.progress.clear();
    window.AppendRow(kOkRow);
    EXPECT_EQ(streams.progress, "\r             \r\rChecking x...");
}

TEST(ProgressLine, CutToTheTerminalWidthWithControlsBlanked) {
    Streams streams;
    CliWindow window(OutputFormat::kTsv, {true, 10}, streams.Output(), streams.Progress());
    window.SetStatusText(L"Checking a\nb...");
    EXPECT_EQ(streams.progress, "\rChecking ");
    streams.progress.clear();
    window.SetStatusText(L"A\tb");
    EXPECT_EQ(streams.progress, "\rA b      ");
}
