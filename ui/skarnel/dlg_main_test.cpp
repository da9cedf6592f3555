// The Skarnel window, real and offscreen: its start state, keys, resizing,
// scans from the toolbar and the hidden button, the status texts, sorting,
// saving, browsing, rows from many threads, a web scan, About and the ways
// out.
#include "ui/skarnel/dlg_main.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

#include "engine/results_export.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/scan_seams.h"
#include "engine/scan_state.h"
#include "platform/environment.h"
#include "platform/text_codec.h"
#include "resources/skarnel/skarnel_resources.h"
#include "testing/loopback_address.h"
#include "testing/scripted_http_server.h"
#include "ui/framework/qt_text.h"
#include "ui/framework/run_on_ui_thread.h"
#include "ui/skarnel/bitmap_button.h"
#include "ui/skarnel/main_window_fixture.h"
#include "ui/skarnel/toolbar.h"

namespace {

using MainWindow = MainWindowFixture;

const std::vector<ResultRow> kSiteRows{
    {L"/site/index.html", L"OK", L"/site/index.html", ResultIcon::kOk},
    {L"/site/about.html", L"OK", L"/site/index.html:7", ResultIcon::kOk},
    {L"/site/missing.html", L"Can't open file", L"/site/index.html:9", ResultIcon::kError},
    {L"http://example.test/", L"Absolute URL - skipped", L"/site/about.html:3",
     ResultIcon::kSkipped},
};

QString FieldText(const CDlgMain& window, int id) { return window.Item<QLineEdit>(id)->text(); }

void TriggerToolBarButton(CDlgMain& window, int command) {
    QAction* action = window.ToolBar()->ActionFor(command);
    ASSERT_NE(action, nullptr);
    QTest::mouseClick(window.ToolBar()->widgetForAction(action), Qt::LeftButton);
}

std::vector<std::wstring> Column(const std::vector<ResultRow>& rows, int column) {
    std::vector<std::wstring> texts;
    for (const ResultRow& row : rows) texts.push_back(ColumnText(row, column));
    return texts;
}

}  // namespace

TEST_F(MainWindow, OpensReadyWithTheExamplePathAndTheResultColumns) {
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Skarnel"));
    EXPECT_EQ(m_window->StatusText(), L"Ready");
    EXPECT_EQ(ToWString(FieldText(*m_window, kIdPathField)), kExampleSiteAddress);
    EXPECT_EQ(mainWindow, m_window.get());
    EXPECT_EQ(m_window->focusWidget(), m_window->GetDlgItem(kIdPathField));

    QTreeView* table = m_window->ResultsTable();
    QAbstractItemModel* model = table->model();
    ASSERT_EQ(model->columnCount(), 3);
    const std::vector<std::pair<QString, int>> expected{
        {"Link", 350}, {"State", 180}, {"Location (file:line)", 350}};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(), expected[column].first);
        EXPECT_EQ(table->columnWidth(column), expected[column].second);
    }
    EXPECT_EQ(table->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);

    for (const auto& [id, bitmap] : std::map<int, int>{{kIdStartButton, kIdStartBitmap},
                                                       {kIdOptionsButton, kIdOptionsBitmap},
                                                       {kIdEditFileButton, kIdEditFileBitmap}}) {
        auto* button = m_window->Item<CBitmapButton>(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_FALSE(button->isVisible()) << id;
        EXPECT_EQ(button->Bitmap(), bitmap) << id;
    }
}

