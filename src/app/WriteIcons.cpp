// Writes the program's icon as PNG files, one per size, and as one SVG file, for installation with
// the desktop file.

#include "app/ProgramIcon.h"

#include <QDir>
#include <QPainter>
#include <QString>
#include <QSvgGenerator>

#include <cstdio>

namespace {

bool writeScalableIcon(const QString& path)
{
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setSize(QSize(programIconUnits, programIconUnits));
    generator.setViewBox(QRect(0, 0, programIconUnits, programIconUnits));
    generator.setTitle(QStringLiteral("Triebwerke"));
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    paintProgramIcon(painter);
    return painter.end();
}

} // namespace

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
    const QString scalable = target.filePath(QStringLiteral("triebwerke.svg"));
    if (!writeScalableIcon(scalable)) {
        std::fprintf(stderr, "Kann %s nicht schreiben\n", qPrintable(scalable));
        return 1;
    }
    return 0;
}
