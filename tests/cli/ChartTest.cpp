#include "chart/ChartFile.h"
#include "chart/ChartLayout.h"
#include "cli/ReportCommand.h"
#include "platform/Locale.h"
#include "presentation/FormatSettings.h"
#include "statistics/ExactDistribution.h"
#include "support/CaseNames.h"

#include <QImage>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using Arguments = std::vector<std::string_view>;

// Each test writes its pictures into a directory of its own.
class ChartTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_directory = std::filesystem::temp_directory_path() /
                      ("triebwerke-chart-" + std::to_string(::getpid()) + "-" +
                       testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_directory);
        m_locale.emplace(platform::LocaleFormats{u",", u".", u"€"});
        loadFormatSettings();
    }
    void TearDown() override
    {
        std::filesystem::remove_all(m_directory);
        m_locale.reset();
        loadFormatSettings();
    }

    std::string path(std::string_view name) const { return (m_directory / name).string(); }

    int run(Arguments arguments, std::string* out = nullptr, std::string* err = nullptr)
    {
        std::ostringstream outStream;
        std::ostringstream errStream;
        const int exitCode = runReportCommand(arguments, outStream, errStream);
        if (out)
            *out = outStream.str();
        if (err)
            *err = errStream.str();
        return exitCode;
    }

private:
    std::filesystem::path m_directory;
    std::optional<platform::ScopedLocale> m_locale;
};

std::string contentsOf(const std::string& file)
{
    std::ifstream stream(file);
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

bool sameColor(QRgb pixel, ChartColor color)
{
    return qRed(pixel) == color.red && qGreen(pixel) == color.green && qBlue(pixel) == color.blue;
}

// The histogram that --counts prints for the same command line.
std::vector<std::int32_t> countsOf(Arguments arguments)
{
    arguments.push_back("--counts");
    std::ostringstream out;
    std::ostringstream err;
    runReportCommand(arguments, out, err);
    std::vector<std::int32_t> histogram;
    std::istringstream lines(out.str());
    for (std::int64_t k = 0, count = 0; lines >> k >> count;)
        histogram.push_back(static_cast<std::int32_t>(count));
    return histogram;
}

TEST_F(ChartTest, PngHasItsSizeBarsMarkersAndTitles)
{
    const Arguments simulation = {"--engines", "9",      "--reliability", "0,9",
                                  "--runs",    "100000", "--seed",        "1"};
    const std::string file = path("chart.png");
    Arguments arguments = simulation;
    arguments.insert(arguments.end(), {"--plot", file, "--exact"});
    std::string out;
    ASSERT_EQ(run(arguments, &out), 0);
    EXPECT_TRUE(out.starts_with("Ausfallwahrscheinlichkeit: 0,900000")) << out;

    const QImage image(QString::fromStdString(file));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(1200, 700));
    EXPECT_TRUE(sameColor(image.pixel(3, 3), {255, 255, 255}));

    // The same layout tells where the tallest bar and its marker are: the bars and the markers
    // come in the order of the counts, and every count has a bar and a marker here.
    const std::vector<std::int32_t> histogram = countsOf(simulation);
    const ExactDistribution exact(9, 0.10000000009313226);
    ChartRequest request;
    request.histogram = histogram;
    request.runs = 100000;
    request.exact = &exact;
    request.decimalSeparator = ",";
    const ChartImage layout = chartImage(request);
    ASSERT_GT(layout.rectangles.size(), 2u);
    ASSERT_GT(layout.markers.size(), 2u);
    const ChartRectangle& bar = layout.rectangles[1];
    const ChartMarker& marker = layout.markers[1];
    EXPECT_LT(bar.x, marker.x);
    EXPECT_GT(bar.x + bar.width, marker.x);
    const QRgb insideBar =
        image.pixel(static_cast<int>(bar.x + 2), static_cast<int>(bar.y + bar.height / 2));
    EXPECT_TRUE(sameColor(insideBar, ChartLayout::barColor)) << std::hex << insideBar;
    const QRgb markerCentre = image.pixel(static_cast<int>(marker.x), static_cast<int>(marker.y));
    EXPECT_TRUE(sameColor(markerCentre, ChartLayout::markerColor)) << std::hex << markerCentre;
    // Above the last bar, below the legend: the plot's background.
    const ChartRectangle& lastBar = layout.rectangles[layout.rectangles.size() - 2];
    EXPECT_TRUE(sameColor(image.pixel(static_cast<int>(lastBar.x + lastBar.width + 20),
                                      static_cast<int>(lastBar.y - 60)),
                          {255, 255, 255}));

    // Every text is drawn where the layout put it: dark pixels inside the count axis's title.
    for (const ChartText& text : layout.texts) {
        if (text.text != "Ausgefallene Triebwerke")
            continue;
        const ChartBox box = boxOf(text);
        int darkPixels = 0;
        for (int px = static_cast<int>(box.left); px < static_cast<int>(box.right); ++px) {
            for (int py = static_cast<int>(box.top); py < static_cast<int>(box.bottom); ++py)
                darkPixels += qGray(image.pixel(px, py)) < 100;
        }
        EXPECT_GT(darkPixels, 100);
    }
}

