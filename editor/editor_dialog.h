// CEditorDlg: the editor's window, one fixed-size dialog with one text
// field. It shows up empty, loads the file its command line names on the
// first tick of a timer, selects the requested line, and writes the text
// with File > "Save as...". UI thread only.
#pragma once

#include <QIcon>
#include <optional>
#include <string>
#include <vector>

#include "editor/editor_text.h"
#include "editor/line_edit.h"
#include "ui/framework/dialog.h"

class CEditorDlg : public CDialog {
    Q_OBJECT

public:
    // arguments: the program's command line, argument 0 the program itself.
    explicit CEditorDlg(std::vector<std::wstring> arguments, QWidget* parent = nullptr);

    // True until the load timer has run.
    [[nodiscard]] bool LoadPending() const { return m_loadTimer != 0; }
    [[nodiscard]] CLineEdit* TextField() const { return m_textField; }
    // 1: saving writes the line ends as the field holds them; 0: the loaded
    // file had no CR, so saving writes each line end as a single LF.
    [[nodiscard]] int KeepLineEnds() const { return m_bKeepLineEnds; }
    [[nodiscard]] TextEncoding Encoding() const { return m_encoding; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(bool save) override;
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void OnLoadTimer();
    void LoadFile(const std::wstring& path, const std::optional<int>& line);
    void OnSaveAs();
    void OnAbout();

    QIcon m_icon;
    int m_bKeepLineEnds = 1;
    // How the loaded file's bytes were read, so saving writes them back alike.
    TextEncoding m_encoding = TextEncoding::kUtf8;
    CLineEdit* m_textField = nullptr;
    std::vector<std::wstring> m_arguments;
    // The loaded file's name without its folder, UTF-8 of at most 255
    // bytes: the title shows it and "Save as..." offers it.
    std::string m_fileName;
    int m_loadTimer = 0;
};
