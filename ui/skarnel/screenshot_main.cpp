// skarnel-screenshot: renders the real Skarnel window after a scan of a site
// to a PNG, for the picture in the README. Run it through scripts/screenshot,
// which gives it the offscreen platform and a configuration folder of its own.
// --show picks the rows shown (as the View menu does); --row-menu opens the
// selected row's context menu, --view-menu the View menu, and draws it into
// the picture.
//
//   skarnel-screenshot [--show=all|errors|skipped|ok] [--row-menu | --view-menu]
//                      <start path> <output.png>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/result_filter.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "resources/skarnel/skarnel_ids.h"
#include "ui/skarnel/dlg_main.h"
#include "ui/skarnel/results_model.h"

namespace {

constexpr qint64 kScanDeadlineMs = 60000;
// The row the picture shows selected, or the last one when there are fewer.
constexpr int kSelectedRow = 4;

struct ScreenshotRequest {
    ResultFilter filter = ResultFilter::kAll;
    bool rowMenu = false;
    bool viewMenu = false;
    const char* startPath = nullptr;
    const char* outputPath = nullptr;
};

std::optional<ResultFilter> FilterNamed(std::string_view name) {
    for (const ResultFilter filter : kResultFilters) {
        std::wstring wide = ResultFilterName(filter);
        std::string lower(wide.begin(), wide.end());
        for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (lower == name) return filter;
    }
    return std::nullopt;
}

std::optional<ScreenshotRequest> ReadArguments(int argc, char** argv) {
    ScreenshotRequest request;
    std::vector<const char*> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--row-menu") {
            request.rowMenu = true;
        } else if (argument == "--view-menu") {
            request.viewMenu = true;
        } else if (argument.starts_with("--show=")) {
            const std::optional<ResultFilter> filter = FilterNamed(argument.substr(7));
            if (!filter) return std::nullopt;
            request.filter = *filter;
        } else {
            paths.push_back(argv[i]);
        }
    }
    if (paths.size() != 2) return std::nullopt;
    request.startPath = paths[0];
    request.outputPath = paths[1];
    return request;
}

// Until the scan has ended and the table shows and has painted its last rows
// (it holds both back for a moment after rows arrive).
bool ServeEventsUntilScanShown(CDlgMain& window) {
    const QTreeView& table = *window.ResultsTable();
    QElapsedTimer timer;
    timer.start();
    while (IsScanThreadAlive() || !table.updatesEnabled() ||
           window.ResultsModel()->rowCount() != window.RowCount()) {
        if (timer.elapsed() > kScanDeadlineMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Opens the context menu of the selected row as a right click would, and
// waits until it shows.
QMenu* OpenRowMenu(CDlgMain& window, int row) {
    QTreeView* table = window.ResultsTable();
    const QPoint inside = table->visualRect(table->model()->index(row, 0)).center();
    QContextMenuEvent request(QContextMenuEvent::Mouse, inside,
                              table->viewport()->mapToGlobal(inside));
    QApplication::sendEvent(table->viewport(), &request);
    QApplication::processEvents();
    return window.RowMenu();
}

// Opens the menu bar's View menu below its title.
QMenu* OpenViewMenu(CDlgMain& window) {
    QMenuBar* bar = window.MenuBar();
    for (QAction* title : bar->actions()) {
        if (title->text() != QStringLiteral("View")) continue;
        title->menu()->popup(bar->mapToGlobal(bar->actionGeometry(title).bottomLeft()));
        QApplication::processEvents();
        return title->menu();
    }
    return nullptr;
}

// The window as it looks, with an open pop-up menu drawn where it lies.
QPixmap GrabWindow(CDlgMain& window, QMenu* menu) {
    QPixmap picture = window.grab();
    if (menu != nullptr && menu->isVisible()) {
        QPainter painter(&picture);
        painter.drawPixmap(menu->pos() - window.mapToGlobal(QPoint(0, 0)), menu->grab());
    }
    return picture;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::optional<ScreenshotRequest> request = ReadArguments(argc, argv);
    if (!request) {
        std::fprintf(
            stderr,
            "usage: skarnel-screenshot [--show=all|errors|skipped|ok] [--row-menu | --view-menu] "
            "<start path> <output.png>\n");
        return 2;
    }
    CDlgMain window;
    window.Create();
    window.show();
    window.SetResultFilter(request->filter);
    window.Item<QLineEdit>(kIdPathField)->setText(QString::fromLocal8Bit(request->startPath));
    window.SendCommand(kIdStartCommand);
    if (!ServeEventsUntilScanShown(window)) {
        std::fprintf(stderr, "skarnel-screenshot: the scan did not end in time\n");
        StopScan();
        return 1;
    }
    // A selected row shows how the table marks the row "Edit file" works on.
    QTreeView* table = window.ResultsTable();
    const int selected = std::min(kSelectedRow, table->model()->rowCount() - 1);
    table->setCurrentIndex(table->model()->index(selected, 0));
    QApplication::processEvents();
    QMenu* menu = request->rowMenu    ? OpenRowMenu(window, selected)
                  : request->viewMenu ? OpenViewMenu(window)
                                      : nullptr;
    if (!GrabWindow(window, menu).save(QString::fromLocal8Bit(request->outputPath), "PNG")) {
        std::fprintf(stderr, "skarnel-screenshot: can't write %s\n", request->outputPath);
        return 1;
    }
    return 0;
}
