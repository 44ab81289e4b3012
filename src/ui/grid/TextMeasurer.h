#pragma once

#include <string_view>

enum class GridFont { Normal, Fixed };

// Measures cell texts for the automatic column widths, so that the grid's rules run without a
// screen. The width is that of the widest line in the font zoomed by zoomFactor points; lines
// break only at explicit line breaks, tabs are expanded and & is plain text.
class TextMeasurer
{
public:
    virtual ~TextMeasurer() = default;
    virtual int textWidth(std::string_view utf8, GridFont font, int zoomFactor) = 0;
};
