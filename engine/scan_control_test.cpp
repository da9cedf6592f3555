// Start, dispatch, Stop and totals, with the check of one address replaced
// by recorders so each behaviour of the dispatcher can be held and looked at.
#include "engine/scan_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <stdexcept>

#include "engine/classic_checks.h"
#include "engine/results_table.h"
#include "engine/scan_seams.h"
#include "platform/thread.h"
#include "testing/gate.h"
#include "testing/scan_fixture.h"

namespace {

using namespace std::chrono_literals;
using Pair = std::pair<std::string, std::string>;

class ScanControl : public ScanFixture {
protected:
    // Every check records its pair, then runs action.
    void OnFetch(std::function<void(const std::string&, const std::string&)> action) {
        TheScanSeams().fetchPage = [this, action](const std::string& url,
                                                  const std::string& location) {
            {
                std::lock_guard lock(m_mutex);
                m_fetched.emplace_back(url, location);
            }
            action(url, location);
        };
    }

    std::vector<Pair> SortedFetches() {
        std::lock_guard lock(m_mutex);
        std::vector<Pair> fetched = m_fetched;
        std::sort(fetched.begin(), fetched.end());
        return fetched;
    }

    std::mutex m_mutex;
    std::vector<Pair> m_fetched;
    Gate m_gate;
};

void AddOkRow(const std::string& url, const std::string& location) {
    AddWebResult(url, "200 OK", location);
}

TEST_F(ScanControl, StartAddressIsCheckedWithItselfAsLocation) {
    OnFetch(AddOkRow);
    ScanAndWait(L"http://site/");
    EXPECT_EQ(SortedFetches(), (std::vector<Pair>{{"http://site/", "http://site/"}}));
    EXPECT_EQ(
        m_window.Rows(),
        (std::vector<ResultRow>{{L"http://site/", L"200 OK", L"http://site/", ResultIcon::kOk}}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 1, errors: 0");
    EXPECT_EQ(m_window.Look(), StartButtonLook::kStart);
    EXPECT_FALSE(TheScanState().scanRunning);
}

TEST_F(ScanControl, UrlIsQueuedOnceWithTheLocationWhereItWasFirstFound) {
    OnFetch([](const std::string& url, const std::string& location) {
        if (url == "http://site/") {
            EnqueueLink("http://site/a", "http://site/:3");
            EnqueueLink("http://site/a", "http://site/:9");
            EnqueueLink("http://site/", "http://site/:1");
            EnqueueLink("http://site/A", "http://site/:4");
        }
        AddWebResult(url, "404 Not Found", location);
    });
    ScanAndWait(L"http://site/");
    EXPECT_EQ(SortedFetches(), (std::vector<Pair>{{"http://site/", "http://site/"},
                                                  {"http://site/A", "http://site/:4"},
                                                  {"http://site/a", "http://site/:3"}}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 3, errors: 3");
}

TEST_F(ScanControl, SameNewUrlFoundByManyWorkersAtOnceIsQueuedOnce) {
    constexpr unsigned kPages = 10;
    OnFetch([this](const std::string& url, const std::string&) {
        if (url == "http://site/") {
            for (unsigned i = 0; i < kPages; ++i) {
                EnqueueLink("http://site/p" + std::to_string(i), "http://site/:1");
            }
        } else if (url != "http://site/common") {
            m_gate.Pass();
            EnqueueLink("http://site/common", url + ":1");
        }
    });
    Start(L"http://site/");
    ASSERT_TRUE(m_gate.WaitForWaiting(kPages, kScanDeadline));
    m_gate.Open();
    WaitForScanEnd();
    const std::vector<Pair> fetched = SortedFetches();
    EXPECT_EQ(std::count_if(fetched.begin(), fetched.end(),
                            [](const Pair& p) { return p.first == "http://site/common"; }),
              1);
    EXPECT_EQ(fetched.size(), kPages + 2);
}

TEST_F(ScanControl, AtMostTenWorkersRunAndTheEleventhStartsWhenOneEnds) {
    std::atomic<unsigned> inFlight{0};
    std::atomic<unsigned> mostInFlight{0};
    OnFetch([&](const std::string& url, const std::string& location) {
        if (url == "http://site/") {
            for (int i = 0; i < 11; ++i) EnqueueLink(url + std::to_string(i), url + ":1");
        } else {
            const unsigned now = ++inFlight;
            unsigned most = mostInFlight;
            while (now > most && !mostInFlight.compare_exchange_weak(most, now)) {
            }
            m_gate.Pass();
            --inFlight;
        }
        AddOkRow(url, location);
    });
    Start(L"http://site/");
    ASSERT_TRUE(m_gate.WaitForArrivals(10, kScanDeadline));
    EXPECT_FALSE(m_gate.WaitForArrivals(11, 500ms)) << "an eleventh worker started";
    EXPECT_EQ(TheScanState().activeWorkers, 10u);
    m_gate.LetOneThrough();
    EXPECT_TRUE(m_gate.WaitForArrivals(11, kScanDeadline));
    m_gate.Open();
    WaitForScanEnd();
    EXPECT_EQ(mostInFlight, 10u);
    EXPECT_EQ(m_window.RowCount(), 12);
}

TEST_F(ScanControl, StartIsRefusedWhileTheScanThreadIsStarting) {
    std::atomic<bool> scanThreadStarted{false};
    TheScanSeams().startThread = [this, &scanThreadStarted](std::function<void()> body) {
        if (scanThreadStarted.exchange(true)) return StartDetachedThread(std::move(body));
        return StartDetachedThread([this, body] {
            m_gate.Pass();
            body();
        });
    };
    OnFetch(AddOkRow);
    Start(L"http://site/");
    ASSERT_TRUE(m_gate.WaitForWaiting(1, kScanDeadline));
    Start(L"http://other/");
    EXPECT_EQ(m_window.Messages(), (std::vector<std::pair<std::wstring, std::wstring>>{
                                       {L"Skarnel", L"Scan process is in progress."}}));
    EXPECT_EQ(m_window.StatusText(), L"Checking http://site/...");
    m_gate.Open();
    WaitForScanEnd();
    EXPECT_EQ(SortedFetches(), (std::vector<Pair>{{"http://site/", "http://site/"}}));
}

TEST_F(ScanControl, StartIsRefusedWhileRunningAndWhileAStoppedScanUnwinds) {
    OnFetch([this](const std::string& url, const std::string& location) {
        m_gate.Pass();
        AddOkRow(url, location);
    });
    Start(L"http://site/");
    ASSERT_TRUE(m_gate.WaitForWaiting(1, kScanDeadline));
    EXPECT_TRUE(TheScanState().scanRunning);
    Start(L"http://other/");
    EXPECT_EQ(m_window.Messages().size(), 1u);

    StopScan();
    EXPECT_FALSE(TheScanState().scanRunning);
    EXPECT_EQ(m_window.Look(), StartButtonLook::kStart);
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 0, errors: 0");
    Start(L"http://other/");
    EXPECT_EQ(m_window.Messages().size(), 2u);

    // The check already past its test of the flag still adds its row, and the
    // scan thread shows the totals again when it ends.
    m_gate.Open();
    WaitForScanEnd();
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 1, errors: 0");

    Start(L"http://other/");
    WaitForScanEnd();
    EXPECT_EQ(m_window.Messages().size(), 2u);
    EXPECT_EQ(m_window.Rows().front().link, L"http://other/");
    EXPECT_EQ(m_window.RowCount(), 1);
}

TEST_F(ScanControl, WorkerThatCannotBeCreatedIsRetriedThenReported) {
    std::atomic<unsigned> starts{0};
    std::atomic<unsigned> refusals{0};
    // The scan thread and the start page's worker start; the worker for
    // /late is refused three times and then starts; /never is always refused.
    TheScanSeams().startThread = [&](std::function<void()> body) {
        const unsigned n = ++starts;
        if (n > 2 && refusals < 3) {
            ++refusals;
            return false;
        }
        if (n > 2 + 3 + 1) return false;
        return StartDetachedThread(std::move(body));
    };
    OnFetch([](const std::string& url, const std::string& location) {
        if (url == "http://site/") {
            EnqueueLink("http://site/late", "http://site/:2");
            EnqueueLink("http://site/never", "http://site/:3");
        }
        AddOkRow(url, location);
    });
    ScanAndWait(L"http://site/");
    const std::vector<ResultRow> rows = m_window.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].link, L"http://site/late");
    EXPECT_EQ(rows[2],
              (ResultRow{L"http://site/never", L"Check not started: can't create a thread.",
                         L"http://site/:3", ResultIcon::kError}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 3, errors: 1");
}

TEST_F(ScanControl, ScanThreadThatCannotBeCreatedLeavesTheStartLook) {
    TheScanSeams().startThread = [](std::function<void()>) { return false; };
    Start(L"http://site/");
    EXPECT_FALSE(IsScanThreadAlive());
    EXPECT_EQ(m_window.Look(), StartButtonLook::kStart);
    EXPECT_EQ(m_window.StatusText(), L"Ready");
    EXPECT_EQ(m_window.Messages(),
              (std::vector<std::pair<std::wstring, std::wstring>>{
                  {L"Skarnel", L"Can't start the scan: the system could not create a thread."}}));

    RestoreDefaultScanSeams();
    TheScanSeams().pauseDivisor = kTestPauseDivisor;
    OnFetch(AddOkRow);
    ScanAndWait(L"http://site/");
    EXPECT_EQ(m_window.RowCount(), 1);
}

TEST_F(ScanControl, FirstFourBytesChooseTheBranch) {
    std::vector<std::wstring> localPaths;
    TheScanSeams().runLocalScan = [&] { localPaths.push_back(TheScanState().startPath); };
    OnFetch(AddOkRow);
    for (const wchar_t* path : {L"HTTP://site/", L"", L"htt", L"/srv/site/index.html",
                                L"https://x/", L"httpd.html", L"http://\u0416\u00E9/"}) {
        ScanAndWait(path);
    }
    EXPECT_EQ(localPaths,
              (std::vector<std::wstring>{L"HTTP://site/", L"", L"htt", L"/srv/site/index.html"}));
    EXPECT_EQ(SortedFetches(), (std::vector<Pair>{{"http://?\xE9/", "http://?\xE9/"},
                                                  {"httpd.html", "httpd.html"},
                                                  {"https://x/", "https://x/"}}));
}

TEST_F(ScanControl, ExceptionInACheckBecomesTheLinksRow) {
    OnFetch([](const std::string&, const std::string&) { throw std::runtime_error("boom"); });
    ScanAndWait(L"http://site/");
    EXPECT_EQ(m_window.Rows(), (std::vector<ResultRow>{{L"http://site/", L"Check failed: boom",
                                                        L"http://site/", ResultIcon::kError}}));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 1, errors: 1");
}

TEST_F(ScanControl, WithTheNormalPausesAScanEndsNoEarlierThanThreeSeconds) {
    TheScanSeams().pauseDivisor = 1;
    OnFetch(AddOkRow);
    const auto began = std::chrono::steady_clock::now();
    ScanAndWait(L"http://site/");
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_GE(took, 3000ms);
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 1, errors: 0");
}

TEST(CheckingStatusText, IsCutToItsBuffer) {
    EXPECT_EQ(CheckingStatusText(L"http://a/"), L"Checking http://a/...");
    const std::wstring text = CheckingStatusText(std::wstring(5000, L'x'));
    EXPECT_EQ(text.size(), 1023u);
    EXPECT_TRUE(text.starts_with(L"Checking xxx"));
}

}  // namespace