TEST_F(MainWindow, EnterAndEscapeNeitherScanNorClose) {
    bool scanned = false;
    TheScanSeams().runLocalScan = [&scanned] { scanned = true; };
    QWidget* path = m_window->GetDlgItem(kIdPathField);
    path->setFocus();
    QTest::keyClick(path, Qt::Key_Return);
    QTest::keyClick(path, Qt::Key_Enter);
    QTest::keyClick(path, Qt::Key_Escape);
    QTest::keyClick(m_window->ResultsTable(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(m_window->HasEnded());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(IsScanThreadAlive());
    EXPECT_FALSE(scanned);
    EXPECT_EQ(m_window->StatusText(), L"Ready");
}

TEST_F(MainWindow, ResizingMovesExactlyThePathBrowseTableAndStatusBar) {
    std::map<QWidget*, QRect> before;
    for (QWidget* child :
         m_window->ClientArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        before[child] = child->geometry();
    }
    QWidget* path = m_window->GetDlgItem(kIdPathField);
    QWidget* browse = m_window->GetDlgItem(kIdBrowseButton);
    QWidget* table = m_window->ResultsTable();
    QWidget* status = m_window->StatusBar();

    m_window->resize(m_window->size() + QSize(240, 130));
    QApplication::processEvents();
    const int cx = m_window->ClientArea()->width();
    const int cy = m_window->ClientArea()->height();

    EXPECT_EQ(browse->geometry(), QRect(cx - 4 - before[browse].width(), before[browse].top(),
                                        before[browse].width(), before[browse].height()));
    EXPECT_EQ(path->geometry().left(), before[path].left());
    EXPECT_EQ(path->geometry().right() + 1, cx - before[browse].width() - 8);
    const int h = before[status].height();
    EXPECT_EQ(status->geometry(),
              QRect(before[status].left(), cy - h - 3, cx - 3 - before[status].left(), h));
    EXPECT_EQ(table->geometry().topLeft(), before[table].topLeft());
    EXPECT_EQ(table->geometry().right() + 1, cx - 8);
    EXPECT_EQ(table->geometry().bottom() + 1, cy - h - 4);

    for (const auto& [child, rect] : before) {
        if (child == path || child == browse || child == table || child == status) continue;
        EXPECT_EQ(child->geometry(), rect) << child->metaObject()->className();
    }
}

TEST_F(MainWindow, StartFromTheToolBarScansTheSampleSiteIntoTheTableInOrder) {
    const std::wstring site = Widen(SKARNEL_SAMPLE_SITE);
    m_window->Item<QLineEdit>(kIdPathField)->setText(ToQString(site + L"/index.html"));
    TriggerToolBarButton(*m_window, kIdStartCommand);
    ASSERT_TRUE(WaitForScanEnd());
    EXPECT_EQ(m_window->Rows(), SampleSiteRows(site));
    EXPECT_EQ(m_window->StatusText(), L"Total links found: 13, errors: 5");
    EXPECT_EQ(m_window->PathText(), site + L"/index.html");
    EXPECT_EQ(m_window->StartButton()->Bitmap(), kIdStartBitmap);
    EXPECT_EQ(m_window->StartButton()->text(), QStringLiteral("Start"));
}

TEST_F(MainWindow, StartFromTheHiddenButtonReplacesTheLastScansRows) {
    const std::wstring site = Widen(SKARNEL_SAMPLE_SITE);
    m_window->Item<QLineEdit>(kIdPathField)->setText(ToQString(site + L"/index.html"));
    m_window->StartButton()->click();
    ASSERT_TRUE(WaitForScanEnd());
    m_window->StartButton()->click();
    ASSERT_TRUE(WaitForScanEnd());
    EXPECT_EQ(m_window->Rows(), SampleSiteRows(site));
    EXPECT_EQ(m_window->StatusText(), L"Total links found: 13, errors: 5");
}

TEST_F(MainWindow, StatusAndStartButtonFollowAScanThroughStartAgainAndStop) {
    FakeLocalScan({kSiteRows[0], kSiteRows[2]}, /*hold=*/true);
    m_window->Item<QLineEdit>(kIdPathField)->setText("/site/index.html");
    m_window->SendCommand(kIdStartCommand);
    ASSERT_TRUE(ServeEventsUntil([&] { return m_window->Rows().size() == 2; }));
    EXPECT_EQ(m_window->StatusText(), L"Checking /site/index.html...");
    EXPECT_EQ(m_window->StartButton()->Bitmap(), kIdStopBitmap);
    EXPECT_EQ(m_window->StartButton()->text(), QStringLiteral("Stop"));

    m_window->SendCommand(kIdStartCommand);
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    EXPECT_EQ(m_dialogs.Messages()[0],
              (RecordedMessage{L"Scan process is in progress.", L"Skarnel", MessageIcon::kNone}));
    EXPECT_EQ(m_window->Rows().size(), 2u);

    TriggerToolBarButton(*m_window, kIdStopCommand);
    EXPECT_EQ(m_window->StatusText(), L"Total links found: 2, errors: 1");
    EXPECT_EQ(m_window->StartButton()->Bitmap(), kIdStartBitmap);
    ReleaseScan();
    ASSERT_TRUE(WaitForScanEnd());
    EXPECT_EQ(m_window->StatusText(), L"Total links found: 2, errors: 1");
}

TEST_F(MainWindow, HeaderClickSortsAscendingByCodeUnitsAndKeepsTheSelection) {
    const std::vector<std::wstring> states{L"OK",
                                           L"Empty file",
                                           L"Connection error. No response from server.",
                                           L"404 Not Found",
                                           L"Absolute URL - skipped",
                                           L"Can't open file",
                                           L"200 OK",
                                           L"Connection error. Can't create socket.",
                                           L"301 Moved Permanently => http://h/b/",
                                           L"Connection error. Can't connect to the server."};
    for (std::size_t i = 0; i < states.size(); ++i) {
        m_window->AppendRow(
            ResultRow{L"link" + std::to_wstring(i), states[i], L"loc", ResultIcon::kOk});
    }
    QTreeView* table = m_window->ResultsTable();
    table->setCurrentIndex(table->model()->index(3, 0));  // "404 Not Found"

    ClickHeader(table, 1);
    EXPECT_EQ(Column(m_window->Rows(), 1),
              (std::vector<std::wstring>{
                  L"200 OK", L"301 Moved Permanently => http://h/b/", L"404 Not Found",
                  L"Absolute URL - skipped", L"Can't open file",
                  L"Connection error. Can't connect to the server.",
                  L"Connection error. Can't create socket.",
                  L"Connection error. No response from server.", L"Empty file", L"OK"}));
    ASSERT_EQ(m_window->SelectedLocation(), std::optional<std::wstring>(L"loc"));
    EXPECT_EQ(table->selectionModel()->selectedRows().front().row(), 2);
    EXPECT_EQ(table->header()->sortIndicatorSection(), 1);

    // Every click sorts ascending again; "10" comes before "9", capitals before small letters.
    m_window->AppendRow(ResultRow{L"link10", L"zz", L"loc", ResultIcon::kOk});
    ClickHeader(table, 0);
    ClickHeader(table, 0);
    const std::vector<std::wstring> links = Column(m_window->Rows(), 0);
    EXPECT_EQ(links[1], L"link1");
    EXPECT_EQ(links[2], L"link10");
    EXPECT_EQ(links.back(), L"link9");
    EXPECT_EQ(table->header()->sortIndicatorSection(), 0);
    EXPECT_EQ(table->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    // A row that arrives afterwards goes to the end: the rows are no longer sorted.
    m_window->AppendRow(ResultRow{L"link11", L"OK", L"loc", ResultIcon::kOk});
    EXPECT_EQ(table->header()->sortIndicatorSection(), -1);
}

TEST_F(MainWindow, ANewScanLeavesNoCurrentRowToMarkAndNoSortArrow) {
    QTreeView* table = m_window->ResultsTable();
    const auto scan = [&] {
        FakeLocalScan({kSiteRows[0], kSiteRows[1]});
        m_window->SendCommand(kIdStartCommand);
        ASSERT_TRUE(WaitForScanEnd());
        // The user comes back to the table, as with Tab or a click on the window.
        m_window->GetDlgItem(kIdPathField)->setFocus();
        table->setFocus(Qt::TabFocusReason);
    };
    m_window->Item<QLineEdit>(kIdPathField)->setText("/site/index.html");
    scan();
    EXPECT_FALSE(table->currentIndex().isValid());
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualRect(table->model()->index(1, 0)).center());
    ClickHeader(table, 2);
    ASSERT_EQ(table->selectionModel()->selectedRows().size(), 1);
    ASSERT_EQ(table->header()->sortIndicatorSection(), 2);
    scan();
    EXPECT_FALSE(table->currentIndex().isValid());
    EXPECT_TRUE(table->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(table->header()->sortIndicatorSection(), -1);
}

TEST_F(MainWindow, SaveResultsWritesTheTableAsCsv) {
    for (const ResultRow& row : kSiteRows) m_window->AppendRow(row);
    m_window->AppendRow(
        ResultRow{L"http://h/a,b", L"404 Not Found", L"http://h/\"q\":2", ResultIcon::kError});
    const std::wstring target = m_appData.WidePathOf("results.csv");
    m_dialogs.AnswerNextFileDialog(target);
    m_window->MenuAction(kIdSaveResults)->trigger();

    ASSERT_EQ(m_dialogs.FileDialogs().size(), 1u);
    const RecordedFileDialog& asked = m_dialogs.FileDialogs()[0];
    EXPECT_EQ(asked.kind, FileDialogKind::kSave);
    EXPECT_EQ(asked.request.initialName, L"results.csv");
    EXPECT_TRUE(m_dialogs.Messages().empty());
    EXPECT_EQ(m_appData.Read("results.csv"), ResultsAsCsv(m_window->Rows()));
    EXPECT_NE(m_appData.Read("results.csv")
                  .find("\"http://h/a,b\",404 Not Found,\"http://h/\"\"q\"\":2\"\r\n"),
              std::string::npos);
}

TEST_F(MainWindow, SaveResultsThatCannotCreateTheFileSaysSoAndKeepsTheTable) {
    for (const ResultRow& row : kSiteRows) m_window->AppendRow(row);
    m_dialogs.AnswerNextFileDialog(m_appData.WidePathOf("no such folder/results.csv"));
    m_window->SendCommand(kIdSaveResults);
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    EXPECT_EQ(m_dialogs.Messages()[0].caption, L"Error");
    EXPECT_EQ(m_dialogs.Messages()[0].icon, MessageIcon::kError);
    EXPECT_EQ(m_window->Rows(), kSiteRows);

    // Cancelling the save dialog writes nothing and says nothing.
    m_window->SendCommand(kIdSaveResults);
    EXPECT_EQ(m_dialogs.Messages().size(), 1u);
}

TEST_F(MainWindow, BrowseReplacesThePathAndCancelKeepsIt) {
    m_dialogs.AnswerNextFileDialog(L"/srv/www/site/index.html");
    QTest::mouseClick(m_window->GetDlgItem(kIdBrowseButton), Qt::LeftButton);
    EXPECT_EQ(FieldText(*m_window, kIdPathField), QStringLiteral("/srv/www/site/index.html"));
    EXPECT_EQ(m_window->PathText(), L"/srv/www/site/index.html");

    m_dialogs.AnswerNextFileDialog(std::nullopt);
    m_window->SendCommand(kIdBrowseButton);
    EXPECT_EQ(FieldText(*m_window, kIdPathField), QStringLiteral("/srv/www/site/index.html"));

    ASSERT_EQ(m_dialogs.FileDialogs().size(), 2u);
    const FileDialogRequest& request = m_dialogs.FileDialogs()[0].request;
    EXPECT_EQ(m_dialogs.FileDialogs()[0].kind, FileDialogKind::kOpen);
    EXPECT_EQ(request.filters, (std::vector<FileFilter>{{L"All Files", L"*.*;*.*"}}));
    EXPECT_TRUE(request.fileMustExist);
    EXPECT_EQ(m_dialogs.FileDialogs()[0].owner, m_window.get());
}

TEST_F(MainWindow, RowsFromManyThreadsArriveInFullWhileTheUiThreadIsBusy) {
    constexpr int kThreads = 8;
    constexpr int kRowsEach = 150;
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([t, &finished] {
            for (int i = 0; i < kRowsEach; ++i) {
                const std::string n = std::to_string(t) + "/" + std::to_string(i);
                AddWebResult("http://h/" + n, i % 2 ? "404 Not Found" : "200 OK", "http://h/:" + n);
            }
            ++finished;
        });
    }
    // The UI thread is busy for a while and serves nothing meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(m_window->Rows().size(), 0u);
    // The threads hand their rows over without waiting for the window.
    ASSERT_TRUE(ServeEventsUntil([&] {
        return finished == kThreads &&
               m_window->Rows().size() == static_cast<std::size_t>(kThreads * kRowsEach);
    }));
    for (std::thread& worker : workers) worker.join();

    const std::vector<ResultRow> rows = m_window->Rows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kThreads * kRowsEach));
    std::vector<int> next(kThreads, 0);
    for (const ResultRow& row : rows) {
        const std::wstring n = row.link.substr(std::wstring(L"http://h/").size());
        const int t = std::stoi(n);
        const int i = std::stoi(n.substr(n.find(L'/') + 1));
        EXPECT_EQ(i, next[t]++) << "rows of one thread arrive in the order it added them";
        EXPECT_EQ(row.location, L"http://h/:" + n);
        EXPECT_EQ(row.state, i % 2 ? L"404 Not Found" : L"200 OK");
        EXPECT_EQ(row.icon, i % 2 ? ResultIcon::kError : ResultIcon::kOk);
    }
    // Painting is only held back for a moment, never left off.
    EXPECT_TRUE(ServeEventsUntil([&] { return m_window->ResultsTable()->updatesEnabled(); },
                                 std::chrono::seconds(2)));
}

