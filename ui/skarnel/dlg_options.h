// The Options dialog: the scan options on check boxes and the editor field,
// exchanged with its own copy of the values. The caller fills the copy, runs
// the dialog modally and takes the values back after OK.
// UI thread only.
#pragma once

#include <string>

#include "engine/scan_options.h"
#include "ui/framework/dialog.h"

class CDlgOptions : public CDialog {
    Q_OBJECT

public:
    explicit CDlgOptions(QWidget* parent = nullptr);
    ~CDlgOptions() override = default;

    void SetValues(const ScanOptions& options);
    // The values as the dialog holds them (after OK: as the user left them).
    void GetValues(ScanOptions& options) const;

    void OnUseExternalEditor();
    void OnBrowseEditor();

    int m_checkImages = 1;
    int m_checkAllTags = 0;
    std::wstring m_editorCommand;
    int m_checkExternalUrls = 0;
    int m_useExternalEditor = 0;
    int m_scanPageOnly = 0;
    int m_checkHttpsLinks = 0;
    int m_fastChecking = 0;
    // The connection limit as typed; read back as a number by GetValues.
    std::wstring m_connectionsPerHost;
    int m_checkAnchors = 0;
    std::wstring m_siteRoot;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(bool save) override;

private:
    // The editor field and its "..." button are usable only with an external editor.
    void EnableEditorControls();
};
