#pragma once

#include "chart/ChartImage.h"
#include "statistics/ExactDistribution.h"

#include <cstdint>
#include <span>
#include <string>

// What the chart shows: the simulated share of every failure count as a bar, the exact
// probabilities as markers when there are any, on a linear or logarithmic probability axis.
struct ChartRequest
{
    std::span<const std::int32_t> histogram;
    std::int32_t runs = 0;
    const ExactDistribution* exact = nullptr;
    bool logarithmic = false;
    std::string title;
    int width = 1200;
    int height = 700;
};

// The chart's geometry. With many engines nearly every count has neither a simulated run nor an
// exact probability worth a pixel, so the x axis spans only the counts that carry probability
// and the subtitle says which range that is.
class ChartLayout
{
public:
    explicit ChartLayout(const ChartRequest& request);

    std::int64_t firstShown() const { return m_first; }
    std::int64_t lastShown() const { return m_last; }
    bool showsEveryCount() const;
    // The horizontal centre of count k's bar, and the vertical position of a probability.
    double barCentre(std::int64_t k) const;
    double valueY(double probability) const;
    double plotLeft() const { return m_left; }
    double plotRight() const { return m_right; }
    double plotTop() const { return m_top; }
    double plotBottom() const { return m_bottom; }

    ChartImage image() const;

    static constexpr ChartColor barColor{70, 130, 180};
    static constexpr ChartColor markerColor{200, 30, 30};

private:
    double share(std::int64_t k) const;
    double exactProbability(std::int64_t k) const;
    void addAxes(ChartImage& image) const;

    const ChartRequest& m_request;
    std::int64_t m_first = 0;
    std::int64_t m_last = 0;
    double m_left = 0;
    double m_right = 0;
    double m_top = 0;
    double m_bottom = 0;
    // Linear axis: 0 .. m_high; logarithmic axis: 10^m_lowExponent .. 10^m_highExponent.
    double m_high = 1;
    int m_lowExponent = 0;
    int m_highExponent = 0;
};
