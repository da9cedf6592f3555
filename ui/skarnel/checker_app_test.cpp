// Start-up: sockets that cannot be started, the modal window, and an exit
// during a scan that leaves the window to the scan's threads.
#include "ui/skarnel/checker_app.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "engine/main_window_record.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "resources/skarnel/skarnel_resources.h"
#include "ui/skarnel/dlg_main.h"
#include "ui/skarnel/main_window_fixture.h"

namespace {

// The fixture's own window stays out of the way; the app makes its own.
using CheckerApp = MainWindowFixture;

}  // namespace

TEST_F(CheckerApp, WithoutSocketsItSaysSoAndOpensNoWindow) {
    CCheckerApp app([] { return false; });
    bool windowMade = false;
    app.onWindowCreated = [&](CDlgMain&) { windowMade = true; };
    EXPECT_FALSE(app.InitInstance());
    EXPECT_FALSE(windowMade);
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    EXPECT_EQ(m_dialogs.Messages()[0], (RecordedMessage{L"Windows sockets initialization failed.",
                                                        L"Skarnel", MessageIcon::kNone}));
}

TEST_F(CheckerApp, RunsTheWindowModallyAndDestroysItWhenItEnds) {
    CCheckerApp app([] { return true; });
    CDlgMain* seen = nullptr;
    app.onWindowCreated = [&](CDlgMain& window) {
        seen = &window;
        WhenModalDialogOpens(
            [](QWidget* dialog) { static_cast<CDlgMain*>(dialog)->SendCommand(kIdExit); });
    };
    EXPECT_FALSE(app.InitInstance());
    ASSERT_NE(seen, nullptr);
    // The window has gone, and with it the engine's reference to it.
    EXPECT_EQ(mainWindow, nullptr);
    mainWindow = m_window.get();
}

TEST_F(CheckerApp, ExitDuringAScanReturnsAtOnceAndLeavesTheWindowToTheScan) {
    FakeLocalScan({{L"/a.html", L"OK", L"/a.html", ResultIcon::kOk}}, /*hold=*/true);
    CCheckerApp app([] { return true; });
    CDlgMain* window = nullptr;
    app.onWindowCreated = [&](CDlgMain& created) {
        window = &created;
        WhenModalDialogOpens([](QWidget* dialog) {
            auto* running = static_cast<CDlgMain*>(dialog);
            running->Item<QLineEdit>(kIdPathField)->setText("/a.html");
            running->SendCommand(kIdStartCommand);
            running->SendCommand(kIdExit);
        });
    };
    EXPECT_FALSE(app.InitInstance());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsScanThreadAlive());
    EXPECT_EQ(mainWindow, window);

    // The scan can still reach its window and finish.
    ReleaseScan();
    ASSERT_TRUE(WaitForScanEnd());
    EXPECT_EQ(window->StatusText(), L"Total links found: 1, errors: 0");
    delete window;
    mainWindow = m_window.get();
}
