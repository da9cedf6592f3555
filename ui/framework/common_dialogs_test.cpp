// The common dialogs' filters and their test recorder.
#include "ui/framework/common_dialogs.h"

#include <gtest/gtest.h>

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
