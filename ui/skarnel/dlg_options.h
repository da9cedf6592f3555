// The Options dialog: the scan options on check boxes and the editor field,
// exchanged with its own copy of the values. The caller fills the copy, runs
// the dialog modally and takes the values back after OK, which the dialog
// refuses while a web check field holds what no scan could use.
// UI thread only.
#pragma once

#include <optional>
#include <string>

#include "engine/scan_options.h"
#include "ui/framework/dialog.h"

// The texts of the web check fields as typed.
struct WebCheckTexts {
    std::wstring excludePatterns;
    std::wstring noFollowPatterns;
    std::wstring userAgent;
    std::wstring acceptedStatuses;
};

// A field the dialog cannot take, and why, as the message box says it.
struct FieldProblem {
    int controlId = 0;
    std::wstring message;
};

// The first field, in the dialog's order, that holds a pattern that does not
// compile, a user agent that could not be sent, or a malformed status list.
[[nodiscard]] std::optional<FieldProblem> FindWebCheckProblem(const WebCheckTexts& texts);

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
    int m_followRedirects = 0;
    // The retry count as typed; read back as a number by GetValues.
    std::wstring m_retries;
    int m_obeyRobots = 0;
    // The patterns and texts of the web checks, as typed (patterns separated
    // by blanks).
    WebCheckTexts m_webTexts;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(bool save) override;
    // Takes the values only when every web check field is usable; else says
    // what is wrong and puts the focus on that field.
    void OnOK() override;

private:
    // The editor field and its "..." button are usable only with an external editor.
    void EnableEditorControls();
};
