// The bitmap push button.
#include "ui/skarnel/bitmap_button.h"

#include "ui/framework/image_resources.h"

CBitmapButton::CBitmapButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAutoDefault(false);
}

void CBitmapButton::SetBitmap(int id) {
    m_bitmap = id;
    const QPixmap picture = id != 0 ? LoadImageResource(id) : QPixmap();
    setIcon(QIcon(picture));
    if (!picture.isNull()) setIconSize(picture.size());
}
