// Icons and bitmaps by resource id. Each program compiles its pictures in as
// :/images/<id>.xpm; white in them is transparent.
#pragma once

#include <QPixmap>

// The picture with that id, white made transparent; a null pixmap when the
// program has no such picture.
[[nodiscard]] QPixmap LoadImageResource(int id);
