// Writes the program's icon as PNG files, one per size, and as one SVG file, for installation with
// the desktop file, and as one Windows icon file holding every size, for the program's resources.

#include "app/ProgramIcon.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QString>
#if TRIEBWERKE_HAVE_SVG
#include <QSvgGenerator>
#endif

#include <cstdio>
#include <vector>

namespace {

// An icon file: a directory of its images, each stored as a PNG (which Windows reads in icon files
// since Vista); a width or height of 0 stands for 256.
bool writeWindowsIcon(const QString& path)
{
    std::vector<QByteArray> images;
    for (const int size : programIconSizes) {
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        if (!programIconImage(size).save(&png, "PNG"))
            return false;
        images.push_back(png.data());
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    const auto count = static_cast<quint16>(images.size());
    out << quint16(0) << quint16(1) << count;
    quint32 offset = 6 + 16 * count;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = programIconSizes[i];
        const auto side = static_cast<quint8>(size >= 256 ? 0 : size);
        out << side << side << quint8(0) << quint8(0) << quint16(1) << quint16(32)
            << static_cast<quint32>(images[i].size()) << offset;
        offset += static_cast<quint32>(images[i].size());
    }
    for (const QByteArray& image : images)
        out.writeRawData(image.constData(), static_cast<int>(image.size()));
    return out.status() == QDataStream::Ok && file.flush();
}

#if TRIEBWERKE_HAVE_SVG
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
#endif

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
    const QString windowsIcon = target.filePath(QStringLiteral("triebwerke.ico"));
    if (!writeWindowsIcon(windowsIcon)) {
        std::fprintf(stderr, "Kann %s nicht schreiben\n", qPrintable(windowsIcon));
        return 1;
    }
#if TRIEBWERKE_HAVE_SVG
    const QString scalable = target.filePath(QStringLiteral("triebwerke.svg"));
    if (!writeScalableIcon(scalable)) {
        std::fprintf(stderr, "Kann %s nicht schreiben\n", qPrintable(scalable));
        return 1;
    }
#endif
    return 0;
}
