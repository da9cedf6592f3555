// Test fixtures for scans: a headless window installed as mainWindow,
// shortened dispatcher pauses, and a clean hand-back of the scan state (the
// running scan stopped and its thread ended) after each test; one variant
// scans a site in a temporary folder, another crawls a scripted server.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "engine/headless_window.h"
#include "testing/loopback_address.h"
#include "testing/scripted_http_server.h"
#include "testing/temp_folder.h"

// Link, State and Location of every row of window, in table order: what
// scan tests compare.
[[nodiscard]] std::vector<std::vector<std::wstring>> RowTexts(const HeadlessWindow& window);

// A line holding one anchor that links to target.
[[nodiscard]] std::string Anchor(const std::string& target);

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

    // Link, State and Location of every row, in table order.
    [[nodiscard]] std::vector<std::vector<std::wstring>> Rows() const { return RowTexts(m_window); }

    HeadlessWindow m_window;
};

// Scans of a site written into a temporary folder on disk.
class SiteScanFixture : public ScanFixture {
protected:
    // The full path of a file of the site.
    [[nodiscard]] std::wstring P(std::string_view relative) const;
    // The Location of a link on line of the site's page.
    [[nodiscard]] std::wstring At(std::string_view page, int line) const;

    TempFolder m_site;
};

// How a web scan carries out its checks. Crawl tests run in both modes, and
// the rows must not differ but in their order.
enum class CheckingMode { kClassic, kFast };

// "Classic" or "Fast", the part of a test's name that gives its mode.
[[nodiscard]] std::string CheckingModeName(const ::testing::TestParamInfo<CheckingMode>& info);

// Crawls of a scripted server on a loopback address of the test's own.
class ServedScanFixture : public ScanFixture {
protected:
    // The server's URL of path.
    [[nodiscard]] std::wstring U(const std::string& path) const;
    // The Location of a link on line of the page at path.
    [[nodiscard]] std::wstring At(const std::string& path, int line) const;

    ScriptedHttpServer m_server{LoopbackAddressForTest()};
};

// Crawls of a scripted server, once with the classic pacing and once with
// fast checking (the test's parameter).
class ServedScanInBothModes : public ServedScanFixture,
                              public ::testing::WithParamInterface<CheckingMode> {
protected:
    void SetUp() override;
};