TEST_F(MainWindow, ExitAndCloseReadThePathAndEndTheWindow) {
    m_window->Item<QLineEdit>(kIdPathField)->setText("/typed/path.html");
    m_window->MenuAction(kIdExit)->trigger();
    EXPECT_TRUE(m_window->HasEnded());
    EXPECT_EQ(m_window->result(), kIdOk);
    EXPECT_EQ(m_window->PathText(), L"/typed/path.html");

    auto second = std::make_unique<CDlgMain>();
    second->Create();
    second->show();
    second->Item<QLineEdit>(kIdPathField)->setText("/closed.html");
    EXPECT_TRUE(second->close());
    EXPECT_TRUE(second->HasEnded());
    EXPECT_EQ(second->result(), kIdOk);
    EXPECT_EQ(second->PathText(), L"/closed.html");
    second.reset();
    mainWindow = m_window.get();
}

TEST_F(MainWindow, AboutFromTheHelpMenuAndTheSystemCommandShowsTheSameBox) {
    std::vector<QString> seen;
    const auto readAndClose = [&seen](QWidget* dialog) {
        QString texts = dialog->windowTitle();
        for (QLabel* label : dialog->findChildren<QLabel*>()) texts += "|" + label->text();
        seen.push_back(texts);
        QTest::mouseClick(static_cast<CDialog*>(dialog)->GetDlgItem(kIdOk), Qt::LeftButton);
    };
    WhenModalDialogOpens(readAndClose);
    m_window->MenuAction(kIdAboutMenu)->trigger();
    WhenModalDialogOpens(readAndClose);
    m_window->SendCommand(kIdSystemAbout);

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_TRUE(seen[0].startsWith("About Skarnel|")) << seen[0].toStdString();
    EXPECT_TRUE(seen[0].contains("|Skarnel Version 1.2|")) << seen[0].toStdString();
}

