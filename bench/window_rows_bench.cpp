// How fast rows from a scan thread reach the real Skarnel window (offscreen):
// each row is a synchronous call the UI thread carries out, so the window's
// own cost per row bounds how fast a scan can run in the window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <atomic>
#include <string>
#include <thread>

#include "engine/main_window_record.h"
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

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    mainWindow = nullptr;
    return 0;
}
