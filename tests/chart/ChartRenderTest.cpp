#include "chart/ChartFile.h"
#include "chart/ChartLayout.h"
#include "chart/ExpectedCounts.h"
#include "statistics/ExactDistribution.h"
#include "support/CaseNames.h"

#include <QImage>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The common pictures, laid out in the font they are drawn in: no text leaves the picture or
// touches another, none covers a marker, and every text's ink lies within the rectangle the
// layout gave it.
struct RenderCase
{
    const char* name;
    std::int64_t engines;
    double failure;
    std::int32_t runs;
    bool logarithmic;
    bool exact;
    int width;
    int height;
    const char* separator;
    std::string title;
};

void PrintTo(const RenderCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class ChartRenderTest : public testing::TestWithParam<RenderCase>
{};

ChartBox markerBox(const ChartMarker& marker)
{
    return {marker.x - marker.radius, marker.y - marker.radius, marker.x + marker.radius,
            marker.y + marker.radius};
}

TEST_P(ChartRenderTest, TextsStayInsideThePictureAndClearOfEachOther)
{
    const RenderCase& c = GetParam();
    const ExactDistribution exact(c.engines, c.failure);
    const std::vector<std::int32_t> histogram = expectedCounts(exact, c.engines, c.runs);
    ChartRequest request;
    request.histogram = histogram;
    request.runs = c.runs;
    request.exact = c.exact ? &exact : nullptr;
    request.logarithmic = c.logarithmic;
    request.title = c.title;
    request.decimalSeparator = c.separator;
    request.width = c.width;
    request.height = c.height;
    const ChartImage image = chartImage(request);

    const ChartBox picture{0, 0, static_cast<double>(c.width), static_cast<double>(c.height)};
    for (std::size_t i = 0; i < image.texts.size(); ++i) {
        const ChartText& text = image.texts[i];
        const ChartBox box = boxOf(text);
        EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= picture.right &&
                    box.bottom <= picture.bottom)
            << text.text << " at " << box.left << ", " << box.top << " - " << box.right << ", "
            << box.bottom;
        for (std::size_t j = i + 1; j < image.texts.size(); ++j)
            EXPECT_FALSE(box.overlaps(boxOf(image.texts[j])))
                << text.text << " / " << image.texts[j].text;
        for (const ChartMarker& marker : image.markers)
            EXPECT_FALSE(box.overlaps(markerBox(marker))) << text.text;
        const char other = c.separator == std::string(".") ? ',' : '.';
        for (std::size_t p = 1; p + 1 < text.text.size(); ++p) {
            if (text.text[p] == other &&
                std::isdigit(static_cast<unsigned char>(text.text[p - 1])) &&
                std::isdigit(static_cast<unsigned char>(text.text[p + 1])))
                ADD_FAILURE() << "the other separator in " << text.text;
        }
    }
    for (const ChartMarker& marker : image.markers) {
        const ChartBox box = markerBox(marker);
        EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= picture.right &&
                    box.bottom <= picture.bottom);
    }

    // The texts alone, drawn: every inked pixel lies in a text's rectangle (give or take the
    // pixel that antialiasing spreads into).
    ChartImage textsAlone;
    textsAlone.width = image.width;
    textsAlone.height = image.height;
    textsAlone.texts = image.texts;
    const std::string png = encodeChartImage(textsAlone, ChartFileType::Png);
    const QImage drawn = QImage::fromData(reinterpret_cast<const uchar*>(png.data()),
                                          static_cast<int>(png.size()), "PNG")
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(drawn.isNull());
    std::vector<bool> allowed(static_cast<std::size_t>(c.width) * c.height);
    for (const ChartText& text : image.texts) {
        const ChartBox box = boxOf(text);
        for (int y = std::max(0, static_cast<int>(box.top) - 1);
             y < std::min(c.height, static_cast<int>(std::ceil(box.bottom)) + 1); ++y) {
            for (int x = std::max(0, static_cast<int>(box.left) - 1);
                 x < std::min(c.width, static_cast<int>(std::ceil(box.right)) + 1); ++x)
                allowed[static_cast<std::size_t>(y) * c.width + x] = true;
        }
    }
    int stray = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
        for (int x = 0; x < drawn.width(); ++x)
            stray += qGray(line[x]) <= 200 && !allowed[static_cast<std::size_t>(y) * c.width + x];
    }
    EXPECT_EQ(stray, 0);
}

const std::string commonTitle =
    "Triebwerke: 9, Zuverlässigkeit: 0,9, Durchläufe: 10000, Startwert: 42";

INSTANTIATE_TEST_SUITE_P(
    chart, ChartRenderTest,
    testing::Values(
        RenderCase{"nineEngines", 9, 0.1, 10'000, false, true, 1200, 700, ",", commonTitle},
        RenderCase{"nineEnginesPoint", 9, 0.1, 10'000, false, true, 1200, 700, ".",
                   "Triebwerke: 9, Zuverlässigkeit: 0.9, Durchläufe: 10000, Startwert: 42"},
        RenderCase{"nineEnginesLog", 9, 0.1, 10'000, true, true, 1200, 700, ",", commonTitle},
        RenderCase{"thousandEngines", 1000, 0.01, 100'000, false, true, 1200, 700, ",",
                   commonTitle},
        RenderCase{"thirtyThreeEnginesLog", 33, 0.05, 100'000, true, true, 1200, 700, ",",
                   commonTitle},
        RenderCase{"millionEnginesLog", 1'000'000, 0.5, 1'000'000, true, true, 1200, 700, ",",
                   commonTitle},
        RenderCase{"smallest", 9, 0.1, 10'000, true, true, 600, 360, ",", commonTitle},
        RenderCase{"large", 9, 0.1, 10'000, false, true, 3000, 2000, ",", commonTitle},
        RenderCase{"wideAndLow", 100'000, 0.5, 5'000'000, false, false, 2400, 360, ",",
                   commonTitle},
        RenderCase{"aReliabilityOfSixtyDigits", 9, 0.1, 10'000, false, true, 600, 360, ",",
                   "Triebwerke: 9, Zuverlässigkeit: 0," + std::string(60, '9') +
                       ", Durchläufe: 10000, Startwert: 42"}),
    CaseByName());

} // namespace