TEST_F(MainWindow, AWebScanOfManyPagesFillsTheTableThroughTenWorkers) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    constexpr int kPages = 12;
    std::string index = "<html><body>\n";
    for (int page = 0; page < kPages; ++page) {
        index += "<a href=\"p" + std::to_string(page) + ".html\">page</a>\n";
        server.SetResponse("/p" + std::to_string(page) + ".html",
                           HtmlPage("200 OK", "<html><body>no links</body></html>\n"));
    }
    index += "<a href=\"gone.html\">gone</a>\n</body></html>\n";
    server.SetResponse("/index.html", HtmlPage("200 OK", index));
    server.SetResponse("/gone.html", HtmlPage("404 Not Found", "<html></html>\n"));

    const std::wstring start = Widen(server.Url("/index.html"));
    m_window->Item<QLineEdit>(kIdPathField)->setText(ToQString(start));
    TriggerToolBarButton(*m_window, kIdStartCommand);
    ASSERT_TRUE(WaitForScanEnd());

    // Workers finish in any order: compare the rows as a set, the start page first.
    std::vector<ResultRow> rows = m_window->Rows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kPages + 2));
    EXPECT_EQ(rows[0], (ResultRow{start, L"200 OK", start, ResultIcon::kOk}));
    std::vector<ResultRow> expected;
    for (int page = 0; page < kPages; ++page) {
        expected.push_back(ResultRow{Widen(server.Url("/p" + std::to_string(page) + ".html")),
                                     L"200 OK", start + L":" + std::to_wstring(page + 2),
                                     ResultIcon::kOk});
    }
    expected.push_back(ResultRow{Widen(server.Url("/gone.html")), L"404 Not Found",
                                 start + L":" + std::to_wstring(kPages + 2), ResultIcon::kError});
    rows.erase(rows.begin());
    const auto byLink = [](const ResultRow& a, const ResultRow& b) { return a.link < b.link; };
    std::sort(rows.begin(), rows.end(), byLink);
    std::sort(expected.begin(), expected.end(), byLink);
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(m_window->StatusText(), L"Total links found: 14, errors: 1");
    EXPECT_EQ(m_window->StartButton()->Bitmap(), kIdStartBitmap);
}

