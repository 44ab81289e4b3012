#include "platform/desktop/DesktopLogging.h"

Q_LOGGING_CATEGORY(lcDisplay, "triebwerke.display", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFonts, "triebwerke.fonts", QtWarningMsg)
