// The editor window, run for real offscreen: loading with and without a
// command line, the title, the selected line, "Save as..." through a
// recorder (and once through the real save dialog), failures, closing.
#include "editor/editor_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "resources/editor/editor_ids.h"
#include "testing/temp_folder.h"
#include "ui/framework/dialog_recorder.h"
#include "ui/framework/qt_text.h"

namespace {

using namespace std::string_literals;

class EditorWindow : public ::testing::Test {
protected:
    // Opens the editor with this command line after the program's own path,
    // and waits until the load timer has run.
    CEditorDlg& Open(std::vector<std::wstring> arguments) {
        arguments.insert(arguments.begin(), L"/opt/skarnel/ZentribEditor");
        m_editor = std::make_unique<CEditorDlg>(std::move(arguments));
        m_editor->Create();
        m_editor->show();
        EXPECT_TRUE(QTest::qWaitFor([this] { return !m_editor->LoadPending(); }, 5000));
        return *m_editor;
    }

    CEditorDlg& OpenFile(const std::string& name, const std::string& bytes,
                         std::vector<std::wstring> more = {}) {
        m_folder.Put(name, bytes);
        more.insert(more.begin(), m_folder.WidePathOf(name));
        return Open(std::move(more));
    }

    // Saves through "Save as..." under name in the test folder and returns
    // the bytes written.
    std::string SaveAs(const std::string& name) {
        m_recorder->AnswerNextFileDialog(m_folder.WidePathOf(name));
        m_editor->SendCommand(kIdSaveAs);
        return m_folder.Read(name);
    }

    // Puts the caret at the end of the text and types there.
    void TypeAtEnd(const QString& keys) {
        CLineEdit* field = m_editor->TextField();
        field->moveCursor(QTextCursor::End);
        QTest::keyClicks(field, keys);
    }

    // The names in the test folder, sorted.
    [[nodiscard]] std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    [[nodiscard]] QString Title() const { return m_editor->windowTitle(); }
    [[nodiscard]] std::pair<int, int> Selection() const {
        const QTextCursor cursor = m_editor->TextField()->textCursor();
        return {cursor.anchor(), cursor.position()};
    }

    TempFolder m_folder;
    std::optional<DialogRecorder> m_recorder{std::in_place};
    std::unique_ptr<CEditorDlg> m_editor;
};

}  // namespace

TEST_F(EditorWindow, ShowsUpEmptyAndTitledBeforeItLoadsTheFile) {
    m_folder.Put("page.html", "<a href=x>\n");
    m_editor = std::make_unique<CEditorDlg>(
        std::vector<std::wstring>{L"ZentribEditor", m_folder.WidePathOf("page.html")});
    m_editor->Create();
    m_editor->show();
    EXPECT_TRUE(m_editor->LoadPending());
    EXPECT_EQ(Title(), "Skarnel Editor");
    EXPECT_TRUE(m_editor->TextField()->document()->isEmpty());
    EXPECT_EQ(m_editor->minimumSize(), m_editor->maximumSize());

    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_editor->LoadPending(); }, 5000));
    EXPECT_EQ(Title(), "Skarnel Editor - page.html");
    EXPECT_EQ(m_editor->TextField()->toPlainText(), "<a href=x>\n");
    EXPECT_TRUE(m_editor->TextField()->hasFocus());
}

TEST_F(EditorWindow, WithoutAFileStaysEmptyAndSavesCrLf) {
    Open({});
    EXPECT_EQ(Title(), "Skarnel Editor");
    EXPECT_EQ(m_editor->KeepLineEnds(), 1);
    TypeAtEnd("one");
    QTest::keyClick(m_editor->TextField(), Qt::Key_Return);
    TypeAtEnd("two");
    EXPECT_EQ(SaveAs("new.txt"), "one\r\ntwo");
    ASSERT_EQ(m_recorder->FileDialogs().size(), 1u);
    EXPECT_EQ(m_recorder->FileDialogs()[0].request.initialName, L"");
}

TEST_F(EditorWindow, AFileThatDoesNotOpenLeavesTheEditorEmptyWithoutAMessage) {
    Open({m_folder.WidePathOf("missing.html"), L"3"});
    EXPECT_EQ(Title(), "Skarnel Editor");
    EXPECT_TRUE(m_editor->TextField()->document()->isEmpty());
    EXPECT_TRUE(m_recorder->Messages().empty());
}

TEST_F(EditorWindow, TitleShowsTheFileNameWithoutItsFolder) {
    OpenFile("caf\xC3\xA9 page.html", "x");
    EXPECT_EQ(Title(), QString::fromUtf8("Skarnel Editor - caf\xC3\xA9 page.html"));
}

