#include "platform/desktop/SettingsChanges.h"

namespace platform {

void followSettingsChanges(QCoreApplication&) {}

} // namespace platform
