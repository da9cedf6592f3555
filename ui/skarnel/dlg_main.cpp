// The link checker's window.
#include "ui/skarnel/dlg_main.h"

#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <array>
#include <utility>

#include "engine/configuration.h"
#include "engine/edit_file.h"
#include "engine/results_export.h"
#include "engine/scan_control.h"
#include "platform/child_process.h"
#include "platform/environment.h"
#include "resources/skarnel/skarnel_resources.h"
#include "ui/framework/common_dialogs.h"
#include "ui/framework/image_resources.h"
#include "ui/framework/qt_text.h"
#include "ui/framework/run_on_ui_thread.h"
#include "ui/framework/wait_without_input.h"
#include "ui/skarnel/bitmap_button.h"
#include "ui/skarnel/dlg_about.h"
#include "ui/skarnel/dlg_options.h"
#include "ui/skarnel/main_window_layout.h"
#include "ui/skarnel/results_model.h"
#include "ui/skarnel/row_commands.h"
#include "ui/skarnel/shown_results_model.h"
#include "ui/skarnel/toolbar.h"

namespace {

constexpr wchar_t kReadyText[] = L"Ready";
constexpr wchar_t kProposedResultsFile[] = L"results.csv";
// Rows that arrive within this time are painted together: quick enough to
// watch them arrive, rare enough that painting never holds a scan back.
constexpr int kTablePaintDelayMs = 40;
// The table's right edge lies 8 pixels from the window's, the status bar's 3.
constexpr int kCountsRightMargin = 5;

// The View menu's command for each of kResultFilters, in that order.
constexpr std::array<int, std::size(kResultFilters)> kFilterCommands{kIdShowAll, kIdShowErrors,
                                                                     kIdShowSkipped, kIdShowOk};

bool IsHiddenButton(int id) {
    return id == kIdStartButton || id == kIdOptionsButton || id == kIdEditFileButton;
}

}  // namespace

CDlgMain::CDlgMain(QWidget* parent)
    : CDialog(MainDialogTemplate(), parent), m_pathText(kExampleSiteAddress) {
    m_editServices.showMessage = [this](const std::wstring& text, const std::wstring& caption,
                                        EditMessageIcon icon) {
        ::ShowMessageBox(
            this, text, caption,
            icon == EditMessageIcon::kError ? MessageIcon::kError : MessageIcon::kNone);
    };
    m_editServices.runAndWait = [](const std::wstring& commandLine, std::wstring* error) {
        const std::unique_ptr<ChildProcess> editor = StartProgram(commandLine, error);
        if (editor == nullptr) return false;
        // Not frozen meanwhile: the window paints and answers the desktop,
        // but takes no input, and a scan's rows wait for the editor's end.
        WaitWithoutInput([&editor] { return !editor->IsRunning(); });
        return true;
    };
    m_editServices.runningProgramPath = RunningProgramPath();
    m_editServices.temporaryFolder = TemporaryFolder();
    BindCommands();
}

CDlgMain::~CDlgMain() {
    if (mainWindow == this) mainWindow = nullptr;
}

void CDlgMain::BindCommands() {
    // Enter and Esc neither start a scan nor close the window.
    OnCommand(kIdOk, [] {});
    OnCommand(kIdCancel, [] {});
    for (const int id : {kIdStartCommand, kIdStartButton}) OnCommand(id, [] { StartScan(); });
    OnCommand(kIdStopCommand, [] { StopScan(); });
    for (const int id : {kIdOptionsMenu, kIdOptionsCommand, kIdOptionsButton}) {
        OnCommand(id, [this] { OnOptions(); });
    }
    OnCommand(kIdBrowseButton, [this] { OnBrowsePath(); });
    OnCommand(kIdSaveResults, [this] { OnSaveResults(); });
    for (const int id : {kIdEditCommand, kIdEditFileButton})
        OnCommand(id, [this] { OnEditFile(); });
    OnCommand(kIdExit, [this] { OnExit(); });
    OnCommand(kIdAboutMenu, [this] { OnAbout(); });
    for (std::size_t i = 0; i < kFilterCommands.size(); ++i) {
        OnCommand(kFilterCommands[i], [this, i] { SetResultFilter(kResultFilters[i]); });
    }
    OnCommand(kIdCopyLink, [this] { OnCopyLink(); });
    OnCommand(kIdCopyRow, [this] { OnCopyRow(); });
    OnCommand(kIdOpenLink, [this] { OnOpenLink(); });
    // The window manager's menu cannot take the About entry here; its command
    // still works when sent.
    OnCommand(kIdSystemAbout, [this] { OnSysCommand(kIdSystemAbout); });
}

