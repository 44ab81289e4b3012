#pragma once

#include "chart/ChartAxis.h"
#include "chart/ChartImage.h"
#include "chart/ChartTextMeasurer.h"
#include "statistics/ExactDistribution.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What the chart shows: the simulated share of every failure count as a bar, the exact
// probabilities as markers when there are any, on a linear or logarithmic probability axis.
struct ChartRequest
{
    std::span<const std::int32_t> histogram;
    std::int32_t runs = 0;
    const ExactDistribution* exact = nullptr;
    bool logarithmic = false;
    // Whiskers of ±1.96 standard errors of each simulated share: the model's, from the exact
    // probability, where there is one, else the share's own.
    bool errorBars = false;
    // The last failure count shown; without it the axis ends where the simulated runs and the
    // exact probabilities of at least 1/runs end.
    std::optional<std::int64_t> lastCount;
    std::string title;
    std::string decimalSeparator = "."; // UTF-8, for every decimal fraction in the picture
    // UTF-8, between the groups of three digits of a count; a narrow no-break space reads the
    // same in every language.
    std::string digitGroupSeparator = "\u202F";
    int width = 1200;
    int height = 700;
};

// The chart's geometry. Past the last simulated run and the last exact probability a simulation
// of this many runs could show (1/runs), the counts carry nothing to see, so the x axis ends
// there; with many engines it also begins at the first such count. The subtitle says which range
// is shown. Exact probabilities are drawn from 10^-12 up on both axes, as the legend says.
//
// Fonts, margins, marks and the legend are drawn for a picture of designWidth x designHeight and
// scale with the smaller of the picture's ratios to it; below smallestScale the labels would no
// longer be legible, so no picture is smaller than smallestWidth x smallestHeight.
class ChartLayout
{
public:
    ChartLayout(const ChartRequest& request, const ChartTextMeasurer& measurer);

    static constexpr int designWidth = 800;
    static constexpr int designHeight = 480;
    static constexpr double smallestScale = 0.75;
    static constexpr int smallestWidth = static_cast<int>(designWidth * smallestScale);
    static constexpr int smallestHeight = static_cast<int>(designHeight * smallestScale);
    // No probability axis spans more decades than this; what lies further down is left out.
    static constexpr int maxDecades = 12;
    // Exact probabilities below this are not drawn: 10^-maxDecades, the foot of any logarithmic
    // axis that ends at 1.
    static constexpr double smallestMarked = 1e-12;

    std::int64_t firstShown() const { return m_first; }
    std::int64_t lastShown() const { return m_last; }
    bool showsEveryCount() const;
    double scale() const { return m_scale; }
    // The horizontal centre of count k's bar, and the vertical position of a probability.
    double barCentre(std::int64_t k) const;
    double valueY(double probability) const;
    double plotLeft() const { return m_left; }
    double plotRight() const { return m_right; }
    double plotTop() const { return m_top; }
    double plotBottom() const { return m_bottom; }
    const std::vector<AxisTick>& probabilityTicks() const { return m_probabilityTicks; }
    const std::vector<std::int64_t>& countTicks() const { return m_countTicks; }
    LogRange logarithmicRange() const { return m_logRange; }
    // The top of the linear probability axis.
    double probabilityTop() const { return m_probabilityTop; }

    ChartImage image() const;

    static constexpr ChartColor barColor{70, 130, 180};
    static constexpr ChartColor markerColor{200, 30, 30};
    static constexpr ChartColor errorBarColor{20, 20, 20};

private:
    struct Fonts
    {
        int tick;
        int axisTitle;
        int title;
        int subtitle;
        int legend;
    };

    double share(std::int64_t k) const;
    double exactProbability(std::int64_t k) const;
    bool drawsMarker(std::int64_t k) const;
    // 1.96 standard errors of count k's simulated share, or 0 without error bars.
    double errorHalfWidth(std::int64_t k) const;
    void chooseCounts();
    void chooseProbabilityAxis(int intervals);
    // The width one count takes on the x axis.
    double slot() const;
    double scaled(double designPixels) const { return designPixels * m_scale; }
    ChartText text(double x, double y, std::string content, TextAnchor anchor, int pixelSize,
                   bool bold, ChartColor color) const;
    // The text at its size, or smaller down to `smallest` pixels, or cut short with an ellipsis,
    // so that it is no wider than `room`.
    ChartText fitted(ChartText text, double room, int smallest) const;
    std::string subtitle() const;
    std::string countText(std::int64_t count) const;
    void addBars(ChartImage& image) const;
    void addMarkers(ChartImage& image) const;
    void addErrorBars(ChartImage& image) const;
    void addAxes(ChartImage& image) const;
    void addTitles(ChartImage& image) const;
    void addLegend(ChartImage& image) const;

    const ChartRequest& m_request;
    const ChartTextMeasurer& m_measurer;
    double m_scale = 1;
    Fonts m_fonts{};
    std::int64_t m_first = 0;
    std::int64_t m_last = 0;
    double m_left = 0;
    double m_right = 0;
    double m_top = 0;
    double m_bottom = 0;
    double m_titleY = 0;
    double m_subtitleY = 0;
    double m_legendY = 0;
    double m_countLabelY = 0;
    double m_countTitleY = 0;
    double m_probabilityTitleX = 0;
    double m_probabilityTop = 1; // the linear axis's top value
    LogRange m_logRange;
    std::vector<AxisTick> m_probabilityTicks;
    std::vector<std::int64_t> m_countTicks;
};
