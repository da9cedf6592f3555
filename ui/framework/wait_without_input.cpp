// WaitWithoutInput: a nested event loop behind an input filter and a hold on
// calls from other threads.
#include "ui/framework/wait_without_input.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include "ui/framework/run_on_ui_thread.h"

namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::HoverEnter:
        case QEvent::HoverMove:
        case QEvent::HoverLeave:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::NativeGesture:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

// Drops user input on its way to any widget while it is installed.
class CInputDropper : public QObject {
public:
    CInputDropper() { QCoreApplication::instance()->installEventFilter(this); }
    ~CInputDropper() override { QCoreApplication::instance()->removeEventFilter(this); }
    CInputDropper(const CInputDropper&) = delete;
    CInputDropper& operator=(const CInputDropper&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType() || !IsUserInput(event->type())) return false;
        // A close request that is only filtered out still counts as accepted.
        event->ignore();
        return true;
    }
};

}  // namespace

void WaitWithoutInput(const std::function<bool()>& ended, std::chrono::milliseconds poll) {
    if (ended()) return;
    const CUiCallHold hold;
    const CInputDropper dropper;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (ended()) loop.quit();
    });
    check.start(poll);
    if (!ended()) loop.exec();
}