QWidget* CDlgMain::CreateControl(const ControlTemplate& control, QWidget* parent) {
    if (IsHiddenButton(control.id)) return new CBitmapButton(ToQString(control.text), parent);
    return CDialog::CreateControl(control, parent);
}

bool CDlgMain::OnInitDialog() {
    CDialog::OnInitDialog();
    setWindowIcon(QIcon(LoadImageResource(kIdProgramIcon)));
    UseWindowColourBackground();
    SetUpResultsTable();
    SetUpRowMenu();
    SetUpHiddenButtons();
    CreateStatusBar();
    mainWindow = this;
    LoadConfiguration(m_options);
    m_layoutSuspended = false;
    CreateToolBar();
    return true;
}

void CDlgMain::DoDataExchange(bool save) { DdxText(save, kIdPathField, m_pathText); }

void CDlgMain::SetUpResultsTable() {
    m_resultsTable = Item<QTreeView>(kIdResultsTable);
    m_results = new CResultsModel(
        {QIcon(LoadImageResource(kIdOkBitmap)), QIcon(LoadImageResource(kIdErrorBitmap)),
         QIcon(LoadImageResource(kIdSkippedBitmap))},
        this);
    m_shown = new CShownResultsModel(m_results, this);
    m_resultsTable->setModel(m_shown);
    MenuAction(kIdShowAll)->setChecked(true);
    m_resultsTable->setIconSize(QSize(16, 16));
    QHeaderView* header = m_resultsTable->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    // The arrow shows while the rows stand in the order of the column last
    // clicked; no column is marked before the first click.
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSectionsMovable(false);
    for (int column = 0; column < kResultColumnCount; ++column) {
        m_resultsTable->setColumnWidth(column,
                                       kResultColumnWidths[static_cast<std::size_t>(column)]);
    }
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { SortResultsByColumn(column); });
    ForgetCurrentRow();

    m_tablePaint = new QTimer(this);
    m_tablePaint->setSingleShot(true);
    m_tablePaint->setInterval(kTablePaintDelayMs);
    connect(m_tablePaint, &QTimer::timeout, this,
            [this] { m_resultsTable->setUpdatesEnabled(true); });
}

void CDlgMain::ForgetCurrentRow() {
    // An empty table has no current row, and none is to be made up later:
    // else the view takes row 0 as current when it gets the focus and marks
    // it, though nothing is selected.
    m_resultsTable->setCurrentIndex(QModelIndex());
}

void CDlgMain::ClearSortIndicator() {
    QHeaderView* header = m_resultsTable->header();
    if (header->sortIndicatorSection() != -1) header->setSortIndicator(-1, Qt::AscendingOrder);
}

void CDlgMain::DeferTablePaint() {
    if (m_tablePaint->isActive()) return;
    m_resultsTable->setUpdatesEnabled(false);
    m_tablePaint->start();
}

void CDlgMain::SetUpHiddenButtons() {
    m_startButton = Item<CBitmapButton>(kIdStartButton);
    m_optionsButton = Item<CBitmapButton>(kIdOptionsButton);
    m_editFileButton = Item<CBitmapButton>(kIdEditFileButton);
    m_startButton->SetBitmap(kIdStartBitmap);
    m_optionsButton->SetBitmap(kIdOptionsBitmap);
    m_editFileButton->SetBitmap(kIdEditFileBitmap);
}

void CDlgMain::CreateStatusBar() {
    m_statusBar = new QStatusBar(ClientArea());
    m_statusBar->setSizeGripEnabled(false);
    m_statusLabel = new QLabel(m_statusBar);
    // Addresses from pages may hold "<": never read them as markup.
    m_statusLabel->setTextFormat(Qt::PlainText);
    m_statusBar->addWidget(m_statusLabel, 1);
    m_countsLabel = new QLabel(m_statusBar);
    m_countsLabel->setTextFormat(Qt::PlainText);
    // The counts end where the table above them ends, not at the bar's edge.
    m_countsLabel->setContentsMargins(0, 0, kCountsRightMargin, 0);
    m_statusBar->addPermanentWidget(m_countsLabel);
    // The counts follow the rows as the table shows them, a batch at a time.
    connect(m_results, &QAbstractItemModel::rowsInserted, this, [this] { ShowIconCounts(); });
    connect(m_results, &QAbstractItemModel::modelReset, this, [this] { ShowIconCounts(); });
    ShowIconCounts();
    const QSize client = ClientArea()->size();
    m_statusBar->setGeometry(
        InitialStatusBarRect(client.width(), client.height(), m_statusBar->sizeHint().height()));
    m_statusBar->show();
    SetStatusText(kReadyText);
}

