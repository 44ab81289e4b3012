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
    // Whether every text that differs from this one only in its digits, or in how many digits
    // stand in each of its runs of digits, is as wide as this one's other characters and its
    // own digits make it, each digit adding the same width: the digits share one advance and
    // kern alike with every neighbour they have in the text.
    virtual bool widthFollowsDigitCount(std::string_view utf8, GridFont font, int zoomFactor) = 0;
};
