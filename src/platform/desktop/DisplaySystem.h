#pragma once

namespace platform {

// The system's side of the display scaling (Display.h): what a desktop needs beyond Qt's own
// scaling switched off, once, before the application object exists.
void takeOverSystemScaling();

// The DPI the system declares for the primary display; 0 when there is none. Needs a
// QGuiApplication.
int systemDisplayDpi();

} // namespace platform
