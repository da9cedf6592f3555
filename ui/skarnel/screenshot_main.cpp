// skarnel-screenshot: renders the real Skarnel window after a scan of a site
// to a PNG, for the picture in the README. Run it through scripts/screenshot,
// which gives it the offscreen platform and a configuration folder of its own.
//
//   skarnel-screenshot <start path> <output.png>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QTreeView>
#include <cstdio>

#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "resources/skarnel/skarnel_ids.h"
#include "ui/skarnel/dlg_main.h"

namespace {

constexpr qint64 kScanDeadlineMs = 60000;

// Until the scan has ended and the table shows and has painted its last rows
// (it holds both back for a moment after rows arrive).
bool ServeEventsUntilScanShown(CDlgMain& window) {
    const QTreeView& table = *window.ResultsTable();
    QElapsedTimer timer;
    timer.start();
    while (IsScanThreadAlive() || !table.updatesEnabled() ||
           table.model()->rowCount() != window.RowCount()) {
        if (timer.elapsed() > kScanDeadlineMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: skarnel-screenshot <start path> <output.png>\n");
        return 2;
    }
    CDlgMain window;
    window.Create();
    window.show();
    window.Item<QLineEdit>(kIdPathField)->setText(QString::fromLocal8Bit(argv[1]));
    window.SendCommand(kIdStartCommand);
    if (!ServeEventsUntilScanShown(window)) {
        std::fprintf(stderr, "skarnel-screenshot: the scan did not end in time\n");
        StopScan();
        return 1;
    }
    // A selected row shows how the table marks the row "Edit file" works on.
    QTreeView* table = window.ResultsTable();
    table->setCurrentIndex(table->model()->index(4, 0));
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "skarnel-screenshot: can't write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
