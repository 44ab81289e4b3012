// Writes the program's icon as PNG files, one per size, for installation with the desktop file.

#include "app/ProgramIcon.h"

#include <QDir>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: %s ZIELORDNER\n", argv[0]);
        return 2;
    }
    const QDir target(QString::fromLocal8Bit(argv[1]));
    for (const int size : programIconSizes) {
        const QString path = target.filePath(QStringLiteral("triebwerke-%1.png").arg(size));
        if (!programIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "Kann %s nicht schreiben\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
