#include "chart/ChartLayout.h"

#include "presentation/FormatSettings.h"
#include "presentation/ScriptNumbers.h"
#include "presentation/TextEncoding.h"

#include <algorithm>
#include <cmath>

namespace {

// Exact probabilities below this draw no visible marker on any axis worth reading.
constexpr double visibleProbability = 1e-12;
// Up to this many engines every count is shown, also the empty ones at the ends.
constexpr std::int64_t wholeAxisUpTo = 60;

constexpr ChartColor black{0, 0, 0};
constexpr ChartColor gridColor{225, 225, 225};
constexpr ChartColor textColor{40, 40, 40};

// The locale's decimal separator, as the report writes it.
std::string localeNumber(std::string text)
{
    std::string separator;
    if (FormatSettings.DecimalSeparator != u'\0')
        appendUtf8(separator, FormatSettings.DecimalSeparator);
    const auto point = text.find('.');
    if (point != std::string::npos)
        text.replace(point, 1, separator);
    return text;
}

std::string shortest(double value)
{
    std::string text;
    appendShortest(text, value);
    return text;
}

// A step of 1, 2 or 5 times a power of ten that cuts `span` into at most `parts` pieces.
double niceStep(double span, int parts)
{
    const double raw = span / parts;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * decade >= raw)
            return factor * decade;
    }
    return 10 * decade;
}

} // namespace

ChartLayout::ChartLayout(const ChartRequest& request)
    : m_request(request)
{
    const auto engines = static_cast<std::int64_t>(request.histogram.size()) - 1;
    m_first = engines;
    m_last = 0;
    for (std::int64_t k = 0; k <= engines; ++k) {
        if (share(k) > 0 || exactProbability(k) >= visibleProbability) {
            m_first = std::min(m_first, k);
            m_last = std::max(m_last, k);
        }
    }
    if (engines <= wholeAxisUpTo || m_first > m_last) {
        m_first = 0;
        m_last = std::max<std::int64_t>(engines, 0);
    }

    m_left = 110;
    m_right = request.width - 30.0;
    m_top = 80;
    m_bottom = request.height - 75.0;

    double highest = 0;
    double lowest = 1;
    for (std::int64_t k = m_first; k <= m_last; ++k) {
        for (const double value : {share(k), exactProbability(k)}) {
            highest = std::max(highest, value);
            if (value > 0)
                lowest = std::min(lowest, value);
        }
    }
    if (highest <= 0)
        highest = 1;
    m_highExponent = static_cast<int>(std::ceil(std::log10(highest)));
    m_lowExponent = std::min(static_cast<int>(std::floor(std::log10(lowest))), m_highExponent - 1);
    const double step = niceStep(highest, 6);
    m_high = std::ceil(highest * 1.05 / step) * step;
}

bool ChartLayout::showsEveryCount() const
{
    return m_first == 0 && m_last == static_cast<std::int64_t>(m_request.histogram.size()) - 1;
}

double ChartLayout::share(std::int64_t k) const
{
    // A negative engine count leaves no histogram at all, and an empty chart.
    if (k < 0 || k >= static_cast<std::int64_t>(m_request.histogram.size()) || m_request.runs <= 0)
        return 0.0;
    return static_cast<double>(m_request.histogram[static_cast<std::size_t>(k)]) / m_request.runs;
}

double ChartLayout::exactProbability(std::int64_t k) const
{
    return m_request.exact ? m_request.exact->probability(k) : 0.0;
}

double ChartLayout::barCentre(std::int64_t k) const
{
    const double slot = (m_right - m_left) / static_cast<double>(m_last - m_first + 1);
    return m_left + (static_cast<double>(k - m_first) + 0.5) * slot;
}

double ChartLayout::valueY(double probability) const
{
    if (!m_request.logarithmic)
        return m_bottom - (m_bottom - m_top) * probability / m_high;
    const double low = m_lowExponent;
    const double position =
        probability > 0 ? (std::log10(probability) - low) / (m_highExponent - low) : 0.0;
    return m_bottom - (m_bottom - m_top) * std::clamp(position, 0.0, 1.0);
}

