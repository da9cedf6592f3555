// The Options dialog on its own and through the window's Options command:
// what it shows, OK and Cancel, the editor controls' enabled state, and
// browsing for an editor.
#include "ui/skarnel/dlg_options.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "resources/skarnel/skarnel_resources.h"
#include "ui/skarnel/bitmap_button.h"
#include "ui/skarnel/main_window_fixture.h"

namespace {

using OptionsCommand = MainWindowFixture;

bool IsChecked(const CDialog& dialog, int id) { return dialog.Item<QCheckBox>(id)->isChecked(); }

void Click(const CDialog& dialog, int id) {
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

struct OptionsDialogOnItsOwn : ::testing::Test {
    OptionsDialogOnItsOwn() {
        m_dialog.SetValues(ScanOptions{});
        m_dialog.Create();
        m_dialog.show();
    }
    CDlgOptions m_dialog;
    DialogRecorder m_dialogs;
};

}  // namespace

TEST_F(OptionsDialogOnItsOwn, ShowsTheDefaultsWithTheEditorControlsDisabled) {
    EXPECT_EQ(m_dialog.windowTitle(), QStringLiteral("Options"));
    EXPECT_TRUE(IsChecked(m_dialog, kIdCheckImages));
    for (const int id : {kIdCheckAllTags, kIdCheckExternalUrls, kIdScanPageOnly, kIdCheckHttpsLinks,
                         kIdUseExternalEditor}) {
        EXPECT_FALSE(IsChecked(m_dialog, id)) << id;
    }
    EXPECT_EQ(m_dialog.Item<QLineEdit>(kIdEditorCommand)->text(), QStringLiteral("notepad.exe"));
    EXPECT_FALSE(m_dialog.GetDlgItem(kIdEditorCommand)->isEnabled());
    EXPECT_FALSE(m_dialog.GetDlgItem(kIdBrowseEditor)->isEnabled());
}

TEST_F(OptionsDialogOnItsOwn, UseExternalEditorTogglesTheEditorControlsAtOnce) {
    Click(m_dialog, kIdUseExternalEditor);
    EXPECT_TRUE(m_dialog.GetDlgItem(kIdEditorCommand)->isEnabled());
    EXPECT_TRUE(m_dialog.GetDlgItem(kIdBrowseEditor)->isEnabled());
    EXPECT_EQ(m_dialog.m_useExternalEditor, 1);
    Click(m_dialog, kIdUseExternalEditor);
    EXPECT_FALSE(m_dialog.GetDlgItem(kIdEditorCommand)->isEnabled());
    EXPECT_FALSE(m_dialog.GetDlgItem(kIdBrowseEditor)->isEnabled());
    EXPECT_EQ(m_dialog.m_useExternalEditor, 0);
}

TEST_F(OptionsDialogOnItsOwn, BrowseReplacesTheEditorAndUndoesUntakenCheckBoxChanges) {
    Click(m_dialog, kIdUseExternalEditor);  // taken into the values
    Click(m_dialog, kIdCheckAllTags);       // not yet taken
    Click(m_dialog, kIdCheckImages);        // not yet taken
    m_dialogs.AnswerNextFileDialog(L"/opt/my editor/bin/edit");
    Click(m_dialog, kIdBrowseEditor);

    EXPECT_EQ(m_dialog.Item<QLineEdit>(kIdEditorCommand)->text(),
              QStringLiteral("/opt/my editor/bin/edit"));
    EXPECT_TRUE(IsChecked(m_dialog, kIdUseExternalEditor));
    EXPECT_FALSE(IsChecked(m_dialog, kIdCheckAllTags));
    EXPECT_TRUE(IsChecked(m_dialog, kIdCheckImages));

    ASSERT_EQ(m_dialogs.FileDialogs().size(), 1u);
    const FileDialogRequest& request = m_dialogs.FileDialogs()[0].request;
    EXPECT_EQ(request.filters, (std::vector<FileFilter>{{L"Applications", L"*"}}));
    EXPECT_TRUE(request.fileMustExist);

    // Cancelling changes nothing.
    m_dialogs.AnswerNextFileDialog(std::nullopt);
    Click(m_dialog, kIdBrowseEditor);
    EXPECT_EQ(m_dialog.m_editorCommand, L"/opt/my editor/bin/edit");
}

TEST_F(OptionsCommand, OkTakesTheValuesAndWritesTheFileAtOnce) {
    WhenModalDialogOpens([](QWidget* opened) {
        auto* dialog = static_cast<CDialog*>(opened);
        Click(*dialog, kIdCheckAllTags);
        Click(*dialog, kIdUseExternalEditor);
        dialog->Item<QLineEdit>(kIdEditorCommand)->setText("/usr/bin/my edit");
        Click(*dialog, kIdOk);
    });
    m_window->MenuAction(kIdOptionsMenu)->trigger();

    EXPECT_EQ(m_window->Options().checkAllTags, 1);
    EXPECT_EQ(m_window->Options().useExternalEditor, 1);
    EXPECT_EQ(m_window->Options().editorCommand, L"/usr/bin/my edit");
    EXPECT_EQ(ConfigurationText(), L"1 1 /usr/bin/my#edit 0 1 0\r\r\n");
}

TEST_F(OptionsCommand, OpensWithTheFocusOnOkSoSpaceConfirmsWithoutTogglingABox) {
    bool focusOnOk = false;
    WhenModalDialogOpens([&focusOnOk](QWidget* opened) {
        auto* dialog = static_cast<CDialog*>(opened);
        QWidget* focused = dialog->focusWidget();
        focusOnOk = focused == dialog->GetDlgItem(kIdOk);
        QTest::keyClick(focused, Qt::Key_Space);
        if (!dialog->HasEnded()) Click(*dialog, kIdCancel);
    });
    m_window->SendCommand(kIdOptionsCommand);
    EXPECT_TRUE(focusOnOk);
    EXPECT_EQ(m_window->Options(), ScanOptions{});
    EXPECT_EQ(ConfigurationText(), L"1 0 notepad.exe 0 0 0\r\r\n");
}

TEST_F(OptionsCommand, HttpsAndFastCheckingSitBelowTheScanOptionsAndAreSaved) {
    WhenModalDialogOpens([](QWidget* opened) {
        auto* dialog = static_cast<CDialog*>(opened);
        const auto* https = dialog->Item<QCheckBox>(kIdCheckHttpsLinks);
        const auto* fast = dialog->Item<QCheckBox>(kIdFastChecking);
        auto* connections = dialog->Item<QLineEdit>(kIdConnectionsPerHost);
        EXPECT_EQ(https->text(), QStringLiteral("Check https links"));
        EXPECT_EQ(fast->text(), QStringLiteral("Fast checking"));
        EXPECT_FALSE(https->isChecked());
        EXPECT_FALSE(fast->isChecked());
        EXPECT_EQ(connections->text(), QStringLiteral("8"));
        for (const QCheckBox* box : {https, fast}) {
            EXPECT_GE(box->width(), box->sizeHint().width());
        }
        EXPECT_GT(https->y(), dialog->GetDlgItem(kIdScanPageOnly)->geometry().bottom());
        EXPECT_GT(fast->y(), https->geometry().bottom());
        EXPECT_LT(fast->geometry().bottom(), dialog->GetDlgItem(kIdUseExternalEditor)->y());
        EXPECT_GT(connections->x(), fast->geometry().right());
        // The dialog grew with them: the buttons are still inside.
        EXPECT_LE(dialog->GetDlgItem(kIdOk)->geometry().bottom(),
                  dialog->GetDlgItem(kIdOk)->parentWidget()->height());
        Click(*dialog, kIdCheckHttpsLinks);
        Click(*dialog, kIdFastChecking);
        connections->setText(QStringLiteral(" 3"));
        Click(*dialog, kIdOk);
    });
    m_window->MenuAction(kIdOptionsMenu)->trigger();
    EXPECT_EQ(m_window->Options().checkHttpsLinks, 1);
    EXPECT_EQ(m_window->Options().fastChecking, 1);
    EXPECT_EQ(m_window->Options().connectionsPerHost, 3);
    EXPECT_EQ(ConfigurationText(),
              L"1 0 notepad.exe 0 0 0\r\r\nextra https=1 fast=1 connections=3\r\r\n");
    // A limit that is no number from 1 to 64 keeps the one before.
    WhenModalDialogOpens([](QWidget* opened) {
        auto* dialog = static_cast<CDialog*>(opened);
        dialog->Item<QLineEdit>(kIdConnectionsPerHost)->setText(QStringLiteral("65"));
        Click(*dialog, kIdOk);
    });
    m_window->MenuAction(kIdOptionsMenu)->trigger();
    EXPECT_EQ(m_window->Options().connectionsPerHost, 3);
}

TEST_F(OptionsCommand, AnchorsAndTheSiteRootSitAboveTheEditorAndAreSaved) {
    WhenModalDialogOpens([](QWidget* opened) {
        auto* dialog = static_cast<CDialog*>(opened);
        const auto* anchors = dialog->Item<QCheckBox>(kIdCheckAnchors);
        auto* root = dialog->Item<QLineEdit>(kIdSiteRoot);
        EXPECT_EQ(anchors->text(), QStringLiteral("Check anchors"));
        EXPECT_FALSE(anchors->isChecked());
        EXPECT_TRUE(root->text().isEmpty());
        EXPECT_GE(anchors->width(), anchors->sizeHint().width());
        EXPECT_GT(anchors->y(), dialog->GetDlgItem(kIdFastChecking)->geometry().bottom());
        EXPECT_GT(root->y(), anchors->geometry().bottom());
        EXPECT_LT(root->geometry().bottom(), dialog->GetDlgItem(kIdUseExternalEditor)->y());
        EXPECT_LE(dialog->GetDlgItem(kIdOk)->geometry().bottom(),
                  dialog->GetDlgItem(kIdOk)->parentWidget()->height());
        Click(*dialog, kIdCheckAnchors);
        root->setText(QStringLiteral("/srv/my site/"));
        Click(*dialog, kIdOk);
    });
    m_window->MenuAction(kIdOptionsMenu)->trigger();
    EXPECT_EQ(m_window->Options().checkAnchors, 1);
    EXPECT_EQ(m_window->Options().siteRoot, L"/srv/my site/");
    EXPECT_EQ(ConfigurationText(),
              L"1 0 notepad.exe 0 0 0\r\r\nextra anchors=1 root=/srv/my%20site/\r\r\n");
}

TEST_F(OptionsCommand, CancelChangesNothingAndWritesNothing) {
    WhenModalDialogOpens([](QWidget* opened) {
        auto* dialog = static_cast<CDialog*>(opened);
        Click(*dialog, kIdCheckImages);
        Click(*dialog, kIdScanPageOnly);
        Click(*dialog, kIdCancel);
    });
    m_window->SendCommand(kIdOptionsCommand);
    EXPECT_EQ(m_window->Options(), ScanOptions{});
    EXPECT_FALSE(m_appData.Exists("Durnvale/conf01.dat"));
}

TEST_F(OptionsCommand, OpensFromTheHiddenButtonDuringAScanAndTheScanGoesOn) {
    FakeLocalScan({{L"/a.html", L"OK", L"/a.html", ResultIcon::kOk}}, /*hold=*/true);
    m_window->Item<QLineEdit>(kIdPathField)->setText("/a.html");
    m_window->SendCommand(kIdStartCommand);
    ASSERT_TRUE(ServeEventsUntil([&] { return m_window->Rows().size() == 1; }));

    WhenModalDialogOpens([this](QWidget* opened) {
        ReleaseScan();
        // The scan's totals reach the window while the dialog is open.
        EXPECT_TRUE(
            ServeEventsUntil([this] { return m_window->StatusText().starts_with(L"Total"); }));
        Click(*static_cast<CDialog*>(opened), kIdOk);
    });
    m_window->Item<CBitmapButton>(kIdOptionsButton)->click();
    EXPECT_EQ(m_window->StatusText(), L"Total links found: 1, errors: 0");
    EXPECT_EQ(ConfigurationText(), L"1 0 notepad.exe 0 0 0\r\r\n");
}
