#include "chart/ChartLayout.h"

#include "chart/ExpectedCounts.h"
#include "statistics/ExactDistribution.h"
#include "support/CaseNames.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
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
// axis spans those, not the whole range, and with the exact distribution also the counts whose
// probability a simulation of this many runs could show.
TEST(ChartLayoutTest, ManyEnginesShowOnlyTheCountsThatCarryProbability)
{
    std::vector<std::int32_t> histogram(100'001, 0);
    histogram[49'800] = 1;
    histogram[50'000] = 3;
    histogram[50'150] = 1;
    ChartRequest request;
    request.histogram = histogram;
    request.runs = 100'000'000;
    const ChartLayout simulated(request, measurer);
    EXPECT_EQ(simulated.firstShown(), 49'800);
    EXPECT_EQ(simulated.lastShown(), 50'150);
    EXPECT_FALSE(simulated.showsEveryCount());

    const ExactDistribution exact(100'000, 0.5);
    request.exact = &exact;
    const ChartLayout withExact(request, measurer);
    // Probabilities of 1e-8 lie about 5 standard deviations (of 158 counts) from the mean.
    EXPECT_NEAR(withExact.firstShown(), 50'000 - 5 * 158, 20);
    EXPECT_EQ(withExact.lastShown(), 100'000 - withExact.firstShown());
    EXPECT_LT(exact.probability(withExact.firstShown() - 1), 1e-8);
    EXPECT_GE(exact.probability(withExact.firstShown()), 1e-8);
}

// Up to 60 engines the axis begins at 0 failures; it ends at the last count with a simulated run
// or an exact probability of at least 1/runs, or where --max-failures says, within the engines.
struct CountRangeCase
{
    const char* name;
    std::vector<std::int32_t> histogram;
    std::int32_t runs;
    double failure; // of the exact distribution; 0 for none
    std::optional<std::int64_t> lastCount;
    std::int64_t expectedLast;
};

void PrintTo(const CountRangeCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class ChartCountRangeTest : public testing::TestWithParam<CountRangeCase>
{};

TEST_P(ChartCountRangeTest, EndsWhereThereIsNothingLeftToSee)
{
    const CountRangeCase& c = GetParam();
    const auto engines = static_cast<std::int32_t>(c.histogram.size()) - 1;
    const ExactDistribution exact(engines, c.failure);
    ChartRequest request;
    request.histogram = c.histogram;
    request.runs = c.runs;
    request.exact = c.failure > 0 ? &exact : nullptr;
    request.lastCount = c.lastCount;
    const ChartLayout layout(request, measurer);
    EXPECT_EQ(layout.firstShown(), 0);
    EXPECT_EQ(layout.lastShown(), c.expectedLast);
    EXPECT_EQ(layout.showsEveryCount(), c.expectedLast == engines);
}

// Binomial probabilities from scipy: 3 engines at 0.05 give 0.857375, 0.135375, 0.007125 and
// 0.000125.
INSTANTIATE_TEST_SUITE_P(
    chart, ChartCountRangeTest,
    testing::Values(CountRangeCase{"simulatedOnly", {0, 5, 0, 0}, 5, 0, {}, 1},
                    CountRangeCase{"exactAboveTheResolution", {950, 50, 0, 0}, 1000, 0.05, {}, 2},
                    CountRangeCase{"exactBelowTheResolution", {95, 5, 0, 0}, 100, 0.05, {}, 1},
                    CountRangeCase{"aRareRunBeyondTheExact", {950, 49, 0, 1}, 1000, 0.05, {}, 3},
                    CountRangeCase{"chosenFurther", {0, 5, 0, 0}, 5, 0, 2, 2},
                    CountRangeCase{"chosenShorter", {950, 49, 0, 1}, 1000, 0.05, 1, 1},
                    CountRangeCase{"chosenBeyondTheEngines", {0, 5, 0, 0}, 5, 0, 10, 3},
                    CountRangeCase{"chosenZero", {0, 5, 0, 0}, 5, 0, 0, 0}),
    CaseByName());

// The logarithmic axis spans what is drawn: the shares of the shown counts and their exact
// probabilities from 10^-12 up, which both axes mark by the same rule.
struct LogCase
{
    const char* name;
    std::int64_t engines;
    double failure;
    LogRange expected;
    std::size_t markers;
};

void PrintTo(const LogCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class ChartLogAxisTest : public testing::TestWithParam<LogCase>
{};

TEST_P(ChartLogAxisTest, SpansTheDrawnDataAndMarksAsTheLinearAxisDoes)
{
    const LogCase& c = GetParam();
    const ExactDistribution exact(c.engines, c.failure);
    const std::vector<std::int32_t> histogram = expectedCounts(exact, c.engines, 10'000);
    ChartRequest request;
    request.histogram = histogram;
    request.runs = 10'000;
    request.exact = &exact;
    for (const bool logarithmic : {true, false}) {
        request.logarithmic = logarithmic;
        const ChartLayout layout(request, measurer);
        if (logarithmic) {
            EXPECT_EQ(layout.logarithmicRange(), c.expected);
        }
        const ChartImage image = layout.image();
        // One more marker is the legend's.
        EXPECT_EQ(image.markers.size(), c.markers + 1) << logarithmic;
        bool said = false;
        for (const ChartText& text : image.texts)
            said = said || text.text == "Exakt (Binomialverteilung), ab 10⁻¹²";
        EXPECT_TRUE(said);
    }
}

// From scipy's binomial probabilities at 10,000 runs: 9 engines at 0.8 reach 0.2^9 = 5.1e-7 at
// k = 0, all marked; 30 at 0.7 show 0 to 29, of which k = 3 (1.06e-11) is the first at 10^-12 or
// more; 9 at 0.2 end at k = 7 (2.9e-4, the last at 1/10,000 or more).
INSTANTIATE_TEST_SUITE_P(chart, ChartLogAxisTest,
                         testing::Values(LogCase{"nineEnginesMostlyFailing", 9, 0.8, {-7, 0}, 10},
                                         LogCase{"thirtyEngines", 30, 0.7, {-11, 0}, 27},
                                         LogCase{"nineEnginesMostlyWorking", 9, 0.2, {-4, 0}, 8}),
                         CaseByName());

// With error bars the linear axis reaches the top of the highest whisker, but never beyond 1.
TEST(ChartLayoutTest, ErrorBarsWidenTheAxisUpToOne)
{
    // 0.8 ± 1.96 × sqrt(0.8 × 0.2 / 10) = 0.8 ± 0.248: up to 1.048, cut at 1.
    const std::vector<std::int32_t> nearOne = {2, 8};
    ChartRequest request;
    request.histogram = nearOne;
    request.runs = 10;
    request.errorBars = true;
    EXPECT_EQ(ChartLayout(request, measurer).probabilityTop(), 1.0);

    // 0.55 ± 1.96 × sqrt(0.55 × 0.45 / 100) = 0.55 ± 0.0975: up to 0.6475, above the 0.6 that
    // the bar alone ends its axis at (1.05 × 0.55 = 0.5775).
    const std::vector<std::int32_t> wide = {55, 45};
    request.histogram = wide;
    request.runs = 100;
    request.errorBars = false;
    EXPECT_EQ(ChartLayout(request, measurer).probabilityTop(), 0.6);
    request.errorBars = true;
    const ChartLayout layout(request, measurer);
    EXPECT_GE(layout.probabilityTop(), 0.6475);
    EXPECT_LE(layout.probabilityTop(), 1.0);
    std::size_t whiskers = 0;
    for (const ChartLine& line : layout.image().lines)
        whiskers += line.color.red == ChartLayout::errorBarColor.red && line.x1 == line.x2 &&
                    line.y1 != line.y2;
    // One per bar and the legend's.
    EXPECT_EQ(whiskers, 3u);
}

// The subtitle says which counts are shown and why the others are left out; the legend names what
// is drawn, the error bars with the picture's decimal separator.
struct ExplanationCase
{
    const char* name;
    bool withExact;
    std::optional<std::int64_t> lastCount;
    bool errorBars;
    std::string subtitle;
    std::string legend; // the last entry
};

void PrintTo(const ExplanationCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class ChartExplanationTest : public testing::TestWithParam<ExplanationCase>
{};

TEST_P(ChartExplanationTest, SubtitleAndLegendSayWhatIsShown)
{
    const ExplanationCase& c = GetParam();
    // 33 engines at 0.001: scipy's P(3) = 5.3e-6 is above 1 / 1,234,567, P(4) = 4e-8 below.
    const ExactDistribution exact(33, 0.001);
    const std::vector<std::int32_t> histogram = expectedCounts(exact, 33, 1'234'567);
    ChartRequest request;
    request.histogram = histogram;
    request.runs = 1'234'567;
    request.exact = c.withExact ? &exact : nullptr;
    request.lastCount = c.lastCount;
    request.errorBars = c.errorBars;
    request.decimalSeparator = ",";
    request.digitGroupSeparator = ".";
    const ChartImage image = ChartLayout(request, measurer).image();
    const auto has = [&image](const std::string& content) {
        return std::any_of(image.texts.begin(), image.texts.end(),
                           [&content](const ChartText& text) { return text.text == content; });
    };
    EXPECT_TRUE(has(c.subtitle)) << c.subtitle;
    EXPECT_TRUE(has(c.legend)) << c.legend;
    EXPECT_EQ(has("±1,96 Standardfehler (95 %)"), c.errorBars);
}

INSTANTIATE_TEST_SUITE_P(
    chart, ChartExplanationTest,
    testing::Values(
        ExplanationCase{"simulationOnly",
                        false,
                        {},
                        false,
                        "Gezeigt: 0 bis 3 von 0 bis 33 Ausfällen; die übrigen ohne simulierten "
                        "Durchlauf",
                        "Simulation"},
        ExplanationCase{"withExactValues",
                        true,
                        {},
                        false,
                        "Gezeigt: 0 bis 3 von 0 bis 33 Ausfällen; die übrigen ohne simulierten "
                        "Durchlauf, exakt seltener als 1 in 1.234.567",
                        "Exakt (Binomialverteilung), ab 10⁻¹²"},
        ExplanationCase{"chosenCounts", true, 4, false, "Gezeigt: 0 bis 4 von 0 bis 33 Ausfällen",
                        "Exakt (Binomialverteilung), ab 10⁻¹²"},
        ExplanationCase{"errorBars",
                        false,
                        {},
                        true,
                        "Gezeigt: 0 bis 3 von 0 bis 33 Ausfällen; die übrigen ohne simulierten "
                        "Durchlauf",
                        "±1,96 Standardfehler (95 %)"}),
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
