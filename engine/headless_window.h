// A window without a screen: the results table and status bar kept in
// memory. skarnel-cli and the tests use it in place of the Qt window. Every
// member may be called from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/main_window_record.h"

class HeadlessWindow : public MainWindowRecord {
public:
    explicit HeadlessWindow(std::wstring pathText = L"");

    void SetPathText(std::wstring pathText);

    std::wstring ReadPathText() override;
    ScanOptions& Options() override { return m_options; }
    void AppendRow(const ResultRow& row) override;
    int RowCount() override;
    void DeleteAllRows() override;
    void SetStatusText(const std::wstring& text) override;
    void SetStartButtonLook(StartButtonLook look) override;
    void ShowMessageBox(const std::wstring& text, const std::wstring& caption) override;

    [[nodiscard]] std::vector<ResultRow> Rows() const;
    [[nodiscard]] std::wstring StatusText() const;
    [[nodiscard]] StartButtonLook Look() const;
    // Each message box shown, as caption and text.
    [[nodiscard]] std::vector<std::pair<std::wstring, std::wstring>> Messages() const;

    // Waits until the table holds at least count rows; false on time-out.
    [[nodiscard]] bool WaitForRowCount(std::size_t count, std::chrono::milliseconds timeout);

protected:
    // Called after a row has been added, outside the window's lock, on the
    // thread that added it.
    virtual void OnRowAppended(const ResultRow& row) { (void)row; }
    // Called after the status text has changed, outside the window's lock.
    virtual void OnStatusTextChanged(const std::wstring& text) { (void)text; }

private:
    // A row as kept: its three texts packed one after the other
    // (engine/compact_text.h), so a long scan costs what its texts need.
    struct PackedRow {
        std::string texts;
        std::uint32_t linkEnd = 0;
        std::uint32_t stateEnd = 0;
        ResultIcon icon = ResultIcon::kOk;
    };

    [[nodiscard]] static PackedRow Pack(const ResultRow& row);
    [[nodiscard]] static ResultRow Unpack(const PackedRow& row);

    mutable std::mutex m_mutex;
    std::condition_variable m_rowsChanged;
    std::wstring m_pathText;
    ScanOptions m_options;
    std::vector<PackedRow> m_rows;
    std::wstring m_statusText;
    StartButtonLook m_look = StartButtonLook::kStart;
    std::vector<std::pair<std::wstring, std::wstring>> m_messages;
};
