// The command-line window: rows to standard output, status to a progress line.
#include "cli/cli_window.h"

#include "platform/text_codec.h"

namespace {

// Rows held back are written once this many bytes wait.
constexpr std::size_t kPendingRowBytes = 64 * 1024;

}  // namespace

CliWindow::CliWindow(OutputFormat format, ProgressLineSettings progress, TextWriter output,
                     TextWriter progressOutput, std::wstring currentFolder)
    : m_format(format),
      m_progress(progress),
      m_output(std::move(output)),
      m_progressOutput(std::move(progressOutput)),
      m_currentFolder(std::move(currentFolder)) {}

void CliWindow::BeginOutput() {
    std::lock_guard lock(m_outputMutex);
    Write(FormatHeader(m_format));
}

void CliWindow::AppendRow(const ResultRow& row) {
    std::lock_guard lock(m_outputMutex);
    if (m_closed) return;
    HeadlessWindow::AppendRow(row);
    ++m_totals.rows;
    if (row.icon == ResultIcon::kError) ++m_totals.errors;
    if (!m_progress.enabled) {
        AppendRowText(m_format, row, m_pending, m_currentFolder);
        if (m_pending.size() >= kPendingRowBytes) WritePending();
        return;
    }
    const std::string text = FormatRow(m_format, row, m_currentFolder);
    if (text.empty()) return;
    // The row goes above the progress line, which is drawn again below it.
    const std::wstring progressText = m_progressText;
    ClearProgress();
    Write(text);
    DrawProgress(progressText);
}

void CliWindow::SetStatusText(const std::wstring& text) {
    HeadlessWindow::SetStatusText(text);
    std::lock_guard lock(m_outputMutex);
    if (!m_closed) DrawProgress(text);
}

void CliWindow::FlushRows() {
    std::lock_guard lock(m_outputMutex);
    WritePending();
}

ScanTotals CliWindow::CloseOutput() {
    std::lock_guard lock(m_outputMutex);
    WritePending();
    m_closed = true;
    ClearProgress();
    return m_totals;
}

void CliWindow::WriteTotals(const ScanTotals& totals) {
    std::lock_guard lock(m_outputMutex);
    // The window keeps exactly the rows counted in totals (none after
    // CloseOutput). A totals line needs none of them: copying a large
    // scan's rows out only to count them would take longer than writing them.
    const std::vector<ResultRow> rows = EndListsRows(m_format) ? Rows() : std::vector<ResultRow>();
    Write(FormatEnd(m_format, rows, totals, m_currentFolder));
}

bool CliWindow::OutputFailed() const {
    std::lock_guard lock(m_outputMutex);
    return m_failed;
}

void CliWindow::WritePending() {
    Write(m_pending);
    m_pending.clear();
}

void CliWindow::Write(std::string_view bytes) {
    if (m_failed || bytes.empty()) return;
    if (!m_output(bytes)) m_failed = true;
}

// Draws over the previous line with a carriage return and pads with blanks
// where the new text is shorter, so no terminal escape codes are needed and
// a log file gets readable text. The line is cut to the terminal's width
// because a line that wraps cannot be drawn over.
void CliWindow::DrawProgress(std::wstring_view text) {
    if (!m_progress.enabled || text.empty() || text == m_progressText) return;
    std::wstring line(text);
    for (wchar_t& c : line) {
        if (c < L' ') c = L' ';
    }
    if (m_progress.columns > 1 && line.size() >= static_cast<std::size_t>(m_progress.columns)) {
        line.resize(m_progress.columns - 1);
    }
    // Built by appending: GCC 12 at -O3 takes "\r" + string for an
    // overlapping copy (-Wrestrict) and a Release build would stop there.
    std::string bytes(1, '\r');
    bytes += ToUtf8(line);
    if (line.size() < m_progressWidth) bytes.append(m_progressWidth - line.size(), ' ');
    (void)m_progressOutput(bytes);
    m_progressText = text;
    m_progressWidth = std::max(m_progressWidth, line.size());
}

void CliWindow::ClearProgress() {
    if (!m_progress.enabled || m_progressWidth == 0) return;
    std::string blanks(m_progressWidth + 2, ' ');
    blanks.front() = '\r';
    blanks.back() = '\r';
    (void)m_progressOutput(blanks);
    m_progressText.clear();
    m_progressWidth = 0;
}
