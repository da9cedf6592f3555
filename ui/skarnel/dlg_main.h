// CDlgMain, the link checker's window: the Path field, the toolbar, the menu,
// the results table and the status bar. It is the engine's MainWindowRecord:
// scan threads add rows and set texts through it, each call carried over to
// the UI thread and waited for. Everything else runs on the UI thread.
//
// The table shows the rows of the chosen filter (View menu, the toolbar's
// "Show:" choice); sorting, saving, copying and "Edit file" work on what it
// shows, while the results model keeps every row.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/edit_file.h"
#include "engine/main_window_record.h"
#include "engine/result_filter.h"
#include "engine/scan_options.h"
#include "ui/framework/dialog.h"

class CBitmapButton;
class COOBmpToolBar;
class CResultsModel;
class CShownResultsModel;
class QComboBox;
class QLabel;
class QMenu;
class QPoint;
class QStatusBar;
class QTimer;
class QTreeView;

class CDlgMain : public CDialog, public MainWindowRecord {
    Q_OBJECT

public:
    explicit CDlgMain(QWidget* parent = nullptr);
    ~CDlgMain() override;

    // The engine's view of the window; callable from any thread unless noted.
    std::wstring ReadPathText() override;
    ScanOptions& Options() override { return m_options; }
    void AppendRow(const ResultRow& row) override;
    int RowCount() override;
    void DeleteAllRows() override;
    void SetStatusText(const std::wstring& text) override;
    void SetStartButtonLook(StartButtonLook look) override;
    // UI thread.
    void ShowMessageBox(const std::wstring& text, const std::wstring& caption) override;

    // Command handlers.
    void OnOptions();
    void OnBrowsePath();
    void OnSaveResults();
    // Opens the selected row's page in the editor and waits for it to end.
    void OnEditFile();
    void OnExit();
    void OnAbout();
    void OnSysCommand(unsigned command);
    void SortResultsByColumn(int column);
    // Shows the rows of one icon, or all; the menu and the toolbar follow.
    void SetResultFilter(ResultFilter filter);
    // The selected row's link, or the row as tab-separated text, to the clipboard.
    void OnCopyLink();
    void OnCopyRow();
    // Opens the selected row's web link or local file with the desktop's browser.
    void OnOpenLink();

    // The selected row, or its Location text; nothing when no row is selected.
    [[nodiscard]] std::optional<ResultRow> SelectedRow() const;
    [[nodiscard]] std::optional<std::wstring> SelectedLocation() const;
    // A copy of every row in table order, those the filter hides included.
    [[nodiscard]] std::vector<ResultRow> Rows() const;
    [[nodiscard]] std::wstring StatusText() const;
    // The second status-bar field: the rows per icon.
    [[nodiscard]] std::wstring IconCountsFieldText() const;
    [[nodiscard]] ResultFilter Filter() const;
    [[nodiscard]] const std::wstring& PathText() const { return m_pathText; }

    // How "Edit file" starts the editor; tests put a stand-in in its place.
    [[nodiscard]] EditFileServices& EditServices() { return m_editServices; }

    [[nodiscard]] QTreeView* ResultsTable() const { return m_resultsTable; }
    // Every row the table has shown so far, hidden or not.
    [[nodiscard]] CResultsModel* ResultsModel() const { return m_results; }
    [[nodiscard]] QMenu* RowMenu() const { return m_rowMenu; }
    [[nodiscard]] QComboBox* FilterChoice() const { return m_filterChoice; }
    [[nodiscard]] QStatusBar* StatusBar() const { return m_statusBar; }
    [[nodiscard]] COOBmpToolBar* ToolBar() const { return m_toolBar; }
    [[nodiscard]] CBitmapButton* StartButton() const { return m_startButton; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(bool save) override;
    void OnClose() override;
    void OnSize(int cx, int cy) override;
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) override;

private:
    void BindCommands();
    void SetUpResultsTable();
    void SetUpHiddenButtons();
    void SetUpRowMenu();
    void ShowRowMenu(const QPoint& position);
    // Enables the row commands that the selected row allows.
    void UpdateRowCommands();
    void CreateStatusBar();
    void ShowIconCounts();
    // False when the bar cannot be made; the window then works without it.
    bool CreateToolBar();
    void AddFilterChoiceToToolBar();
    // Runs call on the UI thread and waits for it.
    void OnUiThread(const std::function<void()>& call);
    // UI thread: moves the rows scan threads have handed over into the
    // table, or (while calls are held) tries again a moment later.
    void TakeHandedOverRows();
    void TakeHandedOverRowsUnlessHeld();
    // Holds the table's repainting back for a moment after a row arrives, so
    // a fast scan is not slowed to one repaint per row.
    void DeferTablePaint();
    void ForgetCurrentRow();
    void ClearSortIndicator();

    ScanOptions m_options;
    EditFileServices m_editServices;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusLabel = nullptr;
    QLabel* m_countsLabel = nullptr;
    COOBmpToolBar* m_toolBar = nullptr;
    std::wstring m_pathText;
    QTreeView* m_resultsTable = nullptr;
    CResultsModel* m_results = nullptr;
    CShownResultsModel* m_shown = nullptr;
    QMenu* m_rowMenu = nullptr;
    QComboBox* m_filterChoice = nullptr;
    QTimer* m_tablePaint = nullptr;
    CBitmapButton* m_startButton = nullptr;
    CBitmapButton* m_optionsButton = nullptr;
    CBitmapButton* m_editFileButton = nullptr;
    // Until initialisation ends, resizing leaves the controls where they are.
    bool m_layoutSuspended = true;
    // Rows from scan threads, handed over without waiting for the UI thread:
    // a scan of 100,000 files would otherwise wait for the window once per
    // row. One delivery is posted at a time.
    std::mutex m_handedOverMutex;
    std::vector<ResultRow> m_handedOver;
    bool m_deliveryPosted = false;
};
