#include "platform/desktop/Display.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>

namespace platform {

void takeOverDisplayScaling()
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
}

int displayDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 96;
}

} // namespace platform
