#pragma once

#include "platform/LayoutScale.h"
#include "ui/grid/TextMeasurer.h"

#include <QFont>

// The pixel size of a font of `pixelSize` pixels zoomed by `zoomFactor` points at `dpi` dots per
// inch. The zoom is an offset in points while the program's font is given in pixels (11 pixels,
// the 8 points of the window's font at 96 DPI), so a zoomed size goes through points: the font's
// size in whole points, scaledRound(pixelSize, 72, dpi), plus the zoom, back to pixels with
// scaledRound(points, dpi, 72). A sum of 0 counts as 1 point, and so does a negative one, where the
// size is ours to choose: the font keeps shrinking towards its smallest size rather than growing
// again. Without zoom the font keeps its exact pixel size, so at 144 DPI the scaled 17-pixel font
// stays 17 pixels.
int zoomedPixelSize(int pixelSize, int zoomFactor, int dpi);

// The grid's two fonts: Font for normal cells and FixedFont, its bold variant, for header cells.
struct GridFonts
{
    QFont font;
    QFont fixedFont;
    int dpi = layoutDpi;

    // The font for a kind of cell, zoomed by zoomFactor points.
    QFont zoomed(GridFont kind, int zoomFactor) const;
};
