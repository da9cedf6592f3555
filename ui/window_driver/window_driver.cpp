// A Qt plugin for end-to-end tests. Loaded into the real Skarnel and the real
// ZentribEditor through QT_QPA_GENERIC_PLUGINS, it works their windows as a
// user would (typing, clicks, keys) and writes down what it saw, so that a
// test can run both programs as installed and check what reached the user.
// It is never installed. What to do comes from the environment:
//   SKARNEL_DRIVE_REPORT  folder for the reports, skarnel.txt and editor.txt
//   SKARNEL_DRIVE_PATH    what to type into Skarnel's Path field
//   SKARNEL_DRIVE_ROW     the result row to open with Edit (0: the first)
// A message box that opens on the way is written down as "message" and
// closed.
// A report holds "key=value" lines, with \, CR and LF written \\ \r \n and
// characters that are not text written \uXXXX.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QGenericPlugin>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int kTickMs = 20;
// A step that has not come about by then will not: say which and give up.
constexpr qint64 kStepDeadlineMs = 30000;

QString Escaped(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == u'\\') {
            escaped += QStringLiteral("\\\\");
        } else if (c == u'\r') {
            escaped += QStringLiteral("\\r");
        } else if (c == u'\n' || c == QChar::ParagraphSeparator) {
            escaped += QStringLiteral("\\n");
        } else if (c.isSurrogate() || c == QChar::ReplacementCharacter) {
            escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// The visible top-level dialog that holds a child of type Child, or nullptr.
template <class Child>
QDialog* WindowWith() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible() && dialog->findChild<Child*>() != nullptr) {
            return dialog;
        }
    }
    return nullptr;
}

QToolButton* ToolButton(QWidget* window, const QString& text) {
    for (QToolButton* button : window->findChildren<QToolButton*>()) {
        if (button->text() == text) return button;
    }
    return nullptr;
}

