// The application start-up and the program's end.
#include "ui/skarnel/checker_app.h"

#include <cstdio>
#include <cstdlib>

#include "engine/scan_state.h"
#include "platform/socket.h"
#include "resources/skarnel/skarnel_resources.h"
#include "ui/framework/common_dialogs.h"
#include "ui/skarnel/dlg_main.h"

CCheckerApp::CCheckerApp(std::function<bool()> startSockets)
    : m_startSockets(std::move(startSockets)) {}

CCheckerApp::CCheckerApp() : CCheckerApp([] { return StartSockets(); }) {}

bool CCheckerApp::InitInstance() {
    if (!m_startSockets()) {
        ShowMessageBox(nullptr, SkarnelStrings().Load(kIdSocketsFailedString), L"Skarnel");
        return false;
    }
    auto* window = new CDlgMain;
    if (onWindowCreated) onWindowCreated(*window);
    window->DoModal();
    // A scan that is still running keeps using the window through mainWindow
    // until the process ends, so the window stays for it.
    if (!IsScanThreadAlive()) delete window;
    return false;
}

void EndAtOnceIfScanRunning() {
    if (!IsScanThreadAlive()) return;
    std::fflush(nullptr);
    std::quick_exit(0);
}
