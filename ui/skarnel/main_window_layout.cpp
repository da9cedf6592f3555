// The main window's resize rules.
#include "ui/skarnel/main_window_layout.h"

namespace {

// A rectangle from its left, top, right and bottom edges, each exclusive of
// the pixel past it, the way window rectangles are given.
QRect FromEdges(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace

MainWindowLayout LayOutMainWindow(const MainWindowLayout& current, int cx, int cy) {
    MainWindowLayout next = current;

    const int browseWidth = current.browseButton.width();
    next.browseButton.moveLeft(cx - 4 - browseWidth);

    const QRect& path = current.pathField;
    next.pathField =
        FromEdges(path.left(), path.top(), cx - browseWidth - 8, path.top() + path.height());

    const int statusHeight = current.statusBar.height();
    next.statusBar = FromEdges(current.statusBar.left(), cy - statusHeight - 3, cx - 3, cy - 3);

    const QRect& table = current.resultsTable;
    next.resultsTable = FromEdges(table.left(), table.top(), cx - 8, cy - statusHeight - 4);
    return next;
}

QRect InitialStatusBarRect(int cx, int cy, int height) { return QRect(0, cy - height, cx, height); }
