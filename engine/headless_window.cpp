// The in-memory window.
#include "engine/headless_window.h"

HeadlessWindow::HeadlessWindow(std::wstring pathText) : m_pathText(std::move(pathText)) {}

void HeadlessWindow::SetPathText(std::wstring pathText) {
    std::lock_guard lock(m_mutex);
    m_pathText = std::move(pathText);
}

std::wstring HeadlessWindow::ReadPathText() {
    std::lock_guard lock(m_mutex);
    return m_pathText;
}

void HeadlessWindow::AppendRow(const ResultRow& row) {
    {
        std::lock_guard lock(m_mutex);
        m_rows.push_back(row);
    }
    m_rowsChanged.notify_all();
    OnRowAppended(row);
}

int HeadlessWindow::RowCount() {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_rows.size());
}

void HeadlessWindow::DeleteAllRows() {
    std::lock_guard lock(m_mutex);
    m_rows.clear();
}

void HeadlessWindow::SetStatusText(const std::wstring& text) {
    {
        std::lock_guard lock(m_mutex);
        m_statusText = text;
    }
    OnStatusTextChanged(text);
}

void HeadlessWindow::SetStartButtonLook(StartButtonLook look) {
    std::lock_guard lock(m_mutex);
    m_look = look;
}

void HeadlessWindow::ShowMessageBox(const std::wstring& text, const std::wstring& caption) {
    std::lock_guard lock(m_mutex);
    m_messages.emplace_back(caption, text);
}

std::vector<ResultRow> HeadlessWindow::Rows() const {
    std::lock_guard lock(m_mutex);
    return m_rows;
}

std::wstring HeadlessWindow::StatusText() const {
    std::lock_guard lock(m_mutex);
    return m_statusText;
}

StartButtonLook HeadlessWindow::Look() const {
    std::lock_guard lock(m_mutex);
    return m_look;
}

std::vector<std::pair<std::wstring, std::wstring>> HeadlessWindow::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

bool HeadlessWindow::WaitForRowCount(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_rowsChanged.wait_for(lock, timeout, [&] { return m_rows.size() >= count; });
}
