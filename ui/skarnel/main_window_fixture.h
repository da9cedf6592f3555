// A fixture for tests of the real Skarnel window: the configuration folder in
// a temporary folder of its own, recorders in place of the common dialogs,
// shortened dispatcher pauses, and a window created and shown offscreen. On
// tear-down a running scan is stopped and its thread awaited while the UI
// thread keeps serving the scan's calls.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/main_window_record.h"
#include "testing/temp_folder.h"
#include "ui/framework/dialog_recorder.h"
#include "ui/skarnel/dlg_main.h"

class QTreeView;

// Serves the UI thread's events until done() holds; false after timeout.
[[nodiscard]] bool ServeEventsUntil(const std::function<bool()>& done,
                                    std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Runs action once the next modal dialog has opened on top of owner's window
// (action gets that dialog); serves events until then.
void WhenModalDialogOpens(const std::function<void(QWidget* dialog)>& action);

// Clicks the heading of a column of the results table.
void ClickHeader(QTreeView* table, int column);

// The rows a scan of the sample site (samples/site, under the folder site)
// gives, in the order the walk adds them.
[[nodiscard]] std::vector<ResultRow> SampleSiteRows(const std::wstring& site);

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the local branch of a scan add rows as the real walk would
    // (scanning flag, rows, Start look, totals). When hold is set, the walk
    // waits after its rows until ReleaseScan().
    void FakeLocalScan(std::vector<ResultRow> rows, bool hold = false);
    void ReleaseScan();
    // Waits, serving events, until the scan thread has ended.
    [[nodiscard]] bool WaitForScanEnd();

    [[nodiscard]] std::wstring ConfigurationText() const;

    TempFolder m_appData;
    std::optional<std::wstring> m_savedAppData;
    DialogRecorder m_dialogs;
    std::unique_ptr<CDlgMain> m_window;

private:
    struct ScanHold;
    std::shared_ptr<ScanHold> m_hold;
};

// The same, with a stand-in editor beside the program that records its
// arguments and the file it was handed in m_record's "record".
class MainWindowEditFileFixture : public MainWindowFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // What the stand-in records when it opens page (a path) at line.
    [[nodiscard]] static std::string EditorRecordOf(const std::string& page, int line);

    TempFolder m_record;
};
