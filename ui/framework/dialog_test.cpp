// CDialog: controls from the template, data exchange, commands, Enter, Esc,
// close requests and resizing, on a small test dialog.
#include "ui/framework/dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <vector>

namespace {

constexpr int kNameEdit = 1000;
constexpr int kFlagBox = 1004;
constexpr int kBrowseButton = 1001;
constexpr int kHiddenButton = 1003;
constexpr int kList = 1002;
constexpr int kSaveCommand = 32771;

const MenuTemplate kTestMenu{
    129, {MenuPopupTemplate{L"File", {{L"Save as...", kSaveCommand}, {L"", 0}, {L"Exit", 32772}}}}};

DialogTemplate TestTemplate(bool withMenu) {
    DialogTemplate result;
    result.id = 500;
    result.caption = L"Test dialog";
    result.width = 200;
    result.height = 120;
    result.styles.resizable = true;
    result.menu = withMenu ? &kTestMenu : nullptr;
    result.controls = {
        {kNoControlId, ControlKind::kStaticText, L"Name:", {5, 7, 20, 8}, {}},
        {kNameEdit, ControlKind::kEdit, L"", {30, 5, 100, 14}, {.border = true}},
        {kBrowseButton, ControlKind::kPushButton, L"...", {135, 5, 20, 14}, {}},
        {kFlagBox, ControlKind::kAutoCheckBox, L"Flag", {5, 25, 60, 10}, {}},
        {kHiddenButton, ControlKind::kPushButton, L"Start", {5, 40, 50, 26}, {.hidden = true}},
        {kList,
         ControlKind::kListView,
         L"",
         {5, 70, 150, 40},
         {.border = true, .singleSelection = true}},
        {kNoControlId, ControlKind::kGroupBox, L"", {2, 20, 196, 20}, {}},
        {kIdOk, ControlKind::kDefaultPushButton, L"OK", {160, 70, 35, 14}, {}},
        {kIdCancel, ControlKind::kPushButton, L"Cancel", {160, 90, 35, 14}, {.disabled = false}},
    };
    return result;
}

class TestDialog : public CDialog {
public:
    explicit TestDialog(bool withMenu = true) : CDialog(TestTemplate(withMenu)) {}

    std::wstring m_name = L"first";
    int m_flag = 0;
    std::vector<QSize> m_sizes;
    int m_closeRequests = 0;
    bool m_endOnClose = false;

    using CDialog::OnCommand;

protected:
    void DoDataExchange(bool save) override {
        DdxText(save, kNameEdit, m_name);
        DdxCheck(save, kFlagBox, m_flag);
    }
    void OnSize(int cx, int cy) override { m_sizes.emplace_back(cx, cy); }
    void OnClose() override {
        ++m_closeRequests;
        if (m_endOnClose) EndDialog(kIdOk);
    }
};

void PressKey(QWidget* target, Qt::Key key) { QTest::keyClick(target, key); }

}  // namespace

TEST(CDialog, BuildsEachControlAtItsTemplatePositionBelowTheMenu) {
    TestDialog dialog;
    dialog.Create();

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Test dialog"));
    ASSERT_NE(dialog.MenuBar(), nullptr);
    const int menuHeight = dialog.MenuBar()->height();
    EXPECT_GT(menuHeight, 0);
    EXPECT_EQ(
        dialog.ClientArea()->geometry(),
        QRect(QPoint(0, menuHeight), dialog.MapDialogRect(DialogRect{0, 0, 200, 120}).size()));
    EXPECT_EQ(dialog.size().height(), dialog.ClientArea()->height() + menuHeight);

    auto* edit = dialog.Item<QLineEdit>(kNameEdit);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->parentWidget(), dialog.ClientArea());
    EXPECT_EQ(edit->geometry(), dialog.MapDialogRect(DialogRect{30, 5, 100, 14}));
    EXPECT_EQ(edit->font(), dialog.DialogFontUsed());
    ASSERT_NE(dialog.Item<QCheckBox>(kFlagBox), nullptr);
    EXPECT_EQ(dialog.Item<QCheckBox>(kFlagBox)->text(), QStringLiteral("Flag"));
    ASSERT_NE(dialog.Item<QTreeView>(kList), nullptr);
    EXPECT_EQ(dialog.Item<QTreeView>(kList)->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_TRUE(dialog.Item<QPushButton>(kHiddenButton)->isHidden());
    EXPECT_FALSE(dialog.Item<QPushButton>(kBrowseButton)->isHidden());
    EXPECT_TRUE(dialog.Item<QPushButton>(kIdOk)->isDefault());
    EXPECT_EQ(dialog.GetDlgItem(4242), nullptr);
}

TEST(CDialog, GroupBoxLetsClicksThroughToTheControlsItFrames) {
    TestDialog dialog;
    dialog.Create();
    dialog.show();
    auto* box = dialog.Item<QCheckBox>(kFlagBox);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_TRUE(box->isChecked());
}

TEST(CDialog, DataExchangeRunsBothWays) {
    TestDialog dialog;
    dialog.m_name = L"/srv/site index.html";
    dialog.m_flag = 2;  // any value but 0 is on
    dialog.Create();

    EXPECT_EQ(dialog.Item<QLineEdit>(kNameEdit)->text(), QStringLiteral("/srv/site index.html"));
    EXPECT_TRUE(dialog.Item<QCheckBox>(kFlagBox)->isChecked());

    dialog.Item<QLineEdit>(kNameEdit)->setText(QStringLiteral("zweite \u00e9"));
    dialog.Item<QCheckBox>(kFlagBox)->setChecked(false);
    EXPECT_EQ(dialog.m_name, L"/srv/site index.html");  // nothing moves until UpdateData
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.m_name, L"zweite \u00e9");
    EXPECT_EQ(dialog.m_flag, 0);

    dialog.Item<QCheckBox>(kFlagBox)->setChecked(true);
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.m_flag, 1);
}