TEST_F(EditorWindow, SelectsTheRequestedLineWithTheCaretAtItsEnd) {
    const std::string text = "one\r\ntwo\r\nthree\r\n";
    // The field holds one break per CR LF: "one\ntwo\nthree\n".
    const std::vector<std::pair<std::wstring, std::pair<int, int>>> cases = {
        {L"1", {0, 3}},   {L"2", {3, 7}},    {L" +3 more", {7, 13}},
        {L"4", {13, 14}}, {L"5", {0, 14}},   {L"0", {0, 14}},
        {L"-1", {0, 14}}, {L"abc", {0, 14}}, {L"99999999999", {0, 14}},
    };
    for (const auto& [line, selection] : cases) {
        OpenFile("lines.txt", text, {line});
        EXPECT_EQ(Selection(), selection) << ToQString(line).toStdString();
    }
    OpenFile("lines.txt", text);
    EXPECT_EQ(Selection(), (std::pair{0, 0}));

    // A line far down is scrolled into view.
    std::string longText;
    for (int i = 1; i <= 400; ++i) longText += "line " + std::to_string(i) + "\n";
    OpenFile("long.txt", longText, {L"300"});
    CLineEdit* field = m_editor->TextField();
    EXPECT_EQ(field->textCursor().selectedText(), QString(QChar::ParagraphSeparator) + "line 300");
    EXPECT_TRUE(field->viewport()->rect().contains(field->cursorRect()));
}

TEST_F(EditorWindow, AFileWithCrLineEndsOnlyIsAllLineOne) {
    OpenFile("mac.txt", "a\rb\rc", {L"2"});
    EXPECT_EQ(Selection(), (std::pair{0, 5}));
}

TEST_F(EditorWindow, SavingUnchangedWritesTheLoadedBytesExactly) {
    const std::vector<std::string> files = {
        "",
        "a\r\nb\r\n",
        "a\nb\n",
        "a\r\nb\nc\rd\r\n\n",
        "a\rb\rc\r",
        "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 no\xC2\xA0"
        "break \xEF\xBB\xBF",
        "caf\xE9 \xFF\xFE \x80 \xC3 \xE2\x82",
        "before\0after\0\0end\n"s,
        "para\xE2\x80\xA9sep\xE2\x80\xA8line",
    };
    int n = 0;
    for (const std::string& file : files) {
        OpenFile("in.txt", file);
        const std::string name = "out" + std::to_string(n++) + ".txt";
        EXPECT_EQ(SaveAs(name), file) << file;
    }

    // The text after a zero byte is shown, not cut off.
    OpenFile("zero.txt", "a\0b"s);
    EXPECT_EQ(m_editor->TextField()->toPlainText(), QString("a") + QChar(0) + QString("b"));
}

TEST_F(EditorWindow, AddedLinesEndTheWayTheFileEndsItsLines) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\nb", "a\nb\nz"},
        {"a\r\nb", "a\r\nb\r\nz"},
        {"a\r\nb\nc", "a\r\nb\nc\r\nz"},
        {"a\rb", "a\rb\r\nz"},
        {"", "\nz"},
        {"abc", "abc\nz"},
    };
    for (const auto& [file, saved] : cases) {
        OpenFile("in.txt", file);
        QTest::keyClick(m_editor->TextField(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(m_editor->TextField(), Qt::Key_Return);
        TypeAtEnd("z");
        EXPECT_EQ(SaveAs("out.txt"), saved) << file;
    }
}

TEST_F(EditorWindow, APageInTheWindowsCodePageShowsItsLettersAndStaysInIt) {
    OpenFile("old.html", "caf\xE9 \x93quoted\x94\r\n");
    EXPECT_EQ(m_editor->TextField()->toPlainText(), QString::fromUtf8("café “quoted”\n"));
    EXPECT_EQ(SaveAs("same.html"), "caf\xE9 \x93quoted\x94\r\n");
    // Typed through the input method: key clicks carry ASCII only.
    m_editor->TextField()->moveCursor(QTextCursor::End);
    m_editor->TextField()->insertPlainText(QString::fromUtf8("€ à"));
    EXPECT_EQ(SaveAs("typed.html"), "caf\xE9 \x93quoted\x94\r\n\x80 \xE0");
}

TEST_F(EditorWindow, ShiftEnterIsALineBreakLikeEnter) {
    OpenFile("in.txt", "a\nb");
    QTest::keyClick(m_editor->TextField(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(m_editor->TextField(), Qt::Key_Return, Qt::ShiftModifier);
    TypeAtEnd("c");
    EXPECT_EQ(SaveAs("out.txt"), "a\nb\nc");
}

TEST_F(EditorWindow, SaveAsOffersTheLoadedNameAndSavesANameWithoutExtensionAsTyped) {
    OpenFile("index.php", "<?php ?>\n");
    EXPECT_EQ(SaveAs("notes"), "<?php ?>\n");

    ASSERT_EQ(m_recorder->FileDialogs().size(), 1u);
    const RecordedFileDialog& dialog = m_recorder->FileDialogs()[0];
    EXPECT_EQ(dialog.kind, FileDialogKind::kSave);
    EXPECT_EQ(dialog.owner, m_editor.get());
    EXPECT_EQ(dialog.request.initialName, L"index.php");
    EXPECT_EQ(dialog.request.filters, (std::vector<FileFilter>{{L"All files(*.*)", L"*.*"}}));
    EXPECT_EQ(dialog.request.defaultExtension, L"*");
    EXPECT_TRUE(dialog.request.askBeforeReplacing);

    EXPECT_EQ(FileNames(), (std::vector<std::string>{"index.php", "notes"}));
}

TEST_F(EditorWindow, TheRealSaveDialogKeepsANameTypedWithoutExtension) {
    OpenFile("index.php", "text");
    m_recorder.reset();  // the real dialogs, for this test only
    const QString typed = QString::fromStdString(m_folder.PathOf("plain").string());
    QTimer::singleShot(0, [typed] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(nameEdit, nullptr);
        nameEdit->setText(typed);
        QTest::keyClick(nameEdit, Qt::Key_Return);
    });
    m_editor->SendCommand(kIdSaveAs);
    EXPECT_EQ(m_folder.Read("plain"), "text");
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"index.php", "plain"}));
}

