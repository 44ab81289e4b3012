#pragma once

#include <string_view>

// The size of a line of the chart's text in its font, so that the layout can make room for every
// label before anything is drawn.
class ChartTextMeasurer
{
public:
    virtual ~ChartTextMeasurer() = default;
    virtual double width(std::string_view utf8, int pixelSize, bool bold) const = 0;
    virtual double height(int pixelSize) const = 0;
};
