#pragma once

namespace platform {

// The program scales its layout from 96 DPI itself, by its own integer rule. Qt would otherwise
// scale every window by the desktop's factor on its own (1.5 at 144 DPI) and report 96 DPI, so
// fields, lines and grid columns would come out as Qt's fractional multiples. Call before the
// application object is created. On Wayland the compositor's own integer scale still applies.
void takeOverDisplayScaling();

// The DPI the desktop declares for the primary screen (on X11 the Xft.dpi resource); 96 when there
// is no screen. Needs a QGuiApplication.
int displayDpi();

} // namespace platform
