// Renders the program's icon into a hicolor theme tree at build time, from
// the same drawing code the program uses: <out>/<n>x<n>/apps/portana.png.
#include "iconsets.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: portana_rendericons <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!out.mkpath(folder) || !iconsets::normal(0).pixmap(size).toImage().save(
                                       out.filePath(folder + QStringLiteral("/portana.png"))))
            return 1;
    }
    return 0;
}
