// The in-memory window.
#include "engine/headless_window.h"

#include "engine/compact_text.h"

HeadlessWindow::HeadlessWindow(std::wstring pathText) : m_pathText(std::move(pathText)) {}

void HeadlessWindow::SetPathText(std::wstring pathText) {
    std::lock_guard lock(m_mutex);
    m_pathText = std::move(pathText);
}

std::wstring HeadlessWindow::ReadPathText() {
    std::lock_guard lock(m_mutex);
    return m_pathText;
}

HeadlessWindow::PackedRow HeadlessWindow::Pack(const ResultRow& row) {
    PackedRow packed;
    packed.texts = PackWideText(row.link);
    packed.linkEnd = static_cast<std::uint32_t>(packed.texts.size());
    packed.texts += PackWideText(row.state);
    packed.stateEnd = static_cast<std::uint32_t>(packed.texts.size());
    packed.texts += PackWideText(row.location);
    packed.texts.shrink_to_fit();
    packed.icon = row.icon;
    return packed;
}

ResultRow HeadlessWindow::Unpack(const PackedRow& row) {
    const std::string_view texts(row.texts);
    return ResultRow{UnpackWideText(texts.substr(0, row.linkEnd)),
                     UnpackWideText(texts.substr(row.linkEnd, row.stateEnd - row.linkEnd)),
                     UnpackWideText(texts.substr(row.stateEnd)), row.icon};
}

void HeadlessWindow::AppendRow(const ResultRow& row) {
    PackedRow packed = Pack(row);
    {
        std::lock_guard lock(m_mutex);
        m_rows.push_back(std::move(packed));
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
    std::vector<ResultRow> rows;
    rows.reserve(m_rows.size());
    for (const PackedRow& row : m_rows) rows.push_back(Unpack(row));
    return rows;
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
