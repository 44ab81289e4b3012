#include "platform/desktop/Fonts.h"

#include "platform/desktop/DesktopLogging.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QRawFont>
#include <QString>
#include <QStringList>

namespace platform {

namespace {

const QString fallbackFamily = QStringLiteral("DejaVu Sans");
const QString tahoma = QStringLiteral("Tahoma");
// fontconfig does not scan Wine's font folder, so its files are handed to Qt directly.
const char* const tahomaFiles[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
};

QString registeredFamily()
{
    static const QString family = [] {
        // A Tahoma among the system's fonts, wherever the distribution keeps it, comes first;
        // fontconfig lists real families here, not the substitutes it would choose for a name.
        if (QFontDatabase::families().contains(tahoma, Qt::CaseInsensitive)) {
            qCInfo(lcFonts) << "Tahoma from the system's fonts (fontconfig)";
            return tahoma;
        }
        QString found;
        for (const char* file : tahomaFiles) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
            if (id < 0) {
                qCInfo(lcFonts) << "not readable:" << file;
                continue;
            }
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (found.isEmpty() && !families.isEmpty())
                found = families.first();
            qCInfo(lcFonts) << "registered" << families << "from" << file;
        }
        if (found.isEmpty())
            qCInfo(lcFonts) << "no Tahoma:" << fallbackFamily << "stands in, captions fitted to it";
        return found;
    }();
    return family;
}

} // namespace

bool tahomaAvailable()
{
    return !registeredFamily().isEmpty();
}

QFont programFont()
{
    const QString family = registeredFamily();
    QFont font(family.isEmpty() ? fallbackFamily : family);
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont programFixedFont()
{
    QFont font = programFont();
    font.setBold(true);
    return font;
}

namespace {

TextMetrics readTextMetrics(const QFont& font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.fontTable("OS/2");
    const QByteArray head = raw.fontTable("head");
    auto bigEndian16 = [](const QByteArray& table, int offset) {
        return (static_cast<unsigned char>(table[offset]) << 8) |
               static_cast<unsigned char>(table[offset + 1]);
    };
    if (raw.isValid() && os2.size() >= 78 && head.size() >= 20) {
        const int unitsPerEm = bigEndian16(head, 18);
        const qreal pixels = raw.pixelSize();
        if (unitsPerEm > 0)
            return {qRound(bigEndian16(os2, 74) * pixels / unitsPerEm),
                    qRound(bigEndian16(os2, 76) * pixels / unitsPerEm)};
    }
    const QFontMetrics metrics(font);
    return {metrics.ascent(), metrics.descent()};
}

} // namespace

TextMetrics textMetrics(const QFont& font)
{
    // Every repaint of the grid asks for its two fonts; their tables are read once. Fonts live on
    // the user-interface thread only.
    static QHash<QString, TextMetrics> known;
    const QString key = font.key();
    const auto found = known.constFind(key);
    if (found != known.constEnd())
        return *found;
    return *known.insert(key, readTextMetrics(font));
}

int textMetricsHeight(const QFont& font)
{
    return textMetrics(font).height();
}

} // namespace platform
