// The Options dialog.
#include "ui/skarnel/dlg_options.h"

#include <QLineEdit>

#include "engine/link_patterns.h"
#include "engine/request_headers.h"
#include "engine/status_list.h"
#include "platform/text_codec.h"
#include "resources/skarnel/skarnel_resources.h"
#include "ui/framework/common_dialogs.h"

namespace {

std::optional<FieldProblem> PatternProblem(int controlId, const std::wstring& field,
                                           const std::wstring& text) {
    std::string error;
    if (LinkPatterns::Compile(PatternsFromText(text), &error)) return std::nullopt;
    return FieldProblem{controlId, L"\"" + field + L"\" holds a regular expression that does " +
                                       L"not compile:\n" + FromUtf8(error)};
}

}  // namespace

std::optional<FieldProblem> FindWebCheckProblem(const WebCheckTexts& texts) {
    if (auto problem =
            PatternProblem(kIdExcludePatterns, L"Exclude links matching", texts.excludePatterns)) {
        return problem;
    }
    if (auto problem = PatternProblem(kIdNoFollowPatterns, L"Don't read links of pages matching",
                                      texts.noFollowPatterns)) {
        return problem;
    }
    // The agent goes out as a header line, so it obeys the same rules.
    if (!texts.userAgent.empty() &&
        !IsWellFormedHeaderLine("User-Agent: " + ToUtf8(texts.userAgent))) {
        return FieldProblem{kIdUserAgent,
                            L"\"User agent\" may hold visible characters and blanks only."};
    }
    if (!ParseStatusList(texts.acceptedStatuses)) {
        return FieldProblem{kIdAcceptedStatuses,
                            L"\"Accepted statuses\" needs status codes from 100 to 999 and "
                            L"ranges of them, separated by commas, such as 200-299,403."};
    }
    return std::nullopt;
}

CDlgOptions::CDlgOptions(QWidget* parent) : CDialog(OptionsDialogTemplate(), parent) {
    OnCommand(kIdBrowseEditor, [this] { OnBrowseEditor(); });
    OnCommand(kIdUseExternalEditor, [this] { OnUseExternalEditor(); });
}

void CDlgOptions::SetValues(const ScanOptions& options) {
    m_checkImages = options.checkImages;
    m_checkAllTags = options.checkAllTags;
    m_editorCommand = options.editorCommand;
    m_checkExternalUrls = options.checkExternalUrls;
    m_useExternalEditor = options.useExternalEditor;
    m_scanPageOnly = options.scanPageOnly;
    m_checkHttpsLinks = options.checkHttpsLinks;
    m_fastChecking = options.fastChecking;
    m_connectionsPerHost = std::to_wstring(ConnectionsPerHostOf(options));
    m_checkAnchors = options.checkAnchors;
    m_siteRoot = options.siteRoot;
    m_followRedirects = options.followRedirects;
    m_retries = std::to_wstring(RetriesOf(options));
    m_obeyRobots = options.obeyRobots;
    m_webTexts.excludePatterns = TextFromPatterns(options.excludePatterns);
    m_webTexts.noFollowPatterns = TextFromPatterns(options.noFollowPatterns);
    m_webTexts.userAgent = options.userAgent;
    m_webTexts.acceptedStatuses = options.acceptedStatuses;
}

void CDlgOptions::GetValues(ScanOptions& options) const {
    options.checkImages = m_checkImages;
    options.checkAllTags = m_checkAllTags;
    options.editorCommand = m_editorCommand;
    options.checkExternalUrls = m_checkExternalUrls;
    options.useExternalEditor = m_useExternalEditor;
    options.scanPageOnly = m_scanPageOnly;
    options.checkHttpsLinks = m_checkHttpsLinks;
    options.fastChecking = m_fastChecking;
    // A limit that is no number from 1 to the most keeps the one before.
    if (const std::optional<int> limit = ConnectionLimitFromText(m_connectionsPerHost)) {
        options.connectionsPerHost = *limit;
    }
    options.checkAnchors = m_checkAnchors;
    options.siteRoot = m_siteRoot;
    options.followRedirects = m_followRedirects;
    // A count that is no number from 0 to the most keeps the one before.
    if (const std::optional<int> retries = RetriesFromText(m_retries)) options.retries = *retries;
    options.obeyRobots = m_obeyRobots;
    options.excludePatterns = PatternsFromText(m_webTexts.excludePatterns);
    options.noFollowPatterns = PatternsFromText(m_webTexts.noFollowPatterns);
    options.userAgent = m_webTexts.userAgent;
    options.acceptedStatuses = m_webTexts.acceptedStatuses;
}

bool CDlgOptions::OnInitDialog() {
    CDialog::OnInitDialog();
    EnableEditorControls();
    UpdateData(false);
    // OK, not the first check box: Space or Enter then confirms the dialog
    // instead of toggling an option unseen. Tab still reaches every control.
    GetDlgItem(kIdOk)->setFocus(Qt::TabFocusReason);
    return false;
}

void CDlgOptions::DoDataExchange(bool save) {
    DdxCheck(save, kIdCheckImages, m_checkImages);
    DdxCheck(save, kIdCheckAllTags, m_checkAllTags);
    DdxText(save, kIdEditorCommand, m_editorCommand);
    DdxCheck(save, kIdCheckExternalUrls, m_checkExternalUrls);
    DdxCheck(save, kIdUseExternalEditor, m_useExternalEditor);
    DdxCheck(save, kIdScanPageOnly, m_scanPageOnly);
    DdxCheck(save, kIdCheckHttpsLinks, m_checkHttpsLinks);
    DdxCheck(save, kIdFastChecking, m_fastChecking);
    DdxText(save, kIdConnectionsPerHost, m_connectionsPerHost);
    DdxCheck(save, kIdCheckAnchors, m_checkAnchors);
    DdxText(save, kIdSiteRoot, m_siteRoot);
    DdxCheck(save, kIdFollowRedirects, m_followRedirects);
    DdxText(save, kIdRetries, m_retries);
    DdxCheck(save, kIdObeyRobots, m_obeyRobots);
    DdxText(save, kIdExcludePatterns, m_webTexts.excludePatterns);
    DdxText(save, kIdNoFollowPatterns, m_webTexts.noFollowPatterns);
    DdxText(save, kIdUserAgent, m_webTexts.userAgent);
    DdxText(save, kIdAcceptedStatuses, m_webTexts.acceptedStatuses);
}

void CDlgOptions::OnOK() {
    UpdateData(true);
    if (const std::optional<FieldProblem> problem = FindWebCheckProblem(m_webTexts)) {
        ShowMessageBox(this, problem->message, L"Error", MessageIcon::kError);
        auto* field = Item<QLineEdit>(problem->controlId);
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
        return;
    }
    EndDialog(kIdOk);
}

void CDlgOptions::OnUseExternalEditor() {
    UpdateData(true);
    EnableEditorControls();
}

void CDlgOptions::OnBrowseEditor() {
    // Programs here carry no extension of their own, so every file is offered.
    FileDialogRequest request;
    request.filters = {FileFilter{L"Applications", L"*"}};
    request.fileMustExist = true;
    const std::optional<std::wstring> chosen = ShowOpenFileDialog(this, request);
    if (!chosen) return;
    m_editorCommand = *chosen;
    UpdateData(false);
}

void CDlgOptions::EnableEditorControls() {
    const bool enabled = m_useExternalEditor != 0;
    GetDlgItem(kIdEditorCommand)->setEnabled(enabled);
    GetDlgItem(kIdBrowseEditor)->setEnabled(enabled);
}
