#include "chart/ChartLayout.h"

#include "chart/ExpectedCounts.h"
#include "statistics/ExactDistribution.h"
#include "support/CaseNames.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Every character as wide as 0.6 of the font's size, every line 1.2 times its size: close to the
// chart's font, and known without one.
class FixedWidthMeasurer final : public ChartTextMeasurer
{
public:
    double width(std::string_view utf8, int pixelSize, bool) const override
    {
        std::size_t characters = 0;
        for (const char byte : utf8)
            characters += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
        return 0.6 * pixelSize * static_cast<double>(characters);
    }
    double height(int pixelSize) const override { return 1.2 * pixelSize; }
};

const FixedWidthMeasurer measurer;

} // namespace

// Of 100,000 engines at reliability 0.5 only a few hundred counts around 50,000 ever occur; the
// axis spans those, not the whole range.
TEST(ChartLayoutTest, ManyEnginesShowOnlyTheCountsThatCarryProbability)
{
    std::vector<std::int32_t> histogram(100'001, 0);
    histogram[49'800] = 1;
    histogram[50'000] = 3;
    histogram[50'150] = 1;
    ChartRequest request;
    request.histogram = histogram;
    request.runs = 5;
    const ChartLayout simulated(request, measurer);
    EXPECT_EQ(simulated.firstShown(), 49'800);
    EXPECT_EQ(simulated.lastShown(), 50'150);
    EXPECT_FALSE(simulated.showsEveryCount());

    const ExactDistribution exact(100'000, 0.5);
    request.exact = &exact;
    const ChartLayout withExact(request, measurer);
    EXPECT_LT(withExact.firstShown(), 49'800);
    EXPECT_GT(withExact.lastShown(), 50'150);
    // Probabilities of 1e-12 lie about 7.4 standard deviations (of 158 counts) from the mean.
    EXPECT_LT(withExact.lastShown() - withExact.firstShown(), 16 * 158);
    EXPECT_LT(exact.probability(withExact.firstShown() - 1), 1e-12);

    std::vector<std::int32_t> few = {0, 5, 0, 0};
    request.histogram = few;
    request.exact = nullptr;
    EXPECT_TRUE(ChartLayout(request, measurer).showsEveryCount());
}

// The logarithmic axis spans what is drawn, at most twelve decades; exact probabilities further
// down are left out, and the subtitle says so.
struct LogCase
{
    const char* name;
    std::int64_t engines;
    double failure;
    LogRange expected;
    bool leavesOut;
};

void PrintTo(const LogCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class ChartLogAxisTest : public testing::TestWithParam<LogCase>
{};

TEST_P(ChartLogAxisTest, SpansTheDrawnDataAtMostTwelveDecades)
{
    const LogCase& c = GetParam();
    const ExactDistribution exact(c.engines, c.failure);
    const std::vector<std::int32_t> histogram = expectedCounts(exact, c.engines, 10'000);
    ChartRequest request;
    request.histogram = histogram;
    request.runs = 10'000;
    request.exact = &exact;
    request.logarithmic = true;
    const ChartLayout layout(request, measurer);
    EXPECT_EQ(layout.logarithmicRange(), c.expected);
    EXPECT_EQ(layout.leavesOutMarkers(), c.leavesOut);
    bool said = false;
    for (const ChartText& text : layout.image().texts)
        said = said || text.text.find("unter 10⁻¹² nicht gezeigt") != std::string::npos;
    EXPECT_EQ(said, c.leavesOut);
}

// Ranges from the exact probabilities (Python's): 9 engines at 0.2 reach 0.2^9 = 5.1e-7, the
// tallest bar 0.302; 33 at 0.05 reach 0.05^33 = 1.2e-43, 60 at 0.01 1e-120; of 61 at 0.01 only
// the counts from 1.06e-12 up are shown.
INSTANTIATE_TEST_SUITE_P(chart, ChartLogAxisTest,
                         testing::Values(LogCase{"nineEngines", 9, 0.2, {-7, 0}, false},
                                         LogCase{"thirtyThreeEngines", 33, 0.05, {-12, 0}, true},
                                         LogCase{"sixtyEngines", 60, 0.01, {-12, 0}, true},
                                         LogCase{"sixtyOneEngines", 61, 0.01, {-12, 0}, false}),
                         CaseByName());

// Fonts, margins and marks follow the picture's size; every text stays inside the picture and
// clear of every other, and no marker leaves it.
struct SizeCase
{
    int width;
    int height;
    double scale;
    int tickFont;
};

void PrintTo(const SizeCase& testCase, std::ostream* os)
{
    *os << testCase.width << "x" << testCase.height;
}

class ChartSizeTest : public testing::TestWithParam<SizeCase>
{};

TEST_P(ChartSizeTest, LayoutGrowsWithThePicture)
{
    const SizeCase& c = GetParam();
    const ExactDistribution exact(9, 0.1);
    const std::vector<std::int32_t> histogram = expectedCounts(exact, 9, 10'000);
    ChartRequest request;
    request.histogram = histogram;
    request.runs = 10'000;
    request.exact = &exact;
    request.title = "Triebwerke: 9, Zuverlässigkeit: 0,9, Durchläufe: 10000, Startwert: 42";
    request.width = c.width;
    request.height = c.height;
    for (const bool logarithmic : {false, true}) {
        request.logarithmic = logarithmic;
        const ChartLayout layout(request, measurer);
        EXPECT_DOUBLE_EQ(layout.scale(), c.scale);
        const ChartImage image = layout.image();
        const ChartText& tickLabel = image.texts.front();
        EXPECT_EQ(tickLabel.pixelSize, c.tickFont) << tickLabel.text;
        for (std::size_t i = 0; i < image.texts.size(); ++i) {
            const ChartBox box = boxOf(image.texts[i]);
            EXPECT_GE(box.left, 0) << image.texts[i].text;
            EXPECT_GE(box.top, 0) << image.texts[i].text;
            EXPECT_LE(box.right, c.width) << image.texts[i].text;
            EXPECT_LE(box.bottom, c.height) << image.texts[i].text;
            for (std::size_t j = i + 1; j < image.texts.size(); ++j)
                EXPECT_FALSE(box.overlaps(boxOf(image.texts[j])))
                    << image.texts[i].text << " / " << image.texts[j].text;
            for (const ChartMarker& marker : image.markers) {
                const ChartBox markerBox{marker.x - marker.radius, marker.y - marker.radius,
                                         marker.x + marker.radius, marker.y + marker.radius};
                EXPECT_FALSE(box.overlaps(markerBox)) << image.texts[i].text;
            }
        }
        for (const ChartMarker& marker : image.markers) {
            EXPECT_GE(marker.x - marker.radius, 0);
            EXPECT_GE(marker.y - marker.radius, 0);
            EXPECT_LE(marker.x + marker.radius, c.width);
            EXPECT_LE(marker.y + marker.radius, c.height);
        }
    }
}

// 600 x 360 is the smallest picture (scale 0.75), 800 x 480 the design's own.
INSTANTIATE_TEST_SUITE_P(chart, ChartSizeTest,
                         testing::Values(SizeCase{600, 360, 0.75, 9}, SizeCase{800, 480, 1, 12},
                                         SizeCase{1200, 700, 700.0 / 480, 18},
                                         SizeCase{3000, 2000, 3.75, 45},
                                         SizeCase{10000, 600, 1.25, 15},
                                         SizeCase{640, 10000, 0.8, 10}),
                         CaseByPrintedValue());

// With a million engines a count's slot is a fraction of a pixel: the bars become whole pixel
// columns, each as tall as the tallest count in it, instead of faint slivers.
TEST(ChartLayoutTest, BarsAreWholePixelsWide)
{
    const ExactDistribution exact(1'000'000, 0.5);
    const std::vector<std::int32_t> histogram = expectedCounts(exact, 1'000'000, 100'000'000);
    ChartRequest request;
    request.histogram = histogram;
    request.runs = 100'000'000;
    const ChartLayout layout(request, measurer);
    const ChartImage image = layout.image();
    ASSERT_GT(layout.lastShown() - layout.firstShown(), layout.plotRight() - layout.plotLeft());
    double previousRight = 0;
    std::size_t bars = 0;
    for (const ChartRectangle& bar : image.rectangles) {
        if (bar.y + bar.height != layout.plotBottom())
            continue; // the legend's swatch
        ++bars;
        EXPECT_GE(bar.width, 1);
        EXPECT_EQ(bar.x, std::round(bar.x));
        EXPECT_GE(bar.x, previousRight);
        previousRight = bar.x + bar.width;
    }
    EXPECT_GT(bars, 100u);
    // At most one bar per column the plot touches, the partly covered ones at its ends included.
    EXPECT_LE(static_cast<double>(bars), layout.plotRight() - layout.plotLeft() + 2);
}