// "Edit file" from the toolbar and the hidden button.
using MainWindowEditFile = MainWindowEditFileFixture;

TEST_F(MainWindowEditFile, WithoutASelectionOnlyAsksForOne) {
    TriggerToolBarButton(*m_window, kIdEditCommand);
    EXPECT_EQ(m_dialogs.Messages(),
              (std::vector<RecordedMessage>{
                  {L"Select an item in the list first!", L"Skarnel", MessageIcon::kNone}}));
    EXPECT_FALSE(m_record.Exists("record"));
}

TEST_F(MainWindowEditFile, TheSelectedRowsPageOpensAtItsLine) {
    m_window->AppendRow(ResultRow{L"a.html", L"OK", Widen(SKARNEL_SAMPLE_SITE) + L"/index.html:4",
                                  ResultIcon::kOk});
    QTreeView* table = m_window->ResultsTable();
    table->setCurrentIndex(table->model()->index(0, 0));
    m_window->Item<QPushButton>(kIdEditFileButton)->click();
    EXPECT_EQ(m_record.Read("record"),
              EditorRecordOf(std::string(SKARNEL_SAMPLE_SITE) + "/index.html", 4));
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

TEST_F(MainWindowEditFile, WhileTheEditorIsOpenTheWindowPaintsButTakesNoInputAndRowsWait) {
    // The stand-in editor stays open until the test releases it.
    ASSERT_TRUE(SetEnvironmentText("SKARNEL_HOLD", Widen(m_record.PathOf("release").string())));
    m_window->AppendRow(ResultRow{L"a.html", L"OK", Widen(SKARNEL_SAMPLE_SITE) + L"/index.html:4",
                                  ResultIcon::kOk});
    QTreeView* table = m_window->ResultsTable();
    table->setCurrentIndex(table->model()->index(0, 0));
    auto* path = m_window->Item<QLineEdit>(kIdPathField);
    const QString pathBefore = path->text();
    PaintCounter paints(table->viewport());

    // What the user and a scan do while Edit waits, driven by a timer, which
    // only runs if the window still serves its events.
    std::thread scan;
    std::atomic<bool> rowAdded{false};
    int step = 0;
    int paintsBefore = 0;
    bool closed = true;
    std::size_t rowsWhileOpen = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (step == 0 && m_record.Exists("record")) {
            scan = std::thread([&rowAdded] {
                AddWebResult("http://h/late.html", "200 OK", "http://h/:9");
                rowAdded = true;
            });
            step = 1;
        } else if (step == 1 && rowAdded) {
            // The scan thread handed its row over; the row waits for the editor.
            TriggerToolBarButton(*m_window, kIdStartCommand);
            QTest::keyClicks(path, "typed");
            closed = m_window->close();
            paintsBefore = paints.count;
            table->viewport()->update();
            step = 2;
        } else if (step == 2 && paints.count > paintsBefore) {
            rowsWhileOpen = m_window->Rows().size();
            m_record.Put("release", "");
            step = 3;
        }
    });
    driver.start(5);
    m_window->Item<QPushButton>(kIdEditFileButton)->click();
    driver.stop();

    EXPECT_EQ(step, 3) << "the window stopped serving its events while the editor was open";
    EXPECT_EQ(rowsWhileOpen, 1u);
    EXPECT_FALSE(closed);
    EXPECT_FALSE(m_window->HasEnded());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(path->text(), pathBefore);
    EXPECT_FALSE(IsScanThreadAlive());
    EXPECT_EQ(m_window->StatusText(), L"Ready");
    ASSERT_TRUE(ServeEventsUntil([&] { return rowAdded && m_window->Rows().size() == 2u; }));
    if (scan.joinable()) scan.join();
    ASSERT_EQ(m_window->Rows().size(), 2u);
    EXPECT_EQ(m_window->Rows()[1].link, L"http://h/late.html");
    EXPECT_TRUE(m_dialogs.Messages().empty());
}
