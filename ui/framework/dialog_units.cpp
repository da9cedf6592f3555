// Dialog units to pixels.
#include "ui/framework/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <cstdlib>

namespace {

const QString kLatinAlphabet =
    QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

// Families that look like the classic dialog font, best first; the last ones
// ship with every desktop Linux.
const QStringList kDialogFontSubstitutes = {
    QStringLiteral("Tahoma"),          QStringLiteral("Microsoft Sans Serif"),
    QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
    QStringLiteral("Noto Sans"),
};

}  // namespace

int MulDivRounded(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude =
        (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

DialogBaseUnits BaseUnitsFromMetrics(int latinAlphabetWidth, int fontHeight) {
    return DialogBaseUnits{(latinAlphabetWidth / 26 + 1) / 2, fontHeight};
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    return BaseUnitsFromMetrics(metrics.horizontalAdvance(kLatinAlphabet),
                                metrics.ascent() + metrics.descent());
}

QRect DialogRectToPixels(const DialogRect& rect, DialogBaseUnits units) {
    return QRect(MulDivRounded(rect.x, units.x, 4), MulDivRounded(rect.y, units.y, 8),
                 MulDivRounded(rect.width, units.x, 4), MulDivRounded(rect.height, units.y, 8));
}

QFont DialogFont(const QString& family, int pointSize) {
    QString chosen = family;
    if (!QFontDatabase::hasFamily(family)) {
        for (const QString& substitute : kDialogFontSubstitutes) {
            if (QFontDatabase::hasFamily(substitute)) {
                chosen = substitute;
                break;
            }
        }
    }
    QFont font(chosen, pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
