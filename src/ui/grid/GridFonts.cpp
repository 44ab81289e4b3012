#include "ui/grid/GridFonts.h"

#include "platform/LayoutScale.h"

#include <algorithm>
#include <cmath>

int zoomedPixelSize(int pixelSize, int zoomFactor, int dpi)
{
    if (zoomFactor == 0 || dpi <= 0)
        return pixelSize;
    const int points = std::max(1, scaledRound(pixelSize, 72, dpi) + zoomFactor);
    return std::max(1, scaledRound(points, dpi, 72));
}

QFont GridFonts::zoomed(GridFont kind, int zoomFactor) const
{
    QFont result = kind == GridFont::Fixed ? fixedFont : font;
    if (zoomFactor == 0)
        return result;
    if (result.pixelSize() > 0) {
        result.setPixelSize(zoomedPixelSize(result.pixelSize(), zoomFactor, dpi));
    } else {
        const int points = static_cast<int>(std::lround(result.pointSizeF()));
        result.setPointSize(std::max(1, points + zoomFactor));
    }
    return result;
}
