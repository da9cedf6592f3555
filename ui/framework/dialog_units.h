// Dialog units: positions in a dialog template are given in quarters of the
// dialog font's average character width and eighths of its height, so a
// dialog keeps its proportions whatever font the platform substitutes.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include "ui/framework/resource_types.h"

// The dialog font's average character width and height in pixels.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};

// a * b / c rounded to the nearest integer, halves away from zero.
[[nodiscard]] int MulDivRounded(int a, int b, int c);

// Base units from the width of the 52 Latin letters and the font height,
// rounded the way the dialog manager has always rounded them.
[[nodiscard]] DialogBaseUnits BaseUnitsFromMetrics(int latinAlphabetWidth, int fontHeight);

[[nodiscard]] DialogBaseUnits BaseUnitsOf(const QFont& font);

[[nodiscard]] QRect DialogRectToPixels(const DialogRect& rect, DialogBaseUnits units);

// The font a template names, with the platform's substitute for a family it
// lacks ("MS Shell Dlg" on this platform).
[[nodiscard]] QFont DialogFont(const QString& family, int pointSize);
