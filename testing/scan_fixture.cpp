// The scan fixture.
#include "testing/scan_fixture.h"

#include "engine/main_window_record.h"
#include "engine/scan_control.h"
#include "engine/scan_seams.h"
#include "engine/scan_state.h"
#include "platform/text_codec.h"

void ScanFixture::SetUp() {
    RestoreDefaultScanSeams();
    TheScanSeams().pauseDivisor = kTestPauseDivisor;
    // Tests that add rows without Start begin from no errors too, also when
    // one test program runs them one after the other.
    TheScanState().errorCount = 0;
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

std::string Anchor(const std::string& target) { return "<a href=\"" + target + "\">x</a>\n"; }

std::wstring SiteScanFixture::P(std::string_view relative) const {
    return m_site.WidePathOf(relative);
}

std::wstring SiteScanFixture::At(std::string_view page, int line) const {
    return P(page) + L":" + std::to_wstring(line);
}

std::wstring ServedScanFixture::U(const std::string& path) const {
    return Widen(m_server.Url(path));
}

std::wstring ServedScanFixture::At(const std::string& path, int line) const {
    return U(path) + L":" + std::to_wstring(line);
}

std::string CheckingModeName(const ::testing::TestParamInfo<CheckingMode>& info) {
    return info.param == CheckingMode::kFast ? "Fast" : "Classic";
}

void ServedScanInBothModes::SetUp() {
    ServedScanFixture::SetUp();
    m_window.Options().fastChecking = GetParam() == CheckingMode::kFast ? 1 : 0;
}