TEST_F(ChartTest, SizeAndLogarithmicAxisAreTaken)
{
    const std::string file = path("small.PNG");
    ASSERT_EQ(run({"--engines", "20", "--reliability", "0,99", "--runs", "1000", "--seed", "3",
                   "--plot", file, "--log", "--size", "640x360", "--format", "csv"}),
              0);
    const QImage image(QString::fromStdString(file));
    EXPECT_EQ(image.size(), QSize(640, 360));
}

TEST_F(ChartTest, SvgIsMeasuredInPixelsAndHoldsTheTexts)
{
    if (!svgChartsAvailable())
        GTEST_SKIP() << "built without Qt SVG, where the tool refuses .svg";
    const std::string file = path("chart.svg");
    ASSERT_EQ(run({"--engines", "12", "--reliability", "0,8", "--runs", "5000", "--seed", "5",
                   "--plot", file, "--exact", "--format", "json", "--log"}),
              0);
    const std::string svg = contentsOf(file);
    EXPECT_NE(svg.find(R"(<svg width="1200px" height="700px")"), std::string::npos)
        << svg.substr(0, 300);
    EXPECT_NE(svg.find(R"(viewBox="0 0 1200 700")"), std::string::npos);
    for (const std::string_view text :
         {"Ausgefallene Triebwerke", "Wahrscheinlichkeit",
          "5.000 Durchläufe mit je 12 Triebwerken der Zuverlässigkeit 0,8 (Startwert 5)", "10⁻³",
          "Exakt (Binomialverteilung), ab 10⁻¹²", "#4682b4", "#c81e1e"})
        EXPECT_NE(svg.find(text), std::string::npos) << text;
}

struct PlotUsageCase
{
    const char* name;
    Arguments arguments;
    std::string_view mentioned;
};

void PrintTo(const PlotUsageCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class PlotUsageTest : public testing::TestWithParam<PlotUsageCase>
{};

TEST_P(PlotUsageTest, RefusesTheCommandLine)
{
    Arguments arguments = {"--engines", "3", "--reliability", "0,9", "--runs", "5"};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runReportCommand(arguments, out, err), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find(GetParam().mentioned), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    cli, PlotUsageTest,
    testing::Values(
        PlotUsageCase{"unknownExtension", {"--plot", "bild.gif"}, ".png"},
        PlotUsageCase{"noExtension", {"--plot", "bild"}, "--plot"},
        PlotUsageCase{"logWithoutPlot", {"--log"}, "--log"},
        PlotUsageCase{"sizeWithoutPlot", {"--size", "800x600"}, "--size"},
        PlotUsageCase{"sizeTooNarrow", {"--plot", "a.png", "--size", "599x600"}, "600x360"},
        PlotUsageCase{"sizeTooLow", {"--plot", "a.png", "--size", "800x359"}, "600x360"},
        PlotUsageCase{"sizeTooLarge", {"--plot", "a.png", "--size", "10001x600"}, "10000"},
        PlotUsageCase{"sizeZero", {"--plot", "a.png", "--size", "0x600"}, "--size"},
        PlotUsageCase{"sizeMalformed", {"--plot", "a.png", "--size", "800*600"}, "--size"},
        PlotUsageCase{"sizeWithSign", {"--plot", "a.png", "--size", "+800x600"}, "--size"},
        PlotUsageCase{"exactWithReportAlone", {"--exact"}, "--exact"},
        PlotUsageCase{"titleWithAnEscape", {"--plot", "a.png", "--title", "\x1b[2J"}, "--title"},
        PlotUsageCase{"titleNotUtf8", {"--plot", "a.png", "--title", "\xff"}, "--title"},
        PlotUsageCase{"maxFailuresNotANumber",
                      {"--plot", "a.png", "--max-failures", "drei"},
                      "--max-failures"}),
    CaseByName());

TEST_F(ChartTest, AnUnwritablePictureIsAnErrorBeforeAnyOutput)
{
    std::string out;
    std::string err;
    const std::string file = path("missing/chart.png");
    EXPECT_EQ(
        run({"--engines", "3", "--reliability", "0,9", "--runs", "5", "--plot", file}, &out, &err),
        1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "triebwerke-report: Das Diagramm konnte nicht geschrieben werden: Die Datei \"" +
                       file + "\" lässt sich nicht anlegen: Der Ordner existiert nicht\n");
}

} // namespace
