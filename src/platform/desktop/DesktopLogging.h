#pragma once

#include <QLoggingCategory>

// What the program chose for this desktop, for a user's bug report. Off by default; switch on
// with QT_LOGGING_RULES="triebwerke.*.info=true".
Q_DECLARE_LOGGING_CATEGORY(lcDisplay)  // the DPI, Wayland's scale, the scaling variables taken over
Q_DECLARE_LOGGING_CATEGORY(lcFonts)    // where the layout's font came from
Q_DECLARE_LOGGING_CATEGORY(lcKeyboard) // what the keypad's decimal key types
Q_DECLARE_LOGGING_CATEGORY(lcSettings) // the desktop's settings-change announcements
Q_DECLARE_LOGGING_CATEGORY(lcBoxes)    // which kind of box the system shows
Q_DECLARE_LOGGING_CATEGORY(lcClipboard) // how a text reaches the clipboard