bool CDlgMain::CreateToolBar() {
    auto* toolBar = new COOBmpToolBar(ClientArea());
    if (!toolBar->Create(ClientArea(), kIdToolBarWindow) ||
        !toolBar->LoadToolBar(MainToolBar(), SkarnelStrings())) {
        delete toolBar;
        return false;
    }
    const QColor white(255, 255, 255);
    using Kind = COOBmpToolBar::ImageKind;
    for (const Kind kind : {Kind::kHot, Kind::kNormal, Kind::kDisabled}) {
        toolBar->SetImageSource(kIdToolBarStrip, kind, white, COOBmpToolBar::ImageSet::kSmall);
    }
    toolBar->LoadImages();
    toolBar->SetTextLabels(true);
    connect(toolBar, &COOExToolBar::CommandSent, this,
            [this](int command) { SendCommand(command); });
    m_toolBar = toolBar;
    AddFilterChoiceToToolBar();
    return true;
}

void CDlgMain::AddFilterChoiceToToolBar() {
    auto* choice = new QWidget(m_toolBar);
    auto* layout = new QHBoxLayout(choice);
    layout->setContentsMargins(6, 0, 6, 0);
    auto* label = new QLabel(QStringLiteral("Show:"), choice);
    m_filterChoice = new QComboBox(choice);
    for (const ResultFilter filter : kResultFilters) {
        m_filterChoice->addItem(ToQString(ResultFilterName(filter)));
    }
    m_filterChoice->setCurrentIndex(static_cast<int>(Filter()));
    label->setBuddy(m_filterChoice);
    layout->addWidget(label);
    layout->addWidget(m_filterChoice);
    m_toolBar->addSeparator();
    m_toolBar->addWidget(choice);
    connect(m_filterChoice, &QComboBox::activated, this,
            [this](int index) { SendCommand(kFilterCommands[static_cast<std::size_t>(index)]); });
}

void CDlgMain::SetUpRowMenu() {
    m_rowMenu = CreatePopupMenu(RowContextMenu(), this);
    // Ctrl+C copies the link while the table has the focus; elsewhere, in
    // the Path field, it copies that field's text as ever.
    QAction* copyLink = MenuAction(kIdCopyLink);
    copyLink->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_resultsTable->addAction(copyLink);
    m_resultsTable->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_resultsTable, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { ShowRowMenu(position); });
    connect(m_resultsTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateRowCommands(); });
    UpdateRowCommands();
}

void CDlgMain::ShowRowMenu(const QPoint& position) {
    UpdateRowCommands();
    m_rowMenu->popup(m_resultsTable->viewport()->mapToGlobal(position));
}

void CDlgMain::UpdateRowCommands() {
    const std::optional<ResultRow> row = SelectedRow();
    for (const int command : {kIdCopyLink, kIdCopyRow, kIdEditCommand}) {
        MenuAction(command)->setEnabled(row.has_value());
    }
    MenuAction(kIdOpenLink)
        ->setEnabled(row && BrowserAddressOfLink(row->link, ToWString(QDir::currentPath())));
}

void CDlgMain::OnSize(int cx, int cy) {
    if (m_layoutSuspended) return;
    QWidget* path = GetDlgItem(kIdPathField);
    QWidget* browse = GetDlgItem(kIdBrowseButton);
    const MainWindowLayout current{path->geometry(), browse->geometry(), m_resultsTable->geometry(),
                                   m_statusBar->geometry()};
    const MainWindowLayout next = LayOutMainWindow(current, cx, cy);
    path->setGeometry(next.pathField);
    browse->setGeometry(next.browseButton);
    m_resultsTable->setGeometry(next.resultsTable);
    m_statusBar->setGeometry(next.statusBar);
}

