// The window test fixtures and their helpers.
#include "ui/skarnel/main_window_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTest>
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
#include "platform/file.h"
#include "platform/text_codec.h"
#include "ui/skarnel/results_model.h"

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

void ClickHeader(QTreeView* table, int column) {
    QHeaderView* header = table->header();
    const QPoint inside(header->sectionViewportPosition(column) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inside);
}

std::vector<ResultRow> SampleSiteRows(const std::wstring& site) {
    const std::wstring s = site + L"/";
    const ResultIcon ok = ResultIcon::kOk;
    const ResultIcon error = ResultIcon::kError;
    const ResultIcon skipped = ResultIcon::kSkipped;
    return {
        {s + L"index.html", L"OK", s + L"index.html", ok},
        {s + L"about.html", L"OK", s + L"index.html:13", ok},
        {s + L"menu/breads.html", L"OK", s + L"about.html:14", ok},
        {s + L"menu/cakes.html", L"OK", s + L"menu/breads.html:15", ok},
        {s + L"menu/birthday.html", L"Can't open file", s + L"menu/cakes.html:12", error},
        {L"http://127.0.0.2/orders/cakes", L"Absolute URL - skipped", s + L"menu/cakes.html:13",
         skipped},
        {s + L"logo.png", L"OK", s + L"menu/cakes.html:9", ok},
        {s + L"menu/seasonal.html", L"Empty file", s + L"menu/breads.html:16", error},
        {s + L"menu/rye.gif", L"OK", s + L"menu/breads.html:12", ok},
        {s + L"menu/sourdough.png", L"Can't open file", s + L"menu/breads.html:13", error},
        {s + L"team.jpg", L"Can't open file", s + L"about.html:12", error},
        {s + L"contact.html", L"Can't open file", s + L"index.html:16", error},
        {L"http://127.0.0.2/orders/", L"Absolute URL - skipped", s + L"index.html:23", skipped},
    };
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
        return !IsScanThreadAlive() && m_window->ResultsModel()->rowCount() == m_window->RowCount();
    });
}

std::wstring MainWindowFixture::ConfigurationText() const {
    const std::string bytes = m_appData.Read("Durnvale/conf01.dat");
    return std::wstring(bytes.begin(), bytes.end());
}

void MainWindowEditFileFixture::SetUp() {
    MainWindowFixture::SetUp();
    ASSERT_TRUE(SetEnvironmentText("SKARNEL_RECORD", Widen(m_record.PathOf("record").string())));
    m_window->EditServices().runningProgramPath = Widen(SKARNEL_STANDIN_FOLDER) + L"/Skarnel";
}

void MainWindowEditFileFixture::TearDown() {
    UnsetEnvironmentVariable("SKARNEL_RECORD");
    UnsetEnvironmentVariable("SKARNEL_HOLD");
    MainWindowFixture::TearDown();
}

std::string MainWindowEditFileFixture::EditorRecordOf(const std::string& page, int line) {
    std::string content;
    EXPECT_TRUE(ReadWholeFile(Widen(page), &content)) << page;
    return page + "\n" + std::to_string(line) + "\n--\n" + content;
}
