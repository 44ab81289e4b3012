#include "app/ProgramIcon.h"

#include <QFile>
#include <QMap>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

class ProgramIconTest : public QObject
{
    Q_OBJECT

private slots:
    void comesInEverySizeTheDesktopAsksFor()
    {
        const QIcon icon = programIcon();
        QList<QSize> sizes = icon.availableSizes();
        for (const int size : programIconSizes)
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
    }

    void drawsSomethingOpaqueOnATransparentGround()
    {
        for (const int size : programIconSizes) {
            const QImage image = programIconImage(size);
            QCOMPARE(image.size(), QSize(size, size));
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
        }
    }

    // The scalable icon the package installs, drawn by an SVG renderer, is the bitmap icon:
    // every pixel's colour within a few steps, antialiasing aside.
    void theScalableIconIsTheSameDrawing()
    {
        QSvgRenderer renderer(QStringLiteral(TRIEBWERKE_SCALABLE_ICON));
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, programIconUnits, programIconUnits));
        constexpr int size = 128;
        QImage drawn(size, size, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        {
            QPainter painter(&drawn);
            renderer.render(&painter);
        }
        const QImage bitmap = programIconImage(size);
        int differing = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb a = drawn.pixel(x, y);
                const QRgb b = bitmap.pixel(x, y);
                differing +=
                    std::abs(qRed(a) - qRed(b)) > 8 || std::abs(qGreen(a) - qGreen(b)) > 8 ||
                    std::abs(qBlue(a) - qBlue(b)) > 8 || std::abs(qAlpha(a) - qAlpha(b)) > 8;
            }
        }
        QVERIFY2(differing < size * size / 100, qPrintable(QString::number(differing)));
    }

    void theDesktopEntryStartsTheProgramWithItsIconAndKnowsItsWindows()
    {
        QFile file(QStringLiteral(TRIEBWERKE_DESKTOP_FILE));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QMap<QString, QString> entry;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
        for (const QString& line : lines) {
            const qsizetype equals = line.indexOf(u'=');
            if (equals > 0)
                entry.insert(line.left(equals), line.mid(equals + 1));
        }
        QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Triebwerke"));
        QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("Triebwerke"));
        QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("triebwerke"));
        // The class of the program's windows on X11, which Qt takes from the program file's name.
        QCOMPARE(entry.value(QStringLiteral("StartupWMClass")), QStringLiteral("Triebwerke"));
        QVERIFY(entry.value(QStringLiteral("Comment")).contains(QStringLiteral("Triebwerke")));
    }
};

QTEST_MAIN(ProgramIconTest)
#include "ProgramIconTest.moc"
