// Skarnel, the link checker: a Qt application around CCheckerApp.
#include <QApplication>

#include "ui/skarnel/checker_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Skarnel"));
    CCheckerApp checker;
    checker.InitInstance();
    EndAtOnceIfScanRunning();
    return 0;
}
