#pragma once

class QCoreApplication;

namespace platform {

// Delivers the desktop's announcement that the user changed a setting (the locale's separators
// among them) to the application as a QEvent::LocaleChange, whatever the announcement names.
// Windows broadcasts WM_SETTINGCHANGE to every top-level window; no Linux desktop announces it,
// so there nothing is installed.
void followSettingsChanges(QCoreApplication& application);

} // namespace platform
