#include "platform/desktop/Display.h"

#include "platform/LayoutScale.h"
#include "platform/desktop/DesktopLogging.h"
#include "platform/desktop/DisplaySystem.h"

#include <QtGlobal>

namespace platform {

namespace {

// Scaling settings a desktop session may export for every Qt program (a Plasma session at 125 %
// exports QT_SCREEN_SCALE_FACTORS beside Xft.dpi 120); each would scale the window a second time,
// by a fraction, on top of the program's own rule.
const char* const desktopScalingVariables[] = {
    "QT_SCREEN_SCALE_FACTORS",         "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_DEVICE_PIXEL_RATIO",
    "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_USE_PHYSICAL_DPI",
};

} // namespace

void takeOverDisplayScaling()
{
    for (const char* name : desktopScalingVariables) {
        if (qEnvironmentVariableIsSet(name))
            qCInfo(lcDisplay) << "dropped the desktop's" << name << "=" << qgetenv(name);
        qunsetenv(name);
    }
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    takeOverSystemScaling();
}

int displayDpi()
{
    const int found = systemDisplayDpi();
    const int dpi = found > 0 ? found : layoutDpi;
    qCInfo(lcDisplay) << "the desktop declares" << dpi << "DPI"
                      << (found > 0 ? "" : "(no screen: the layout's own)");
    return dpi;
}

} // namespace platform