QAction* MenuEntry(QWidget* window, const QString& text) {
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

// Runs named steps one after the other on a timer; each returns false while
// what it waits for has not happened yet.
class CWindowDriver : public QObject {
public:
    struct Step {
        const char* name;
        std::function<bool()> run;
    };

    CWindowDriver() {
        connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
        connect(&m_boxTimer, &QTimer::timeout, this, [this] { CloseMessageBox(); });
        // The application is still being built: start once its loop runs.
        QMetaObject::invokeMethod(
            this, [this] { Begin(); }, Qt::QueuedConnection);
    }

private:
    void Begin() {
        const bool editor = QCoreApplication::applicationName() == QStringLiteral("Skarnel Editor");
        m_report.setFileName(
            qEnvironmentVariable("SKARNEL_DRIVE_REPORT") +
            (editor ? QStringLiteral("/editor.txt") : QStringLiteral("/skarnel.txt")));
        if (!m_report.open(QIODevice::WriteOnly | QIODevice::Append)) std::_Exit(4);
        m_steps = editor ? EditorSteps() : SkarnelSteps();
        m_stepTime.start();
        m_timer.start(kTickMs);
        m_boxTimer.start(kTickMs);
    }

    // Qt does not fire a timer again while its last tick still runs, as the
    // Edit step's does until the editor ends: message boxes have a timer of
    // their own. One the steps did not ask for is written down and closed,
    // so that the test says what went wrong instead of timing out.
    void CloseMessageBox() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            Write(QStringLiteral("message"),
                  box->windowTitle() + QStringLiteral(": ") + box->text());
            box->accept();
        }
    }

    void Tick() {
        if (m_next >= m_steps.size()) return;
        const bool done = m_steps[m_next].run();
        if (done) {
            ++m_next;
            m_stepTime.restart();
            if (m_next == m_steps.size()) m_timer.stop();
        } else if (m_stepTime.elapsed() > kStepDeadlineMs) {
            Write("failed", QString::fromLatin1(m_steps[m_next].name));
            std::_Exit(3);
        }
    }

    void Write(const QString& key, const QString& value) {
        m_report.write((key + u'=' + Escaped(value) + u'\n').toUtf8());
        m_report.flush();
    }

    std::vector<Step> SkarnelSteps() {
        return {
            {"window", [this] { return (m_window = WindowWith<QTreeView>()) != nullptr; }},
            {"type the path",
             [this] {
                 auto* path = m_window->findChild<QLineEdit*>();
                 QTest::keyClick(path, Qt::Key_A, Qt::ControlModifier);
                 QTest::keyClicks(path, qEnvironmentVariable("SKARNEL_DRIVE_PATH"));
                 return true;
             }},
            {"start", [this] { return Click(ToolButton(m_window, QStringLiteral("Start"))); }},
            {"scan end", [this] { return ScanEnded(); }},
            {"select the row",
             [this] {
                 auto* table = m_window->findChild<QTreeView*>();
                 const QModelIndex row =
                     table->model()->index(qEnvironmentVariableIntValue("SKARNEL_DRIVE_ROW"), 0);
                 QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                                   table->visualRect(row).center());
                 return true;
             }},
            {"edit",
             [this] {
                 // Returns once the editor has ended.
                 const bool clicked = Click(ToolButton(m_window, QStringLiteral("Edit")));
                 Write("edit", QStringLiteral("returned"));
                 return clicked;
             }},
            {"exit",
             [this] {
                 QAction* exit = MenuEntry(m_window, QStringLiteral("Exit"));
                 if (exit != nullptr) exit->trigger();
                 return exit != nullptr;
             }},
        };
    }

    bool ScanEnded() {
        auto* status = m_window->findChild<QStatusBar*>()->findChild<QLabel*>();
        if (!status->text().startsWith(QStringLiteral("Total links found:"))) return false;
        Write("status", status->text());
        const QAbstractItemModel* rows = m_window->findChild<QTreeView*>()->model();
        for (int row = 0; row < rows->rowCount(); ++row) {
            QStringList texts;
            for (int column = 0; column < rows->columnCount(); ++column) {
                texts << rows->index(row, column).data().toString();
            }
            Write(QStringLiteral("row"), texts.join(u'|'));
        }
        return true;
    }

    std::vector<Step> EditorSteps() {
        return {
            {"loaded",
             [this] {
                 m_window = WindowWith<QPlainTextEdit>();
                 return m_window != nullptr &&
                        m_window->windowTitle().startsWith(QStringLiteral("Skarnel Editor - "));
             }},
            {"report",
             [this] {
                 for (const QString& argument : QCoreApplication::arguments()) {
                     Write(QStringLiteral("argument"), argument);
                 }
                 Write(QStringLiteral("title"), m_window->windowTitle());
                 auto* field = m_window->findChild<QPlainTextEdit*>();
                 Write(QStringLiteral("text"), field->toPlainText());
                 const QTextCursor cursor = field->textCursor();
                 Write(QStringLiteral("selection"), cursor.selectedText());
                 Write(QStringLiteral("caret line"),
                       QString::number(cursor.block().blockNumber() + 1));
                 return true;
             }},
            {"close",
             [this] {
                 QTest::keyClick(m_window->findChild<QPlainTextEdit*>(), Qt::Key_Escape);
                 return true;
             }},
        };
    }

    static bool Click(QToolButton* button) {
        if (button == nullptr) return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }

    QTimer m_timer;
    QTimer m_boxTimer;
    QElapsedTimer m_stepTime;
    QFile m_report;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QDialog* m_window = nullptr;
};

}  // namespace

class CWindowDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "window_driver.json")

public:
    // The driver takes no key or parameters: the steps come from the environment.
    QObject* create(const QString& /*key*/, const QString& /*parameters*/) override {
        return new CWindowDriver;
    }
};

#include "window_driver.moc"
