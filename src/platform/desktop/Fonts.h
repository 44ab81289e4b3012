#pragma once

#include <QFont>

namespace platform {

// The program's font: Tahoma, characters 11 pixels high, regular. A Tahoma that fontconfig knows
// is taken first, else the free Tahoma of Wine, registered with the application on first use;
// without either the font is the fallback family, which is wider: the window fits its captions to
// it. Needs a QGuiApplication.
QFont programFont();
// The same font in bold, for the grid's header.
QFont programFixedFont();
// A line of text in the font as the desktop's text metrics give it: the font's ascent and descent
// for the whole character set (its Windows metrics), each rounded to pixels. Every glyph fits
// between them, where Qt's own ascent may leave tall letters and accents above the line.
struct TextMetrics
{
    int ascent = 0;
    int descent = 0;
    int height() const { return ascent + descent; }
};
TextMetrics textMetrics(const QFont& font);
int textMetricsHeight(const QFont& font);
// Whether the Tahoma files could be registered.
bool tahomaAvailable();

} // namespace platform
