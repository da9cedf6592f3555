// The window test fixture.
#include "ui/skarnel/main_window_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <condition_variable>
#include <mutex>

#include "engine/configuration.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/scan_seams.h"
#include "engine/scan_state.h"
#include "platform/environment.h"

struct MainWindowFixture::ScanHold {
    std::mutex mutex;
    std::condition_variable released;
    bool open = false;
};

bool ServeEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeout.count()) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void WhenModalDialogOpens(const std::function<void(QWidget* dialog)>& action) {
    QWidget* const before = QApplication::activeModalWidget();
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, before, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == before || !modal->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        action(modal);
    });
    poll->start(5);
}

void MainWindowFixture::SetUp() {
    m_savedAppData = GetEnvironmentText("APPDATA");
    SetEnvironmentText("APPDATA", m_appData.WidePath());
    RestoreDefaultScanSeams();
    TheScanSeams().pauseDivisor = 30;
    m_window = std::make_unique<CDlgMain>();
    m_window->Create();
    m_window->show();
}

void MainWindowFixture::TearDown() {
    ReleaseScan();
    StopScan();
    EXPECT_TRUE(WaitForScanEnd()) << "the scan thread did not end";
    m_window.reset();
    RestoreDefaultScanSeams();
    if (m_savedAppData) {
        SetEnvironmentText("APPDATA", *m_savedAppData);
    } else {
        UnsetEnvironmentVariable("APPDATA");
    }
}

void MainWindowFixture::FakeLocalScan(std::vector<ResultRow> rows, bool hold) {
    m_hold = std::make_shared<ScanHold>();
    m_hold->open = !hold;
    TheScanSeams().runLocalScan = [rows = std::move(rows), scanHold = m_hold] {
        ScanState& scan = TheScanState();
        scan.scanRunning = true;
        for (const ResultRow& row : rows) {
            if (scan.scanRunning) AddLocalResult(row.link, row.state, row.location);
        }
        {
            std::unique_lock lock(scanHold->mutex);
            scanHold->released.wait(lock, [&] { return scanHold->open; });
        }
        scan.scanRunning = false;
        mainWindow->SetStartButtonLook(StartButtonLook::kStart);
        ShowScanTotals();
    };
}

void MainWindowFixture::ReleaseScan() {
    if (!m_hold) return;
    {
        std::lock_guard lock(m_hold->mutex);
        m_hold->open = true;
    }
    m_hold->released.notify_all();
}

bool MainWindowFixture::WaitForScanEnd() {
    // The table shows a scan's last rows a moment after they arrive.
    return ServeEventsUntil([this] {
        return !IsScanThreadAlive() &&
               m_window->ResultsTable()->model()->rowCount() == m_window->RowCount();
    });
}

std::wstring MainWindowFixture::ConfigurationText() const {
    const std::string bytes = m_appData.Read("Durnvale/conf01.dat");
    return std::wstring(bytes.begin(), bytes.end());
}
