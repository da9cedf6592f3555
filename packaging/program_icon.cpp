// skarnel-program-icon OUT.png: writes Skarnel's program icon as a PNG, its
// white transparent as in the window, for the desktop's icon theme. Run at
// build time on the offscreen platform.
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

#include "resources/skarnel/skarnel_ids.h"
#include "ui/framework/image_resources.h"

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skarnel-program-icon <output.png>\n");
        return 2;
    }
    const QPixmap icon = LoadImageResource(kIdProgramIcon);
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "skarnel-program-icon: can't write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