TEST(CDialog, ButtonsAndMenuEntriesSendTheirCommandIds) {
    TestDialog dialog;
    std::vector<int> commands;
    dialog.OnCommand(kBrowseButton, [&] { commands.push_back(kBrowseButton); });
    dialog.OnCommand(kHiddenButton, [&] { commands.push_back(kHiddenButton); });
    dialog.OnCommand(kSaveCommand, [&] { commands.push_back(kSaveCommand); });
    dialog.Create();

    dialog.Item<QPushButton>(kBrowseButton)->click();
    dialog.Item<QPushButton>(kHiddenButton)->click();
    ASSERT_NE(dialog.MenuAction(kSaveCommand), nullptr);
    EXPECT_EQ(dialog.MenuAction(kSaveCommand)->text(), QStringLiteral("Save as..."));
    dialog.MenuAction(kSaveCommand)->trigger();
    dialog.SendCommand(9999);  // no handler: nothing happens

    EXPECT_EQ(commands, (std::vector<int>{kBrowseButton, kHiddenButton, kSaveCommand}));
    EXPECT_FALSE(dialog.HasEnded());
}

TEST(CDialog, EnterTakesTheValuesAndEndsWithOkEscEndsWithCancel) {
    {
        TestDialog dialog;
        dialog.Create();
        dialog.show();
        dialog.Item<QLineEdit>(kNameEdit)->setText(QStringLiteral("typed"));
        PressKey(dialog.Item<QLineEdit>(kNameEdit), Qt::Key_Return);
        EXPECT_TRUE(dialog.HasEnded());
        EXPECT_EQ(dialog.result(), kIdOk);
        EXPECT_EQ(dialog.m_name, L"typed");
    }
    {
        TestDialog dialog;
        dialog.Create();
        dialog.show();
        dialog.Item<QLineEdit>(kNameEdit)->setText(QStringLiteral("typed"));
        PressKey(dialog.Item<QLineEdit>(kNameEdit), Qt::Key_Escape);
        EXPECT_TRUE(dialog.HasEnded());
        EXPECT_EQ(dialog.result(), kIdCancel);
        EXPECT_EQ(dialog.m_name, L"first");
    }
}

TEST(CDialog, EnterAndEscDoNothingWhenTheWindowMapsThemToNothing) {
    TestDialog dialog;
    dialog.OnCommand(kIdOk, [] {});
    dialog.OnCommand(kIdCancel, [] {});
    dialog.Create();
    dialog.show();
    PressKey(dialog.Item<QLineEdit>(kNameEdit), Qt::Key_Return);
    PressKey(dialog.Item<QLineEdit>(kNameEdit), Qt::Key_Enter);
    PressKey(dialog.Item<QLineEdit>(kNameEdit), Qt::Key_Escape);
    EXPECT_FALSE(dialog.HasEnded());
    EXPECT_TRUE(dialog.isVisible());
}

TEST(CDialog, EnterOnAFocusedPushButtonSendsThatButtonsCommand) {
    TestDialog dialog;
    int browses = 0;
    dialog.OnCommand(kBrowseButton, [&] { ++browses; });
    dialog.Create();
    dialog.show();
    dialog.Item<QPushButton>(kBrowseButton)->setFocus();
    PressKey(dialog.Item<QPushButton>(kBrowseButton), Qt::Key_Return);
    EXPECT_EQ(browses, 1);
    EXPECT_FALSE(dialog.HasEnded());
}

TEST(CDialog, CloseRequestGoesToOnCloseWhichDecidesWhetherTheDialogEnds) {
    TestDialog dialog;
    dialog.Create();
    dialog.show();
    EXPECT_FALSE(dialog.close());
    EXPECT_EQ(dialog.m_closeRequests, 1);
    EXPECT_TRUE(dialog.isVisible());

    dialog.m_endOnClose = true;
    EXPECT_TRUE(dialog.close());
    EXPECT_EQ(dialog.m_closeRequests, 2);
    EXPECT_EQ(dialog.result(), kIdOk);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(CDialog, DoModalReturnsTheResultGivenToEndDialog) {
    TestDialog dialog;
    dialog.OnCommand(kSaveCommand, [&] { dialog.EndDialog(77); });
    QTimer::singleShot(0, &dialog, [&] { dialog.MenuAction(kSaveCommand)->trigger(); });
    EXPECT_EQ(dialog.DoModal(), 77);
}

TEST(CDialog, OnSizeSeesResizesButNotTheFirstShowing) {
    TestDialog dialog(/*withMenu=*/false);
    dialog.Create();
    dialog.show();
    EXPECT_TRUE(dialog.m_sizes.empty());
    dialog.resize(dialog.width() + 50, dialog.height() + 20);
    ASSERT_EQ(dialog.m_sizes.size(), 1u);
    EXPECT_EQ(dialog.m_sizes[0], dialog.ClientArea()->size());
    EXPECT_EQ(dialog.m_sizes[0], dialog.size());
}

TEST(CDialog, FocusStartsOnTheFirstEnabledVisibleTabStop) {
    TestDialog dialog;
    dialog.Create();
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), dialog.GetDlgItem(kNameEdit));
}
