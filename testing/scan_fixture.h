// A test fixture for scans: a headless window installed as mainWindow,
// shortened dispatcher pauses, and a clean hand-back of the scan state (the
// running scan stopped and its thread ended) after each test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/headless_window.h"

// Link, State and Location of every row of window, in table order: what
// scan tests compare.
[[nodiscard]] std::vector<std::vector<std::wstring>> RowTexts(const HeadlessWindow& window);

class ScanFixture : public ::testing::Test {
protected:
    // Divides the dispatcher's pauses (3 s idle becomes 100 ms).
    static constexpr unsigned kTestPauseDivisor = 30;
    // Long enough for the largest test scans under a sanitizer on a busy
    // machine; reached only when a scan hangs.
    static constexpr std::chrono::seconds kScanDeadline{240};

    void SetUp() override;
    void TearDown() override;

    // Starts a scan of path as the Start button would, without waiting.
    void Start(const std::wstring& path);
    // Starts a scan of path and waits until its thread has ended.
    void ScanAndWait(const std::wstring& path);
    // Waits until the scan thread has ended; fails the test on time-out.
    void WaitForScanEnd();

    HeadlessWindow m_window;
};
