// The window as the scan engine sees it. The window (or a headless stand-in)
// implements MainWindowRecord and sets mainWindow while it initialises; scan
// threads and workers reach the path, options, results table and status bar
// only through it. Calls from scan threads are synchronous (they return once
// the window has carried them out), but for appending a row.
#pragma once

#include <string>

#include "engine/scan_options.h"

// Index into the results table's image list.
enum class ResultIcon { kOk = 0, kError = 1, kSkipped = 2 };

// The Start button's two looks.
enum class StartButtonLook { kStart, kStop };

// One row of the results table: three texts and an icon.
struct ResultRow {
    std::wstring link;
    std::wstring state;
    std::wstring location;
    ResultIcon icon = ResultIcon::kOk;

    bool operator==(const ResultRow&) const = default;
};

class MainWindowRecord {
public:
    virtual ~MainWindowRecord() = default;

    // UI thread: the Path field's current text.
    virtual std::wstring ReadPathText() = 0;
    // Any thread: the options record; its flags are atomic.
    virtual ScanOptions& Options() = 0;

    // Any thread: the results table. AppendRow may return before the window
    // shows the row (rows from one thread keep their order); RowCount counts
    // every row appended before it, and DeleteAllRows removes them all.
    virtual void AppendRow(const ResultRow& row) = 0;
    virtual int RowCount() = 0;
    virtual void DeleteAllRows() = 0;

    // Any thread, synchronous: the status bar and the Start button.
    virtual void SetStatusText(const std::wstring& text) = 0;
    virtual void SetStartButtonLook(StartButtonLook look) = 0;

    // UI thread: a message box with an OK button.
    virtual void ShowMessageBox(const std::wstring& text, const std::wstring& caption) = 0;
};

// Set by the window while it initialises; read by every scan thread.
extern MainWindowRecord* mainWindow;
