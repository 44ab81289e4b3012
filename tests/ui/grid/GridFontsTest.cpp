#include "ui/grid/GridFonts.h"

#include <gtest/gtest.h>

namespace {

TEST(GridFonts, ZoomAddsPointsToAPixelSizedFont)
{
    struct Case
    {
        int pixels, zoom, dpi, expected;
    };
    const Case cases[] = {
        {11, 0, 96, 11},  // unzoomed: the font as it is
        {11, 1, 96, 12},  // 8 + 1 points
        {11, 3, 96, 15},  // 11 points = 14.67 pixels
        {11, 20, 96, 37}, // 28 points
        {11, -3, 96, 7},  // 5 points = 6.67 pixels
        {11, -8, 96, 1},  // 0 points count as 1
        {11, -20, 96, 1}, // below 0 stays at the smallest size
        {17, 0, 144, 17}, // the start-up scaled font
        {17, 1, 144, 20}, // 8.5 points round to 9, plus 1
        {16, -2, 144, 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zoomedPixelSize(c.pixels, c.zoom, c.dpi), c.expected)
            << c.pixels << " px zoomed by " << c.zoom << " at " << c.dpi;
    }
}

TEST(GridFonts, ZoomedFontKeepsFamilyAndWeight)
{
    QFont normal(QStringLiteral("DejaVu Sans"));
    normal.setPixelSize(11);
    QFont bold = normal;
    bold.setBold(true);
    const GridFonts fonts{normal, bold, 96};
    EXPECT_EQ(fonts.zoomed(GridFont::Normal, 3).pixelSize(), 15);
    EXPECT_FALSE(fonts.zoomed(GridFont::Normal, 3).bold());
    EXPECT_EQ(fonts.zoomed(GridFont::Fixed, 3).pixelSize(), 15);
    EXPECT_TRUE(fonts.zoomed(GridFont::Fixed, 3).bold());
    EXPECT_EQ(fonts.zoomed(GridFont::Fixed, 0), bold);
}

} // namespace
