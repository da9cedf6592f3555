// The toolbar: labels from the string resources, the button size rules, the
// bar's place and width, the picture sets cut from the strip, and commands.
#include "ui/skarnel/toolbar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "resources/skarnel/skarnel_resources.h"
#include "ui/framework/image_resources.h"
#include "ui/skarnel/main_window_fixture.h"

namespace {

using MainWindowToolBar = MainWindowFixture;

std::vector<QString> ButtonLabels(const QToolBar& bar) {
    std::vector<QString> labels;
    for (QAction* action : bar.actions()) {
        labels.push_back(action->isSeparator() ? QStringLiteral("|") : action->text());
    }
    return labels;
}

}  // namespace

TEST(ToolBarButtonLabel, IsTheTextAfterTheLastLineFeed) {
    EXPECT_EQ(ToolBarButtonLabel(L"Start\nStart"), L"Start");
    EXPECT_EQ(ToolBarButtonLabel(L"Open a file\nOpen"), L"Open");
    EXPECT_EQ(ToolBarButtonLabel(L"a\nb\nc"), L"c");
    EXPECT_EQ(ToolBarButtonLabel(L"Whole string"), L"Whole string");
    EXPECT_EQ(ToolBarButtonLabel(L"Prompt\n"), L"");
    EXPECT_EQ(ToolBarButtonLabel(L""), L"");
}

TEST(ToolBarButtonSize, IsThePicturePlusMarginsWidenedAndHeightenedByTheLabels) {
    EXPECT_EQ(ToolBarButtonSize(QSize(16, 16), false, 60, 14), QSize(24, 23));
    EXPECT_EQ(ToolBarButtonSize(QSize(16, 16), true, 20, 14), QSize(24, 37));
    EXPECT_EQ(ToolBarButtonSize(QSize(16, 16), true, 60, 14), QSize(60, 37));
    EXPECT_EQ(ToolBarButtonSize(QSize(32, 32), true, 30, 0), QSize(40, 39));
}

TEST(CutImageStrip, TheStripGivesFourPicturesAndDropsTheLeftOverColumns) {
    const QPixmap strip = LoadImageResource(kIdToolBarStrip);
    ASSERT_EQ(strip.size(), QSize(69, 16));
    const std::vector<QPixmap> pictures = CutImageStrip(strip, QSize(16, 16));
    ASSERT_EQ(pictures.size(), 4u);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        EXPECT_EQ(pictures[i].size(), QSize(16, 16));
        EXPECT_EQ(pictures[i].toImage(), strip.copy(static_cast<int>(i) * 16, 0, 16, 16).toImage());
    }
    EXPECT_TRUE(CutImageStrip(QPixmap(), QSize(16, 16)).empty());
    EXPECT_TRUE(CutImageStrip(strip, QSize(70, 16)).empty());
}

TEST_F(MainWindowToolBar, ShowsTheFourLabelledButtonsAtTheTopAcross1450Pixels) {
    COOBmpToolBar* bar = m_window->ToolBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Id(), kIdToolBarWindow);
    // The window's Show choice follows the buttons, a widget of its own.
    EXPECT_EQ(ButtonLabels(*bar),
              (std::vector<QString>{"Start", "Stop", "|", "Options", "|", "Edit", "|", ""}));
    EXPECT_EQ(bar->widgetForAction(bar->actions().back()),
              m_window->FilterChoice()->parentWidget());
    EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);

    const QSize button = bar->ButtonSize();
    EXPECT_GT(bar->LabelHeight(), 0);
    EXPECT_EQ(button.width(), std::max(24, bar->LabelWidth()));
    EXPECT_EQ(button.height(), 23 + bar->LabelHeight());
    for (QAction* action : bar->actions()) {
        if (action->isSeparator() || action == bar->actions().back()) continue;
        EXPECT_EQ(bar->widgetForAction(action)->size(), button) << action->text().toStdString();
        EXPECT_TRUE(action->isEnabled());
    }
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 1450, button.height() + 10));

    m_window->resize(m_window->size() + QSize(300, 40));
    QApplication::processEvents();
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 1450, button.height() + 10));
}

TEST_F(MainWindowToolBar, EveryLookComesFromTheStrip) {
    COOBmpToolBar* bar = m_window->ToolBar();
    const std::vector<QPixmap> strip =
        CutImageStrip(LoadImageResource(kIdToolBarStrip), QSize(16, 16));
    for (const auto list :
         {COOExToolBar::kHotSmall, COOExToolBar::kNormalSmall, COOExToolBar::kDisabledSmall}) {
        const std::vector<QPixmap>& images = bar->Images(list);
        ASSERT_EQ(images.size(), 4u) << list;
        for (std::size_t i = 0; i < images.size(); ++i) {
            EXPECT_EQ(images[i].toImage(), strip[i].toImage()) << list << " " << i;
        }
    }
    EXPECT_TRUE(bar->Images(COOExToolBar::kNormalLarge).empty());
    // Hovering shows the same picture as the normal look.
    const QIcon start = bar->ActionFor(kIdStartCommand)->icon();
    EXPECT_EQ(start.pixmap(16, 16, QIcon::Active).toImage(),
              start.pixmap(16, 16, QIcon::Normal).toImage());
}

TEST_F(MainWindowToolBar, TheGripperAndTheBottomBorderStandOutFromTheBarsFace) {
    COOBmpToolBar* bar = m_window->ToolBar();
    const QImage image = bar->grab().toImage();
    const QRgb light = bar->palette().color(QPalette::Light).rgb();
    const QRgb shadow = bar->palette().color(QPalette::Dark).rgb();
    const int middle = bar->height() / 2;
    const QRgb face = image.pixel(bar->width() - 5, middle);
    EXPECT_EQ(face, bar->palette().color(QPalette::Button).rgb());
    EXPECT_NE(face, light);
    EXPECT_NE(face, shadow);
    // The gripper: a raised bar 3 pixels wide, 3 pixels in from the left.
    EXPECT_EQ(image.pixel(3, middle), light);
    EXPECT_EQ(image.pixel(5, middle), shadow);
    for (const int x : {0, 100, bar->width() - 1}) {
        EXPECT_EQ(image.pixel(x, bar->height() - 1), shadow) << x;
    }
}

TEST_F(MainWindowToolBar, AButtonSendsItsCommand) {
    QSignalSpy sent(m_window->ToolBar(), &COOExToolBar::CommandSent);
    QAction* edit = m_window->ToolBar()->ActionFor(kIdEditCommand);
    QTest::mouseClick(m_window->ToolBar()->widgetForAction(edit), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0][0].toInt(), kIdEditCommand);
}

TEST(COOBmpToolBar, AButtonWithoutAStringHasNoLabelAndAnEmptyTemplateFails) {
    QWidget parent;
    COOBmpToolBar bar(&parent);
    ASSERT_TRUE(bar.Create(&parent, kIdToolBarWindow));
    const StringTable strings{{{100, L"Open\nOpen the file"}, {101, L"Plain"}}};
    ASSERT_TRUE(bar.LoadToolBar(ToolBarTemplate{7, 16, 15, {100, 0, 101, 102}}, strings));
    EXPECT_EQ(ButtonLabels(bar), (std::vector<QString>{"Open the file", "|", "Plain", QString()}));

    COOBmpToolBar empty(&parent);
    EXPECT_FALSE(empty.LoadToolBar(ToolBarTemplate{8, 16, 15, {}}, strings));
    COOBmpToolBar orphan(nullptr);
    EXPECT_FALSE(orphan.Create(nullptr, kIdToolBarWindow));
}
