#include "app/ProgramIcon.h"

#include <QFile>
#include <QMap>
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
