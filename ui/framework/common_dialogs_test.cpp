// The common dialogs' filters and their test recorder.
#include "ui/framework/common_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>

#include "ui/framework/dialog_recorder.h"

TEST(QtFilterText, StarDotStarMatchesNamesWithoutADotToo) {
    EXPECT_EQ(QtFilterText(FileFilter{L"All Files", L"*.*;*.*"}), L"All Files (*)");
    EXPECT_EQ(QtFilterText(FileFilter{L"All files(*.*)", L"*.*"}), L"All files(*.*) (*)");
}

TEST(QtFilterText, RepeatedPatternsAppearOnceAndEmptyOnesAreDropped) {
    EXPECT_EQ(QtFilterText(FileFilter{L"Applications", L"*.exe;*.exe"}), L"Applications (*.exe)");
    EXPECT_EQ(QtFilterText(FileFilter{L"Pages", L"*.htm;;*.html;"}), L"Pages (*.htm *.html)");
}

TEST(DialogRecorder, RecordsRequestsAnswersInTurnThenCancels) {
    DialogRecorder recorder;
    ShowMessageBox(nullptr, L"Can't create file!", L"Error", MessageIcon::kError);
    recorder.AnswerNextFileDialog(L"/tmp/a.txt");
    FileDialogRequest request;
    request.filters = {FileFilter{L"All Files", L"*.*"}};
    request.fileMustExist = true;

    EXPECT_EQ(ShowOpenFileDialog(nullptr, request), std::optional<std::wstring>(L"/tmp/a.txt"));
    EXPECT_EQ(ShowSaveFileDialog(nullptr, request), std::nullopt);

    ASSERT_EQ(recorder.Messages().size(), 1u);
    EXPECT_EQ(recorder.Messages()[0],
              (RecordedMessage{L"Can't create file!", L"Error", MessageIcon::kError}));
    ASSERT_EQ(recorder.FileDialogs().size(), 2u);
    EXPECT_EQ(recorder.FileDialogs()[0].kind, FileDialogKind::kOpen);
    EXPECT_EQ(recorder.FileDialogs()[0].request, request);
    EXPECT_EQ(recorder.FileDialogs()[1].kind, FileDialogKind::kSave);
}

namespace {

// The filter names the real file dialog shows for filters; it is then cancelled.
std::vector<std::string> FilterNamesShown(const std::vector<FileFilter>& filters) {
    std::vector<std::string> shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        poll.stop();
        const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; types != nullptr && i < types->count(); ++i)
            shown.push_back(types->itemText(i).toStdString());
        dialog->reject();
    });
    poll.start(5);
    FileDialogRequest request;
    request.filters = filters;
    EXPECT_EQ(ShowSaveFileDialog(nullptr, request), std::nullopt);
    return shown;
}

}  // namespace

TEST(RealFileDialog, AFilterWhoseNameShowsItsPatternsIsShownByThatNameAlone) {
    EXPECT_EQ(FilterNamesShown({FileFilter{L"All files(*.*)", L"*.*"}}),
              std::vector<std::string>{"All files(*.*)"});
    EXPECT_EQ(
        FilterNamesShown({FileFilter{L"CSV files", L"*.csv"}, FileFilter{L"All Files", L"*.*"}}),
        (std::vector<std::string>{"CSV files (*.csv)", "All Files (*)"}));
}
