#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ChartColor
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

struct ChartRectangle
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    ChartColor fill;
};

struct ChartLine
{
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    ChartColor color;
    double width = 1;
};

enum class TextAnchor { Left, Centre, Right };

// A line of text centred vertically on y; x is its left end, centre or right end. A vertical text
// reads from bottom to top and is centred on (x, y).
struct ChartText
{
    double x = 0;
    double y = 0;
    std::string text; // UTF-8
    TextAnchor anchor = TextAnchor::Left;
    int pixelSize = 14;
    bool bold = false;
    bool vertical = false;
    ChartColor color;
};

struct ChartMarker
{
    double x = 0;
    double y = 0;
    double radius = 4;
    ChartColor fill;
    ChartColor outline;
};

// A picture described by its shapes in pixels, so that its layout can be computed and tested
// without a painter; encodeChartImage draws it into the bytes of a PNG or SVG file.
struct ChartImage
{
    int width = 0;
    int height = 0;
    ChartColor background{255, 255, 255};
    std::vector<ChartLine> gridLines; // beneath everything else
    std::vector<ChartRectangle> rectangles;
    std::vector<ChartLine> lines;
    std::vector<ChartMarker> markers;
    std::vector<ChartText> texts;
};
