// The scan fixture.
#include "testing/scan_fixture.h"

#include "engine/main_window_record.h"
#include "engine/scan_control.h"
#include "engine/scan_seams.h"

void ScanFixture::SetUp() {
    RestoreDefaultScanSeams();
    TheScanSeams().pauseDivisor = kTestPauseDivisor;
    mainWindow = &m_window;
}

void ScanFixture::TearDown() {
    StopScan();
    EXPECT_TRUE(WaitForScanThreadEnd(kScanDeadline)) << "the scan thread did not end";
    mainWindow = nullptr;
    RestoreDefaultScanSeams();
}

void ScanFixture::Start(const std::wstring& path) {
    m_window.SetPathText(path);
    StartScan();
}

void ScanFixture::ScanAndWait(const std::wstring& path) {
    Start(path);
    WaitForScanEnd();
}

void ScanFixture::WaitForScanEnd() {
    ASSERT_TRUE(WaitForScanThreadEnd(kScanDeadline)) << "the scan did not end in time";
}

std::vector<std::vector<std::wstring>> RowTexts(const HeadlessWindow& window) {
    std::vector<std::vector<std::wstring>> rows;
    for (const ResultRow& row : window.Rows()) rows.push_back({row.link, row.state, row.location});
    return rows;
}
