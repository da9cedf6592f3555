// The window skarnel-cli gives the scan engine: the in-memory window, which
// also writes each row to standard output and draws the status text as a
// progress line on standard error. Rows come from the scan thread and the
// link check workers; the main thread flushes rows held back (FlushRows) and
// closes the output at the end.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "cli/command_line.h"
#include "cli/row_format.h"
#include "engine/headless_window.h"

// Writes bytes to a stream; false when the write failed.
using TextWriter = std::function<bool(std::string_view bytes)>;

struct ProgressLineSettings {
    bool enabled = false;
    // The terminal's width; 0 when unknown (the line is not cut).
    int columns = 0;
};

class CliWindow : public HeadlessWindow {
public:
    // currentFolder: what the CI reports name local pages relative to
    // (empty: as the rows name them).
    CliWindow(OutputFormat format, ProgressLineSettings progress, TextWriter output,
              TextWriter progressOutput, std::wstring currentFolder = L"");

    // Writes what comes before the first row (the CSV header).
    void BeginOutput();

    // Writes the rows held back. Without a progress line rows are gathered
    // and written in large pieces, by this or when enough are waiting;
    // with one, each row is written at once, above the line.
    void FlushRows();

    void AppendRow(const ResultRow& row) override;
    void SetStatusText(const std::wstring& text) override;

    // Ends the output: the progress line is cleared, and rows added after
    // this are neither written nor kept, so the totals describe exactly the
    // rows written. Returns those totals.
    ScanTotals CloseOutput();

    // Writes the totals after the last row, or the whole report of the
    // rows kept for the formats written at the end.
    void WriteTotals(const ScanTotals& totals);

    // True once a write to standard output has failed (a closed pipe, a full disk).
    [[nodiscard]] bool OutputFailed() const;

private:
    void Write(std::string_view bytes);
    void WritePending();
    void DrawProgress(std::wstring_view text);
    void ClearProgress();

    const OutputFormat m_format;
    const ProgressLineSettings m_progress;
    const TextWriter m_output;
    const TextWriter m_progressOutput;
    const std::wstring m_currentFolder;

    // Keeps each row whole on the output and its count in step with it.
    mutable std::mutex m_outputMutex;
    bool m_closed = false;
    std::string m_pending;
    bool m_failed = false;
    ScanTotals m_totals;
    // The progress line as last drawn, and how many characters it spans.
    std::wstring m_progressText;
    std::size_t m_progressWidth = 0;
};
