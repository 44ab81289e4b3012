#pragma once

namespace platform {

// The program scales its layout from 96 DPI itself, by its own integer rule. Qt would otherwise
// scale every window by the desktop's factor on its own (1.5 at 144 DPI) and report 96 DPI, so
// fields, lines and grid columns would come out as Qt's fractional multiples. A desktop session's
// own Qt scaling variables are dropped for the same reason; a QT_SCALE_FACTOR the user set still
// enlarges everything on top. On Wayland, an output of scale 2 is taken as 192 DPI and drawn one
// window pixel to one device pixel, as on X11 at that DPI. Call before the application object is
// created.
void takeOverDisplayScaling();

// The DPI the desktop declares for the primary screen (on X11 the Xft.dpi resource); 96 when there
// is no screen. Needs a QGuiApplication.
int displayDpi();

} // namespace platform