void ChartLayout::addAxes(ChartImage& image) const
{
    // Probability axis: gridlines and labels.
    if (m_request.logarithmic) {
        const int decades = m_highExponent - m_lowExponent;
        const int every = std::max(1, (decades + 9) / 10);
        for (int exponent = m_lowExponent; exponent <= m_highExponent; exponent += every) {
            const double y = valueY(std::pow(10.0, exponent));
            image.gridLines.push_back(ChartLine{m_left, y, m_right, y, gridColor, 1});
            const std::string label = exponent == 0 ? "1" : "1e" + std::to_string(exponent);
            image.texts.push_back(
                ChartText{m_left - 8, y, label, TextAnchor::Right, 13, false, false, textColor});
        }
    } else {
        const double step = niceStep(m_high, 6);
        for (int i = 0; i * step <= m_high * (1 + 1e-9); ++i) {
            const double value = i * step;
            const double y = valueY(value);
            image.gridLines.push_back(ChartLine{m_left, y, m_right, y, gridColor, 1});
            image.texts.push_back(ChartText{m_left - 8, y, localeNumber(shortest(value)),
                                            TextAnchor::Right, 13, false, false, textColor});
        }
    }

    // Failure-count axis: integer ticks.
    const double span = static_cast<double>(m_last - m_first + 1);
    const double step = std::max(1.0, niceStep(span, 12));
    const auto stride = static_cast<std::int64_t>(step);
    for (std::int64_t k = (m_first + stride - 1) / stride * stride; k <= m_last; k += stride) {
        const double x = barCentre(k);
        image.lines.push_back(ChartLine{x, m_bottom, x, m_bottom + 6, black, 1});
        image.texts.push_back(ChartText{x, m_bottom + 18, std::to_string(k), TextAnchor::Centre, 13,
                                        false, false, textColor});
    }

    image.lines.push_back(ChartLine{m_left, m_bottom, m_right, m_bottom, black, 1.5});
    image.lines.push_back(ChartLine{m_left, m_top, m_left, m_bottom, black, 1.5});
    image.texts.push_back(ChartText{(m_left + m_right) / 2, m_bottom + 48,
                                    "Ausgefallene Triebwerke", TextAnchor::Centre, 15, true, false,
                                    black});
    image.texts.push_back(ChartText{28, (m_top + m_bottom) / 2, "Wahrscheinlichkeit",
                                    TextAnchor::Centre, 15, true, true, black});
}

ChartImage ChartLayout::image() const
{
    ChartImage image;
    image.width = m_request.width;
    image.height = m_request.height;
    addAxes(image);

    const double slot = (m_right - m_left) / static_cast<double>(m_last - m_first + 1);
    const double barWidth = slot >= 3 ? slot * 0.8 : slot;
    for (std::int64_t k = m_first; k <= m_last; ++k) {
        const double value = share(k);
        if (value <= 0)
            continue;
        const double top = valueY(value);
        image.rectangles.push_back(
            ChartRectangle{barCentre(k) - barWidth / 2, top, barWidth, m_bottom - top, barColor});
    }
    if (m_request.exact) {
        const double radius = std::clamp(slot * 0.3, 1.5, 5.0);
        // Markers closer than their outlines would merge into a black line.
        const ChartColor outline = slot < 4 ? markerColor : black;
        for (std::int64_t k = m_first; k <= m_last; ++k) {
            const double value = exactProbability(k);
            if (value < visibleProbability)
                continue;
            image.markers.push_back(
                ChartMarker{barCentre(k), valueY(value), radius, markerColor, outline});
        }
    }

    image.texts.push_back(ChartText{static_cast<double>(m_request.width) / 2, 24, m_request.title,
                                    TextAnchor::Centre, 17, true, false, black});
    std::string subtitle =
        showsEveryCount() ? "Alle Ausfallzahlen"
                          : "Gezeigt: " + std::to_string(m_first) + " bis " +
                                std::to_string(m_last) + " ausgefallene Triebwerke von 0 bis " +
                                std::to_string(m_request.histogram.size() - 1) +
                                " (die übrigen ohne nennenswerte Wahrscheinlichkeit)";
    if (m_request.logarithmic)
        subtitle += "; logarithmische Achse";
    image.texts.push_back(ChartText{static_cast<double>(m_request.width) / 2, 50, subtitle,
                                    TextAnchor::Centre, 13, false, false, textColor});

    // Legend, top right inside the plot.
    const double legendX = m_right - 250;
    const double legendY = m_top + 16;
    image.rectangles.push_back(ChartRectangle{
        legendX - 10, legendY - 16, 250, m_request.exact ? 54.0 : 32.0, ChartColor{255, 255, 255}});
    image.rectangles.push_back(ChartRectangle{legendX, legendY - 6, 22, 12, barColor});
    image.texts.push_back(
        ChartText{legendX + 30, legendY, "Simulation", TextAnchor::Left, 13, false, false, black});
    if (m_request.exact) {
        image.markers.push_back(ChartMarker{legendX + 11, legendY + 22, 5, markerColor, black});
        image.texts.push_back(ChartText{legendX + 30, legendY + 22, "Exakt (Binomialverteilung)",
                                        TextAnchor::Left, 13, false, false, black});
    }
    return image;
}
