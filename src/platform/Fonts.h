#pragma once

#include <QFont>

namespace platform {

// The program's font: Tahoma, characters 11 pixels high, regular. The free Tahoma of Wine is
// registered with the application on first use; without it the font is DejaVu Sans. Needs a
// QGuiApplication.
QFont programFont();
// The same font in bold, for the grid's header.
QFont programFixedFont();
// Whether the Tahoma files could be registered.
bool tahomaAvailable();

} // namespace platform
