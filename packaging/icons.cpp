// Writes the application's icon as PNG files for the freedesktop hicolor theme, from
// the drawing the window uses: tavrik-icons FOLDER SIZE... makes
// FOLDER/<size>x<size>/apps/VEL_TAVRIK_DovI.png for each size.
#include "ui/AppIcon.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 16 || size > 1024) {
            std::fprintf(stderr, "%s: not an icon size: %s\n", argv[0], argv[i]);
            return 2;
        }
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString path = apps + QStringLiteral("/VEL_TAVRIK_DovI.png");
        if (!QDir().mkpath(apps) || !tavrik::ui::AppIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(path));
            return 1;
        }
    }
    return 0;
}
