// Loading pictures from the compiled-in resources.
#include "ui/framework/image_resources.h"

#include <QBitmap>
#include <QColor>
#include <QString>

QPixmap LoadImageResource(int id, QColor transparent) {
    QPixmap picture(QStringLiteral(":/images/%1.xpm").arg(id));
    if (picture.isNull()) return picture;
    picture.setMask(picture.createMaskFromColor(transparent, Qt::MaskInColor));
    return picture;
}
