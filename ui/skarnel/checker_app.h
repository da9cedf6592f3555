// CCheckerApp, the link checker's start-up: it prepares sockets, runs the
// main window modally and ends the program when the window ends, without
// waiting for a scan that is still running. Main thread only.
#pragma once

#include <functional>

class CDlgMain;

class CCheckerApp {
public:
    // startSockets prepares the process for network use; false stops the
    // program before its window opens.
    explicit CCheckerApp(std::function<bool()> startSockets);
    CCheckerApp();

    // Runs the whole program; always returns false (no message loop follows).
    bool InitInstance();

    // Called by InitInstance with the window just before it runs modally, so
    // that a caller can watch it.
    std::function<void(CDlgMain&)> onWindowCreated;

private:
    std::function<bool()> m_startSockets;
};

// While a scan thread is still alive, ends the process at once without
// running destructors: the scan's threads may still be using the window and
// the scan state, and nothing must be pulled from under them. Otherwise
// returns, and the program ends normally.
void EndAtOnceIfScanRunning();
