#include "platform/desktop/DesktopLogging.h"

Q_LOGGING_CATEGORY(lcDisplay, "triebwerke.display", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFonts, "triebwerke.fonts", QtWarningMsg)
Q_LOGGING_CATEGORY(lcKeyboard, "triebwerke.keyboard", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "triebwerke.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcBoxes, "triebwerke.boxes", QtWarningMsg)
Q_LOGGING_CATEGORY(lcClipboard, "triebwerke.clipboard", QtWarningMsg)
