// How fast rows from a scan thread reach the real Skarnel window (offscreen),
// and how long a real local scan of a generated site takes in the window
// until its last row is in the table: beside BM_LocalScan's skarnel-cli run
// of the same site in scan_end_to_end_bench.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/site_generator.h"
#include "engine/main_window_record.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "platform/environment.h"
#include "platform/text_codec.h"
#include "resources/skarnel/skarnel_ids.h"
#include "testing/temp_folder.h"
#include "ui/skarnel/dlg_main.h"

namespace {

void BM_RowsFromAScanThread(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    CDlgMain window;
    window.Create();
    window.show();
    for (auto _ : state) {
        window.DeleteAllRows();
        std::atomic<bool> done{false};
        std::thread scan([&] {
            for (int i = 0; i < rows; ++i) {
                window.AppendRow(ResultRow{L"http://127.0.0.1/page" + std::to_wstring(i) + L".html",
                                           L"200 OK", L"http://127.0.0.1/index.html:12",
                                           ResultIcon::kOk});
            }
            done = true;
        });
        while (!done) QApplication::processEvents(QEventLoop::AllEvents, 5);
        scan.join();
        // The last rows wait a moment to be shown with the stream: show them.
        benchmark::DoNotOptimize(window.Rows().size());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_RowsFromAScanThread)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// A local scan started in the window with skarnel-cli's bench options
// (no images, no other tags, no web links), timed from Start until the scan
// has ended and the table holds every row.
void BM_WindowLocalScan(benchmark::State& state) {
    const SitePlan plan = PlanSite(SiteShape{static_cast<std::size_t>(state.range(0))});
    const TempFolder folder;
    if (!WriteSite(plan, folder.Path())) {
        state.SkipWithError("could not write the site");
        return;
    }
    const std::size_t rows = plan.pages.size() + plan.brokenTargets;
    CDlgMain window;
    window.Create();
    window.show();
    ScanOptions& options = window.Options();
    options.checkImages = 0;
    options.checkAllTags = 0;
    options.checkExternalUrls = 0;
    window.Item<QLineEdit>(kIdPathField)
        ->setText(QString::fromStdString((folder.Path() / plan.pages[0].path).string()));
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        StartScan();
        while (IsScanThreadAlive() || window.Rows().size() < rows) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (window.Rows().size() != rows) {
            state.SkipWithError("the table does not hold the scan's rows");
            return;
        }
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_WindowLocalScan)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The generated sites live in memory, as in scan_end_to_end_bench, and
    // no saved options reach the window.
    if (!GetEnvironmentText("TMPDIR") && std::filesystem::is_directory("/dev/shm"))
        SetEnvironmentText("TMPDIR", L"/dev/shm");
    const TempFolder appData;
    SetEnvironmentText("APPDATA", appData.WidePath());
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    mainWindow = nullptr;
    return 0;
}
