// The Options dialog on its own and through the window's Options command:
// what it shows, OK and Cancel, the editor controls' enabled state, browsing
// for an editor, the web checks' fields and the layout of the whole.
#include "ui/skarnel/dlg_options.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
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

namespace {

QLineEdit* Field(const CDialog& dialog, int id) { return dialog.Item<QLineEdit>(id); }

// Options with every web check away from its default.
ScanOptions WebCheckOptions() {
    ScanOptions options;
    options.followRedirects = 1;
    options.retries = 3;
    options.obeyRobots = 1;
    options.excludePatterns = {L"\\.pdf$", L"^/tmp/"};
    options.noFollowPatterns = {L"/archive/"};
    options.userAgent = L"MyBot/2 (+https://example.org)";
    options.acceptedStatuses = L"200-299,403";
    options.requestHeaders = {"Authorization: Bearer t"};
    return options;
}

}  // namespace

TEST(OptionsDialogWebChecks, ShowsTheOptionsValuesAndGivesThemBackUntouched) {
    CDlgOptions dialog;
    dialog.SetValues(WebCheckOptions());
    dialog.Create();
    EXPECT_TRUE(IsChecked(dialog, kIdFollowRedirects));
    EXPECT_TRUE(IsChecked(dialog, kIdObeyRobots));
    EXPECT_EQ(Field(dialog, kIdRetries)->text(), QStringLiteral("3"));
    EXPECT_EQ(Field(dialog, kIdExcludePatterns)->text(), QStringLiteral("\\.pdf$ ^/tmp/"));
    EXPECT_EQ(Field(dialog, kIdNoFollowPatterns)->text(), QStringLiteral("/archive/"));
    EXPECT_EQ(Field(dialog, kIdUserAgent)->text(),
              QStringLiteral("MyBot/2 (+https://example.org)"));
    EXPECT_EQ(Field(dialog, kIdAcceptedStatuses)->text(), QStringLiteral("200-299,403"));
    // The request headers, which the dialog does not show, stay as they were.
    ScanOptions back = WebCheckOptions();
    dialog.GetValues(back);
    EXPECT_EQ(back, WebCheckOptions());
}

TEST_F(OptionsCommand, WebChecksEditedAreTakenOnOkAndSaved) {
    WhenModalDialogOpens([](QWidget* opened) {
        auto* dialog = static_cast<CDialog*>(opened);
        Click(*dialog, kIdFollowRedirects);
        Click(*dialog, kIdObeyRobots);
        Field(*dialog, kIdRetries)->setText(QStringLiteral("2"));
        Field(*dialog, kIdExcludePatterns)->setText(QStringLiteral("  \\.pdf$   ^/tmp/ "));
        Field(*dialog, kIdNoFollowPatterns)->setText(QStringLiteral("/archive/"));
        Field(*dialog, kIdUserAgent)->setText(QStringLiteral("MyBot/2"));
        Field(*dialog, kIdAcceptedStatuses)->setText(QStringLiteral("200-299, 403"));
        Click(*dialog, kIdOk);
    });
    m_window->MenuAction(kIdOptionsMenu)->trigger();
    // The patterns are the words of the field; the file is written from the
    // window's options, so it shows each value they took.
    EXPECT_EQ(m_window->Options().excludePatterns,
              (std::vector<std::wstring>{L"\\.pdf$", L"^/tmp/"}));
    EXPECT_EQ(ConfigurationText(),
              L"1 0 notepad.exe 0 0 0\r\r\nextra redirects=1 retries=2 robots=1 agent=MyBot/2 "
              L"accept=200-299,%20403 exclude=\\.pdf$ exclude=^/tmp/ nofollow=/archive/\r\r\n");

    // A count that is no number from 0 to 10 keeps the one before.
    WhenModalDialogOpens([](QWidget* opened) {
        auto* dialog = static_cast<CDialog*>(opened);
        Field(*dialog, kIdRetries)->setText(QStringLiteral("11"));
        Click(*dialog, kIdOk);
    });
    m_window->MenuAction(kIdOptionsMenu)->trigger();
    EXPECT_EQ(m_window->Options().retries, 2);
}

