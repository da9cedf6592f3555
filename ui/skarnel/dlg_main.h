// CDlgMain, the link checker's window: the Path field, the toolbar, the menu,
// the results table and the status bar. It is the engine's MainWindowRecord:
// scan threads add rows and set texts through it, each call carried over to
// the UI thread and waited for. Everything else runs on the UI thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/edit_file.h"
#include "engine/main_window_record.h"
#include "engine/scan_options.h"
#include "ui/framework/dialog.h"

class CBitmapButton;
class COOBmpToolBar;
class CResultsModel;
class QLabel;
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

    // The Location text of the selected row, or nothing when no row is selected.
    [[nodiscard]] std::optional<std::wstring> SelectedLocation() const;
    // A copy of the rows in table order.
    [[nodiscard]] std::vector<ResultRow> Rows() const;
    [[nodiscard]] std::wstring StatusText() const;
    [[nodiscard]] const std::wstring& PathText() const { return m_pathText; }

    // How "Edit file" starts the editor; tests put a stand-in in its place.
    [[nodiscard]] EditFileServices& EditServices() { return m_editServices; }

    [[nodiscard]] QTreeView* ResultsTable() const { return m_resultsTable; }
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
    void CreateStatusBar();
    // False when the bar cannot be made; the window then works without it.
    bool CreateToolBar();
    // Runs call on the UI thread and waits for it.
    void OnUiThread(const std::function<void()>& call);
    // Holds the table's repainting back for a moment after a row arrives, so
    // a fast scan is not slowed to one repaint per row.
    void DeferTablePaint();
    void ForgetCurrentRow();
    void ClearSortIndicator();

    ScanOptions m_options;
    EditFileServices m_editServices;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusLabel = nullptr;
    COOBmpToolBar* m_toolBar = nullptr;
    std::wstring m_pathText;
    QTreeView* m_resultsTable = nullptr;
    CResultsModel* m_results = nullptr;
    QTimer* m_tablePaint = nullptr;
    CBitmapButton* m_startButton = nullptr;
    CBitmapButton* m_optionsButton = nullptr;
    CBitmapButton* m_editFileButton = nullptr;
    // Until initialisation ends, resizing leaves the controls where they are.
    bool m_layoutSuspended = true;
};
