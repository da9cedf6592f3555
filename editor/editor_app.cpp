// The editor program's start-up.
#include "editor/editor_app.h"

#include "editor/editor_dialog.h"

CEditorApp::CEditorApp(int& argc, char** argv, std::vector<std::wstring> arguments)
    : QApplication(argc, argv), m_arguments(std::move(arguments)) {
    setApplicationName(QStringLiteral("Skarnel Editor"));
    setApplicationVersion(QStringLiteral("1.0.0.1"));
}

int CEditorApp::InitInstance() {
    CEditorDlg dialog(m_arguments);
    (void)dialog.DoModal();
    return 0;
}
