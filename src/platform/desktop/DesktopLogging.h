#pragma once

#include <QLoggingCategory>

// What the program chose for this desktop, for a user's bug report. Off by default; switch on
// with QT_LOGGING_RULES="triebwerke.*.info=true".
Q_DECLARE_LOGGING_CATEGORY(lcDisplay) // the DPI, Wayland's scale, the scaling variables taken over
Q_DECLARE_LOGGING_CATEGORY(lcFonts)   // where the layout's font came from