void CDlgMain::OnUiThread(const std::function<void()>& call) {
    // False only when the window is gone; the call then has nothing to act on.
    (void)RunOnUiThread(this, call);
}

std::wstring CDlgMain::ReadPathText() {
    std::wstring text;
    OnUiThread([&] {
        DdxText(true, kIdPathField, m_pathText);
        text = m_pathText;
    });
    return text;
}

namespace {

// A window that falls this far behind makes the scan wait for it, so rows
// never pile up without bound.
constexpr std::size_t kMaxHandedOverRows = 8192;

}  // namespace

void CDlgMain::AppendRow(const ResultRow& row) {
    // One added on the UI thread comes alone, and is shown at once.
    if (QThread::currentThread() == thread()) {
        TakeHandedOverRows();
        m_results->Append(row, CResultsModel::Showing::kAtOnce);
        ClearSortIndicator();
        DeferTablePaint();
        return;
    }
    bool post = false;
    std::size_t waiting = 0;
    {
        std::lock_guard lock(m_handedOverMutex);
        m_handedOver.push_back(row);
        waiting = m_handedOver.size();
        post = !std::exchange(m_deliveryPosted, true);
    }
    if (waiting >= kMaxHandedOverRows) {
        OnUiThread([this] { TakeHandedOverRows(); });
    } else if (post) {
        QMetaObject::invokeMethod(
            this, [this] { TakeHandedOverRowsUnlessHeld(); }, Qt::QueuedConnection);
    }
}

void CDlgMain::TakeHandedOverRowsUnlessHeld() {
    // While the editor is open rows wait, as every call from a scan does.
    if (UiCallsHeld()) {
        QTimer::singleShot(kShowRowsAfter, this, [this] { TakeHandedOverRowsUnlessHeld(); });
        return;
    }
    TakeHandedOverRows();
}

void CDlgMain::TakeHandedOverRows() {
    std::vector<ResultRow> rows;
    {
        std::lock_guard lock(m_handedOverMutex);
        rows.swap(m_handedOver);
        m_deliveryPosted = false;
    }
    if (rows.empty()) return;
    // Rows from a scan's threads come in streams, shown together.
    for (const ResultRow& row : rows)
        m_results->Append(row, CResultsModel::Showing::kWithTheStream);
    // A row added at the end may break the order the arrow claims.
    ClearSortIndicator();
    DeferTablePaint();
}

int CDlgMain::RowCount() {
    int count = 0;
    OnUiThread([&] {
        TakeHandedOverRows();
        count = m_results->RowsAppended();
    });
    return count;
}

void CDlgMain::DeleteAllRows() {
    OnUiThread([&] {
        // Rows handed over before the call go with the others.
        {
            std::lock_guard lock(m_handedOverMutex);
            m_handedOver.clear();
        }
        m_results->Clear();
        ClearSortIndicator();
        ForgetCurrentRow();
        UpdateRowCommands();
    });
}

void CDlgMain::SetStatusText(const std::wstring& text) {
    OnUiThread([&] { m_statusLabel->setText(ToQString(text)); });
}

void CDlgMain::ShowIconCounts() {
    m_countsLabel->setText(ToQString(IconCountsText(m_results->Counts())));
}

void CDlgMain::SetStartButtonLook(StartButtonLook look) {
    OnUiThread([&] {
        const bool start = look == StartButtonLook::kStart;
        m_startButton->SetBitmap(start ? kIdStartBitmap : kIdStopBitmap);
        m_startButton->setText(start ? QStringLiteral("Start") : QStringLiteral("Stop"));
    });
}

void CDlgMain::ShowMessageBox(const std::wstring& text, const std::wstring& caption) {
    ::ShowMessageBox(this, text, caption);
}

void CDlgMain::OnOptions() {
    CDlgOptions dialog(this);
    dialog.SetValues(m_options);
    if (dialog.DoModal() != kIdOk) return;
    dialog.GetValues(m_options);
    SaveConfiguration(m_options);
}

void CDlgMain::OnBrowsePath() {
    FileDialogRequest request;
    request.filters = {FileFilter{L"All Files", L"*.*;*.*"}};
    request.defaultExtension = L"*";
    request.fileMustExist = true;
    const std::optional<std::wstring> chosen = ShowOpenFileDialog(this, request);
    if (!chosen) return;
    m_pathText = *chosen;
    DdxText(false, kIdPathField, m_pathText);
}

