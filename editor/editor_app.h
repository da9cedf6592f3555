// CEditorApp: the editor program. It runs the editor window modally and
// ends when that window closes.
#pragma once

#include <QApplication>
#include <string>
#include <vector>

class CEditorApp : public QApplication {
    Q_OBJECT

public:
    // arguments: the command line as the program received it, taken before
    // Qt removes the options it knows from argv.
    CEditorApp(int& argc, char** argv, std::vector<std::wstring> arguments);

    // Shows the editor window and returns the program's exit code once it
    // has closed.
    int InitInstance();

private:
    std::vector<std::wstring> m_arguments;
};
