// Dialog units to pixels, and the choice of the dialog font.
#include "ui/framework/dialog_units.h"

#include <gtest/gtest.h>

#include <QFontInfo>

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDivRounded(35, 13, 8), 57);  // 56.875
    EXPECT_EQ(MulDivRounded(4, 13, 8), 7);    // 6.5
    EXPECT_EQ(MulDivRounded(3, 13, 8), 5);    // 4.875
    EXPECT_EQ(MulDivRounded(-4, 13, 8), -7);  // -6.5
    EXPECT_EQ(MulDivRounded(0, 13, 8), 0);
    EXPECT_EQ(MulDivRounded(1000000, 1000000, 1000), 1000000000);  // no overflow in between
}

TEST(DialogUnits, BaseUnitsAverageTheAlphabetAndRoundUpFromAHalf) {
    EXPECT_EQ(BaseUnitsFromMetrics(312, 13).x, 6);  // 12 per pair of letters
    EXPECT_EQ(BaseUnitsFromMetrics(337, 13).x, 6);  // 12.96 truncates to 12 before the halving
    EXPECT_EQ(BaseUnitsFromMetrics(338, 13).x, 7);  // 13 per pair rounds up to 7
    EXPECT_EQ(BaseUnitsFromMetrics(312, 13).y, 13);
}

TEST(DialogUnits, RectsScaleByQuartersAndEighthsOfTheBaseUnits) {
    const DialogBaseUnits units{6, 13};
    EXPECT_EQ(DialogRectToPixels(DialogRect{38, 35, 440, 14}, units), QRect(57, 57, 660, 23));
    EXPECT_EQ(DialogRectToPixels(DialogRect{0, 0, 511, 263}, units).size(), QSize(767, 427));
}

TEST(DialogUnits, MissingDialogFamilyFallsBackToAnInstalledSansFont) {
    const QFont font = DialogFont(QStringLiteral("MS Shell Dlg"), 8);
    EXPECT_EQ(font.pointSize(), 8);
    const DialogBaseUnits units = BaseUnitsOf(font);
    // An 8 point sans font gives units close to the classic 6 by 13 pixels.
    EXPECT_GE(units.x, 5);
    EXPECT_LE(units.x, 8);
    EXPECT_GE(units.y, 11);
    EXPECT_LE(units.y, 16);
}
