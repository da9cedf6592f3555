// The real window after scans of the sample site: the Show filter from the
// toolbar and the View menu, sorting, saving and "Edit file" on what it
// shows, the rows per icon in the status bar, and the rows' context menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTreeView>
#include <set>

#include "engine/result_filter.h"
#include "engine/results_export.h"
#include "platform/text_codec.h"
#include "resources/skarnel/skarnel_resources.h"
#include "ui/framework/qt_text.h"
#include "ui/skarnel/dlg_main.h"
#include "ui/skarnel/main_window_fixture.h"
#include "ui/skarnel/results_model.h"

namespace {

using MainWindowFilter = MainWindowFixture;
using MainWindowRowMenu = MainWindowEditFileFixture;

const std::wstring kSite = Widen(SKARNEL_SAMPLE_SITE);

void ScanSampleSite(CDlgMain& window) {
    window.Item<QLineEdit>(kIdPathField)->setText(ToQString(kSite + L"/index.html"));
    window.SendCommand(kIdStartCommand);
}

// The Link column of the rows the table shows, top to bottom.
std::vector<std::wstring> ShownLinks(const QTreeView& table) {
    std::vector<std::wstring> links;
    for (int row = 0; row < table.model()->rowCount(); ++row) {
        links.push_back(ToWString(table.model()->index(row, 0).data().toString()));
    }
    return links;
}

std::vector<std::wstring> LinksOf(const std::vector<ResultRow>& rows) {
    std::vector<std::wstring> links;
    for (const ResultRow& row : rows) links.push_back(row.link);
    return links;
}

// The sample site's error rows in the order of their Location texts.
std::vector<ResultRow> ErrorRowsByLocation() {
    const std::vector<ResultRow> rows = SampleSiteRows(kSite);
    return {rows[10], rows[11], rows[9], rows[7], rows[4]};
}

// A right click on a cell, as the user selects a row and asks for its menu.
void RightClickCell(QTreeView& table, int row, int column) {
    const QPoint inside = table.visualRect(table.model()->index(row, column)).center();
    QTest::mouseClick(table.viewport(), Qt::RightButton, {}, inside);
    QContextMenuEvent request(QContextMenuEvent::Mouse, inside,
                              table.viewport()->mapToGlobal(inside));
    QApplication::sendEvent(table.viewport(), &request);
}

void ClickMenuEntry(QMenu& menu, QAction* entry) {
    ASSERT_TRUE(menu.isVisible());
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(entry).center());
}

}  // namespace

