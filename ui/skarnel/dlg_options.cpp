// The Options dialog.
#include "ui/skarnel/dlg_options.h"

#include "resources/skarnel/skarnel_resources.h"
#include "ui/framework/common_dialogs.h"

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