TEST_F(OptionsCommand, PatternThatDoesNotCompileKeepsTheDialogOpenOnThatField) {
    bool stayedOpen = false;
    bool focusOnField = false;
    WhenModalDialogOpens([&](QWidget* opened) {
        auto* dialog = static_cast<CDialog*>(opened);
        Click(*dialog, kIdFollowRedirects);
        Field(*dialog, kIdExcludePatterns)->setText(QStringLiteral("fine"));
        Field(*dialog, kIdNoFollowPatterns)->setText(QStringLiteral("ok a(b"));
        Click(*dialog, kIdOk);
        stayedOpen = !dialog->HasEnded();
        focusOnField = dialog->focusWidget() == dialog->GetDlgItem(kIdNoFollowPatterns);
        Click(*dialog, kIdCancel);
    });
    m_window->MenuAction(kIdOptionsMenu)->trigger();
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(focusOnField);
    EXPECT_EQ(m_dialogs.Messages(),
              (std::vector<RecordedMessage>{
                  {L"\"Don't read links of pages matching\" holds a regular expression that does "
                   L"not compile:\npattern \"a(b\": missing closing parenthesis at offset 3",
                   L"Error", MessageIcon::kError}}));
    EXPECT_EQ(m_window->Options(), ScanOptions{});
    EXPECT_FALSE(m_appData.Exists("Durnvale/conf01.dat"));
}

TEST_F(OptionsCommand, MalformedAgentOrStatusListIsRefusedUntilMended) {
    // After each refused OK: the focus is on the field the message names.
    std::vector<bool> focusOnField;
    WhenModalDialogOpens([&](QWidget* opened) {
        auto* dialog = static_cast<CDialog*>(opened);
        Field(*dialog, kIdUserAgent)->setText(QString::fromUtf16(u"Bot\u0001"));
        Field(*dialog, kIdAcceptedStatuses)->setText(QStringLiteral("2xx"));
        Click(*dialog, kIdOk);
        focusOnField.push_back(dialog->focusWidget() == dialog->GetDlgItem(kIdUserAgent));
        Field(*dialog, kIdUserAgent)->setText(QStringLiteral("Bot"));
        Click(*dialog, kIdOk);
        focusOnField.push_back(dialog->focusWidget() == dialog->GetDlgItem(kIdAcceptedStatuses));
        Field(*dialog, kIdAcceptedStatuses)->setText(QStringLiteral("200-299,404"));
        Click(*dialog, kIdOk);
        if (!dialog->HasEnded()) Click(*dialog, kIdCancel);
    });
    m_window->MenuAction(kIdOptionsMenu)->trigger();
    ASSERT_EQ(m_dialogs.Messages().size(), 2u);
    EXPECT_EQ(m_dialogs.Messages()[0].text,
              L"\"User agent\" may hold visible characters and blanks only.");
    EXPECT_EQ(m_dialogs.Messages()[1].text,
              L"\"Accepted statuses\" needs status codes from 100 to 999 and ranges of them, "
              L"separated by commas, such as 200-299,403.");
    EXPECT_EQ(focusOnField, (std::vector<bool>{true, true}));
    EXPECT_EQ(m_window->Options().acceptedStatuses, L"200-299,404");
}

TEST_F(OptionsDialogOnItsOwn, ControlsShowTheirWholeTextsAndNeverOverlap) {
    std::vector<QWidget*> controls;
    const QGroupBox* webGroup = nullptr;
    for (QWidget* widget :
         m_dialog.ClientArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            if (group->title() == QStringLiteral("Web checks")) webGroup = group;
            continue;
        }
        controls.push_back(widget);
    }
    ASSERT_NE(webGroup, nullptr);
    const QRect client = m_dialog.ClientArea()->rect();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const QWidget* control = controls[i];
        EXPECT_TRUE(client.contains(control->geometry()))
            << control->property("text").toString().toStdString();
        if (qobject_cast<const QLabel*>(control) || qobject_cast<const QCheckBox*>(control)) {
            EXPECT_GE(control->width(), control->sizeHint().width())
                << control->property("text").toString().toStdString();
        }
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(control->geometry().intersects(controls[j]->geometry()))
                << control->property("text").toString().toStdString() << " and "
                << controls[j]->property("text").toString().toStdString();
        }
    }
    // The web checks sit inside their group, below its caption.
    const QRect inside = webGroup->contentsRect().translated(webGroup->pos());
    for (const int id : {kIdFollowRedirects, kIdRetries, kIdObeyRobots, kIdExcludePatterns,
                         kIdNoFollowPatterns, kIdUserAgent, kIdAcceptedStatuses}) {
        EXPECT_TRUE(inside.contains(m_dialog.GetDlgItem(id)->geometry())) << id;
    }
    EXPECT_GT(webGroup->y(), m_dialog.GetDlgItem(kIdBrowseEditor)->geometry().bottom());
    EXPECT_GT(m_dialog.GetDlgItem(kIdOk)->y(), webGroup->geometry().bottom());
}