void CDlgMain::OnSaveResults() {
    FileDialogRequest request;
    request.filters = {FileFilter{L"CSV files", L"*.csv"}, FileFilter{L"All Files", L"*.*"}};
    request.initialName = kProposedResultsFile;
    request.defaultExtension = L"csv";
    request.askBeforeReplacing = true;
    // Under a filter only the rows shown are saved, and the dialog says so.
    TakeHandedOverRows();
    const std::vector<ResultRow>& allRows = m_results->Rows();
    const std::vector<ResultRow> rows = RowsPassingFilter(allRows, Filter());
    request.title = SaveResultsTitle(Filter(), rows.size(), allRows.size());
    const std::optional<std::wstring> chosen = ShowSaveFileDialog(this, request);
    if (!chosen) return;
    if (!SaveResultsAsCsv(*chosen, rows)) {
        ::ShowMessageBox(this, L"Can't save the results in " + *chosen, L"Error",
                         MessageIcon::kError);
    }
}

// Runs on the UI thread until the editor ends: rows and texts from a running
// scan wait for the window meanwhile and arrive afterwards, and input to the
// window is dropped.
void CDlgMain::OnEditFile() { EditFileAtLocation(SelectedLocation(), m_options, m_editServices); }

void CDlgMain::OnExit() {
    DdxText(true, kIdPathField, m_pathText);
    EndDialog(kIdOk);
}

void CDlgMain::OnClose() { OnExit(); }

void CDlgMain::OnAbout() {
    CDlgAbout about(this);
    about.DoModal();
}

void CDlgMain::OnSysCommand(unsigned command) {
    if ((command & ~0xFu) == static_cast<unsigned>(kIdSystemAbout)) OnAbout();
}

void CDlgMain::SortResultsByColumn(int column) {
    TakeHandedOverRows();
    m_results->SortByColumn(column);
    // Every click sorts ascending; the header would have flipped its arrow.
    m_resultsTable->header()->setSortIndicator(column, Qt::AscendingOrder);
}

void CDlgMain::SetResultFilter(ResultFilter filter) {
    m_shown->SetFilter(filter);
    // A hidden selected row leaves nothing selected: no neighbour is to be
    // marked current in its place, whose cell the view's own Ctrl+C copies.
    if (!SelectedRow()) ForgetCurrentRow();
    const auto place = static_cast<std::size_t>(filter);
    MenuAction(kFilterCommands[place])->setChecked(true);
    if (m_filterChoice != nullptr) m_filterChoice->setCurrentIndex(static_cast<int>(place));
    UpdateRowCommands();
}

ResultFilter CDlgMain::Filter() const { return m_shown->Filter(); }

void CDlgMain::OnCopyLink() {
    if (const std::optional<ResultRow> row = SelectedRow()) {
        QGuiApplication::clipboard()->setText(ToQString(row->link));
    }
}

void CDlgMain::OnCopyRow() {
    if (const std::optional<ResultRow> row = SelectedRow()) {
        QGuiApplication::clipboard()->setText(ToQString(RowAsCopiedText(*row)));
    }
}

void CDlgMain::OnOpenLink() {
    const std::optional<ResultRow> row = SelectedRow();
    if (!row) return;
    const std::optional<std::string> address =
        BrowserAddressOfLink(row->link, ToWString(QDir::currentPath()));
    if (!address) return;
    const QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(*address), QUrl::TolerantMode);
    if (!QDesktopServices::openUrl(url)) {
        ::ShowMessageBox(this, L"Can't open " + row->link + L" in a browser.", L"Error",
                         MessageIcon::kError);
    }
}

std::optional<ResultRow> CDlgMain::SelectedRow() const {
    const QModelIndexList selected = m_resultsTable->selectionModel()->selectedRows();
    if (selected.isEmpty()) return std::nullopt;
    return m_results->RowAt(m_shown->mapToSource(selected.front()).row());
}

std::optional<std::wstring> CDlgMain::SelectedLocation() const {
    const std::optional<ResultRow> row = SelectedRow();
    if (!row) return std::nullopt;
    return row->location;
}

std::vector<ResultRow> CDlgMain::Rows() const { return m_results->Rows(); }

std::wstring CDlgMain::StatusText() const { return ToWString(m_statusLabel->text()); }

std::wstring CDlgMain::IconCountsFieldText() const { return ToWString(m_countsLabel->text()); }
