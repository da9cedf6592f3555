// The editor's window: loading on the first timer tick, "Save as...", About.
#include "editor/editor_dialog.h"

#include <QTimerEvent>

#include "platform/text_codec.h"
#include "resources/editor/editor_resources.h"
#include "ui/framework/common_dialogs.h"
#include "ui/framework/image_resources.h"
#include "ui/framework/qt_text.h"

namespace {

// The window shows up empty first; the file is loaded this long after.
constexpr int kLoadDelayMs = 100;
constexpr std::size_t kMaxFileNameBytes = 255;

}  // namespace

CEditorDlg::CEditorDlg(std::vector<std::wstring> arguments, QWidget* parent)
    : CDialog(EditorDialogTemplate(), parent),
      m_icon(LoadImageResource(kIdEditorIcon)),
      m_arguments(std::move(arguments)) {
    OnCommand(kIdSaveAs, [this] { OnSaveAs(); });
    OnCommand(kIdEditorExit, [this] { OnOK(); });
    OnCommand(kIdEditorAbout, [this] { OnAbout(); });
    // The system menu cannot take an entry here; its command still works.
    OnCommand(kIdEditorSystemAbout, [this] { OnAbout(); });
}

bool CEditorDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    setWindowIcon(m_icon);
    m_bKeepLineEnds = 1;
    m_loadTimer = startTimer(kLoadDelayMs);
    return true;
}

void CEditorDlg::DoDataExchange(bool save) {
    (void)save;
    if (m_textField == nullptr) m_textField = Item<CLineEdit>(kIdTextField);
}

QWidget* CEditorDlg::CreateControl(const ControlTemplate& control, QWidget* parent) {
    if (control.id != kIdTextField) return CDialog::CreateControl(control, parent);
    auto* field = new CLineEdit(parent);
    ApplyMultiLineEditStyles(field, control);
    return field;
}

void CEditorDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_loadTimer) {
        CDialog::timerEvent(event);
        return;
    }
    OnLoadTimer();
}

void CEditorDlg::OnLoadTimer() {
    killTimer(m_loadTimer);
    m_loadTimer = 0;
    const EditorArguments arguments = ReadEditorArguments(m_arguments);
    if (arguments.file) LoadFile(*arguments.file, arguments.line);
    m_textField->setFocus();
}

void CEditorDlg::LoadFile(const std::wstring& path, const std::optional<int>& line) {
    std::string bytes;
    // A file that does not open leaves the editor empty, without a message.
    if (!LoadFileBytes(path, &bytes)) return;
    m_bKeepLineEnds = NormalizeLineEnds(bytes);
    m_encoding = DetectTextEncoding(bytes);
    m_textField->SetFieldText(FieldTextFromBytes(bytes, m_encoding));
    if (line) m_textField->GoToLine(*line);
    m_fileName = LimitUtf8(ToUtf8(ExtractFileName(path)), kMaxFileNameBytes);
    setWindowTitle(ToQString(std::wstring(kEditorCaption) + L" - " + FromUtf8(m_fileName)));
}

void CEditorDlg::OnSaveAs() {
    FileDialogRequest request;
    request.filters = {FileFilter{L"All files(*.*)", L"*.*"}};
    request.initialName = FromUtf8(m_fileName);
    // "*": a name typed without an extension is used just as it was typed.
    request.defaultExtension = L"*";
    request.askBeforeReplacing = true;
    const std::optional<std::wstring> path = ShowSaveFileDialog(this, request);
    if (!path) return;

    std::string bytes = BytesFromFieldText(m_textField->FieldText(), m_encoding);
    if (m_bKeepLineEnds == 0) RestoreLineFeeds(bytes);
    switch (SaveFileBytes(*path, bytes)) {
        case SaveResult::kSaved:
            break;
        case SaveResult::kCannotCreate:
            ShowMessageBox(this, L"Can't create file!", L"Error", MessageIcon::kError);
            break;
        case SaveResult::kWriteFailed:
            // Otherwise a full disk would leave a cut-off file the user
            // believes saved.
            ShowMessageBox(this, L"Can't write file!", L"Error", MessageIcon::kError);
            break;
    }
}

void CEditorDlg::OnAbout() {
    CDialog about(EditorAboutDialogTemplate(), this);
    about.DoModal();
}
