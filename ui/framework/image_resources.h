// Icons and bitmaps by resource id. Each program compiles its pictures in as
// :/images/<id>.xpm; white in them is transparent.
#pragma once

#include <QColor>
#include <QPixmap>

// The picture with that id, the transparent colour (white unless given) made
// transparent; a null pixmap when the program has no such picture.
[[nodiscard]] QPixmap LoadImageResource(int id, QColor transparent = QColor(255, 255, 255));