TEST_F(MainWindowFilter, ErrorsOnlyAreShownSortedSavedAndCountedAfterARealScan) {
    ScanSampleSite(*m_window);
    ASSERT_TRUE(WaitForScanEnd());
    EXPECT_EQ(m_window->IconCountsFieldText(), L"OK 6 \u00B7 Errors 5 \u00B7 Skipped 2");
    EXPECT_EQ(m_window->StatusText(), L"Total links found: 13, errors: 5");

    // "Errors" from the toolbar's Show choice; the View menu follows.
    QComboBox* choice = m_window->FilterChoice();
    ASSERT_NE(choice, nullptr);
    QTest::keyClick(choice, Qt::Key_Down);
    EXPECT_EQ(choice->currentText(), QStringLiteral("Errors"));
    EXPECT_TRUE(m_window->MenuAction(kIdShowErrors)->isChecked());
    EXPECT_FALSE(m_window->MenuAction(kIdShowAll)->isChecked());
    QTreeView* table = m_window->ResultsTable();
    ClickHeader(table, 2);
    const std::vector<ResultRow> errorsByLocation = ErrorRowsByLocation();
    EXPECT_EQ(ShownLinks(*table), LinksOf(errorsByLocation));
    EXPECT_EQ(m_window->IconCountsFieldText(), L"OK 6 \u00B7 Errors 5 \u00B7 Skipped 2");

    m_dialogs.AnswerNextFileDialog(m_appData.WidePathOf("errors.csv"));
    m_window->MenuAction(kIdSaveResults)->trigger();
    ASSERT_EQ(m_dialogs.FileDialogs().size(), 1u);
    EXPECT_EQ(m_dialogs.FileDialogs()[0].request.title,
              L"Save results (errors only: 5 of 13 rows)");
    EXPECT_EQ(m_appData.Read("errors.csv"), ResultsAsCsv(errorsByLocation));

    // Ctrl+1 shows every row again, and Save results writes them all.
    QTest::keyClick(m_window.get(), Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(choice->currentText(), QStringLiteral("All"));
    EXPECT_EQ(ShownLinks(*table), LinksOf(m_window->Rows()));
    m_dialogs.AnswerNextFileDialog(m_appData.WidePathOf("all.csv"));
    m_window->SendCommand(kIdSaveResults);
    EXPECT_EQ(m_dialogs.FileDialogs()[1].request.title, L"Save results (all 13 rows)");
    EXPECT_EQ(m_appData.Read("all.csv"), ResultsAsCsv(m_window->Rows()));
}

TEST_F(MainWindowFilter, RowsOfARunningScanArriveFilteredAndTheFilterStaysForTheNextScan) {
    const std::vector<ResultRow> rows = SampleSiteRows(kSite);
    // Window shortcuts reach the active window only.
    ASSERT_TRUE(ServeEventsUntil([&] { return m_window->isActiveWindow(); }));
    QTest::keyClick(m_window.get(), Qt::Key_3, Qt::ControlModifier);
    ASSERT_TRUE(m_window->MenuAction(kIdShowSkipped)->isChecked());
    FakeLocalScan(rows, /*hold=*/true);
    ScanSampleSite(*m_window);
    QTreeView* table = m_window->ResultsTable();
    ASSERT_TRUE(ServeEventsUntil([&] { return m_window->ResultsModel()->rowCount() == 13; }));
    EXPECT_EQ(ShownLinks(*table), (std::vector<std::wstring>{L"http://127.0.0.2/orders/cakes",
                                                             L"http://127.0.0.2/orders/"}));
    EXPECT_EQ(m_window->IconCountsFieldText(), L"OK 6 \u00B7 Errors 5 \u00B7 Skipped 2");
    ReleaseScan();
    ASSERT_TRUE(WaitForScanEnd());

    // The next scan starts from an empty table and counts anew, still filtered.
    FakeLocalScan({rows[0], rows[4]}, /*hold=*/true);
    ScanSampleSite(*m_window);
    ASSERT_TRUE(ServeEventsUntil([&] { return m_window->ResultsModel()->rowCount() == 2; }));
    EXPECT_EQ(m_window->IconCountsFieldText(), L"OK 1 \u00B7 Errors 1 \u00B7 Skipped 0");
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_EQ(m_window->FilterChoice()->currentText(), QStringLiteral("Skipped"));
    QTest::keyClick(m_window.get(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(ShownLinks(*table), (std::vector<std::wstring>{rows[4].link}));
    ReleaseScan();
    ASSERT_TRUE(WaitForScanEnd());
}

TEST_F(MainWindowFilter, EveryShortcutOfTheWindowIsItsOwn) {
    // Two actions on one key would leave both dead: Qt calls it ambiguous.
    std::set<QString> keys;
    for (const QAction* action : m_window->findChildren<QAction*>()) {
        if (action->shortcut().isEmpty()) continue;
        EXPECT_TRUE(keys.insert(action->shortcut().toString()).second)
            << action->shortcut().toString().toStdString();
    }
    EXPECT_EQ(keys, (std::set<QString>{"Ctrl+1", "Ctrl+2", "Ctrl+3", "Ctrl+4", "Ctrl+C"}));
}

TEST_F(MainWindowRowMenu, CopiesAndEditsTheRightRowOfAFilteredSortedTable) {
    ScanSampleSite(*m_window);
    ASSERT_TRUE(WaitForScanEnd());
    m_window->SetResultFilter(ResultFilter::kErrors);
    QTreeView* table = m_window->ResultsTable();
    ClickHeader(table, 2);
    QMenu* menu = m_window->RowMenu();
    for (const int command : {kIdCopyLink, kIdCopyRow, kIdOpenLink, kIdEditCommand}) {
        EXPECT_FALSE(m_window->MenuAction(command)->isEnabled()) << command;
    }

    // Row 2 shown: menu/sourdough.png, found at menu/breads.html:13.
    const ResultRow sourdough = ErrorRowsByLocation()[2];
    ASSERT_EQ(sourdough.link, kSite + L"/menu/sourdough.png");
    RightClickCell(*table, 2, 2);
    ASSERT_TRUE(ServeEventsUntil([&] { return menu->isVisible(); }));
    EXPECT_TRUE(m_window->MenuAction(kIdCopyRow)->isEnabled());
    EXPECT_FALSE(m_window->MenuAction(kIdOpenLink)->isEnabled()) << "the file is missing";
    ClickMenuEntry(*menu, m_window->MenuAction(kIdCopyRow));
    QClipboard* clipboard = QGuiApplication::clipboard();
    EXPECT_EQ(ToWString(clipboard->text()),
              sourdough.link + L"\tCan't open file\t" + kSite + L"/menu/breads.html:13");

    // Ctrl+C in the table copies the link, though the Location cell was clicked.
    table->setFocus();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ToWString(clipboard->text()), sourdough.link);

    RightClickCell(*table, 2, 0);
    ASSERT_TRUE(ServeEventsUntil([&] { return menu->isVisible(); }));
    ClickMenuEntry(*menu, m_window->MenuAction(kIdEditCommand));
    EXPECT_EQ(m_record.Read("record"),
              EditorRecordOf(std::string(SKARNEL_SAMPLE_SITE) + "/menu/breads.html", 13));
    EXPECT_TRUE(m_dialogs.Messages().empty());
}
