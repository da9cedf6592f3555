// Loading pictures from the compiled-in resources.
#include "ui/framework/image_resources.h"

#include <QBitmap>
#include <QColor>
#include <QString>

QPixmap LoadImageResource(int id) {
    QPixmap picture(QStringLiteral(":/images/%1.xpm").arg(id));
    if (picture.isNull()) return picture;
    picture.setMask(picture.createMaskFromColor(QColor(255, 255, 255), Qt::MaskInColor));
    return picture;
}
