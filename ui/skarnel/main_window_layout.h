// Where the main window's resizable controls go when its client area changes
// size. Only four controls follow the edges: the Path field and its browse
// button, the results table and the status bar; the rest stay where the
// template put them.
#pragma once

#include <QRect>

struct MainWindowLayout {
    QRect pathField;
    QRect browseButton;
    QRect resultsTable;
    QRect statusBar;

    bool operator==(const MainWindowLayout&) const = default;
};

// The layout for a client area of cx by cy pixels, from the current one:
// the browse button keeps its size 4 pixels from the right edge, the Path
// field stretches up to 4 pixels before it, the status bar keeps its height
// 3 pixels inside the bottom and right edges, and the table fills the width
// down to one pixel above the status bar.
[[nodiscard]] MainWindowLayout LayOutMainWindow(const MainWindowLayout& current, int cx, int cy);

// Where the status bar places itself when it is created: along the whole
// bottom edge of a client area cx by cy, at its own height.
[[nodiscard]] QRect InitialStatusBarRect(int cx, int cy, int height);
