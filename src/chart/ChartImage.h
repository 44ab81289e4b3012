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
// reads from bottom to top and is centred on (x, y). Its width and height are the font's, measured
// when the chart was laid out.
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
    double width = 0;
    double height = 0;
};

struct ChartBox
{
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    bool overlaps(const ChartBox& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

// The rectangle a text takes in the picture.
inline ChartBox boxOf(const ChartText& text)
{
    const double along = text.anchor == TextAnchor::Left     ? 0.0
                         : text.anchor == TextAnchor::Centre ? text.width / 2
                                                             : text.width;
    if (text.vertical)
        return {text.x - text.height / 2, text.y - text.width / 2, text.x + text.height / 2,
                text.y + text.width / 2};
    return {text.x - along, text.y - text.height / 2, text.x - along + text.width,
            text.y + text.height / 2};
}

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
