#include "platform/Fonts.h"

#include <QFontDatabase>
#include <QString>
#include <QStringList>

namespace platform {

namespace {

// fontconfig does not scan Wine's font folder, so the files are handed to Qt directly.
const char* const tahomaFiles[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
};

QString registeredFamily()
{
    static const QString family = [] {
        QString found;
        for (const char* file : tahomaFiles) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
            if (id < 0)
                continue;
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (found.isEmpty() && !families.isEmpty())
                found = families.first();
        }
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
    QFont font(family.isEmpty() ? QStringLiteral("DejaVu Sans") : family);
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

} // namespace platform
