// The main window's resize rules, on exact rectangles.
#include "ui/skarnel/main_window_layout.h"

#include <gtest/gtest.h>

namespace {

const MainWindowLayout kTemplateLayout{
    QRect(57, 57, 660, 23),    // Path field
    QRect(722, 57, 32, 23),    // browse button
    QRect(11, 102, 745, 296),  // results table
    QRect(0, 405, 767, 22),    // status bar, as created
};

}  // namespace

TEST(LayOutMainWindow, WideningFollowsTheRightAndBottomEdges) {
    const MainWindowLayout next = LayOutMainWindow(kTemplateLayout, 1000, 600);
    // Browse button: same size and top, right edge at cx - 4.
    EXPECT_EQ(next.browseButton, QRect(1000 - 4 - 32, 57, 32, 23));
    // Path field: 4 pixels before the button.
    EXPECT_EQ(next.pathField, QRect(57, 57, 1000 - 32 - 8 - 57, 23));
    EXPECT_EQ(next.pathField.right() + 1 + 4, next.browseButton.left());
    // Status bar: bottom at cy - 3, right at cx - 3, height kept.
    EXPECT_EQ(next.statusBar, QRect(0, 600 - 22 - 3, 997, 22));
    // Table: right at cx - 8, bottom one pixel above the status bar.
    EXPECT_EQ(next.resultsTable, QRect(11, 102, 1000 - 8 - 11, 600 - 22 - 4 - 102));
    EXPECT_EQ(next.resultsTable.bottom() + 2, next.statusBar.top());
}

TEST(LayOutMainWindow, ShrinkingBelowTheControlsIsNotPrevented) {
    // No minimum size: the rectangles may end up empty, never with a moved left or top edge.
    const MainWindowLayout next = LayOutMainWindow(kTemplateLayout, 60, 90);
    EXPECT_EQ(next.pathField.left(), 57);
    EXPECT_EQ(next.pathField.width(), 60 - 32 - 8 - 57);
    EXPECT_EQ(next.resultsTable.topLeft(), QPoint(11, 102));
    EXPECT_EQ(next.resultsTable.height(), 90 - 22 - 4 - 102);
    EXPECT_EQ(next.statusBar.top(), 90 - 25);
}

TEST(LayOutMainWindow, StatusBarStartsAlongTheWholeBottomEdge) {
    EXPECT_EQ(InitialStatusBarRect(767, 427, 22), QRect(0, 405, 767, 22));
}