TEST_F(EditorWindow, SaveFailuresAreShownAndChangeNothingElse) {
    OpenFile("page.html", "a\nb");
    m_recorder->AnswerNextFileDialog(m_folder.WidePathOf("no/such/folder.txt"));
    m_editor->SendCommand(kIdSaveAs);
    if (std::filesystem::exists("/dev/full")) {
        m_recorder->AnswerNextFileDialog(L"/dev/full");
        m_editor->SendCommand(kIdSaveAs);
    }
    std::vector<RecordedMessage> expected = {
        {L"Can't create file!", L"Error", MessageIcon::kError}};
    if (std::filesystem::exists("/dev/full")) {
        expected.push_back({L"Can't write file!", L"Error", MessageIcon::kError});
    }
    EXPECT_EQ(m_recorder->Messages(), expected);
    EXPECT_EQ(m_editor->TextField()->toPlainText(), "a\nb");
    EXPECT_EQ(Title(), "Skarnel Editor - page.html");
    EXPECT_EQ(m_editor->KeepLineEnds(), 0);

    // A cancelled dialog writes nothing and says nothing.
    m_editor->SendCommand(kIdSaveAs);
    EXPECT_EQ(m_recorder->Messages().size(), expected.size());
}

TEST_F(EditorWindow, ExitCloseBoxAndEscEndAtOnceWithoutAQuestion) {
    for (int way = 0; way < 3; ++way) {
        OpenFile("page.html", "a");
        TypeAtEnd("changed");
        if (way == 0) m_editor->SendCommand(kIdEditorExit);
        if (way == 1) m_editor->close();
        if (way == 2) QTest::keyClick(m_editor->TextField(), Qt::Key_Escape);
        EXPECT_TRUE(m_editor->HasEnded()) << way;
        EXPECT_TRUE(m_editor->isHidden()) << way;
    }
    EXPECT_TRUE(m_recorder->Messages().empty());
    EXPECT_TRUE(m_recorder->FileDialogs().empty());
}

TEST_F(EditorWindow, AboutBoxOpensFromTheHelpMenuAndTheSystemCommand) {
    Open({});
    ASSERT_NE(m_editor->MenuAction(kIdSaveAs), nullptr);
    ASSERT_NE(m_editor->MenuAction(kIdEditorExit), nullptr);
    for (int command : {kIdEditorAbout, kIdEditorSystemAbout}) {
        QString caption;
        QStringList texts;
        QTimer::singleShot(0, [&] {
            QWidget* about = QApplication::activeModalWidget();
            ASSERT_NE(about, nullptr);
            caption = about->windowTitle();
            for (QLabel* label : about->findChildren<QLabel*>()) texts << label->text();
            QTest::keyClick(about, Qt::Key_Return);
        });
        m_editor->SendCommand(command);
        EXPECT_EQ(caption, "About Skarnel Editor");
        EXPECT_TRUE(texts.contains("Skarnel Editor Version 1.0")) << texts.join("|").toStdString();
    }
}

TEST_F(EditorWindow, TextIsBlackAndTheSelectionStaysShownWithoutFocus) {
    OpenFile("page.html", "a\nb", {L"2"});
    const QPalette palette = m_editor->TextField()->palette();
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Highlight),
              palette.color(QPalette::Active, QPalette::Highlight));
}
