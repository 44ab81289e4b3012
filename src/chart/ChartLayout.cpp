#include "chart/ChartLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Up to this many engines the axis begins at 0 failures, also below the first simulated count.
constexpr std::int64_t axisFromZeroUpTo = 60;
// Two-sided 95 % of a normal distribution.
constexpr double errorBarDeviations = 1.96;

constexpr ChartColor black{0, 0, 0};
constexpr ChartColor white{255, 255, 255};
constexpr ChartColor gridColor{225, 225, 225};
constexpr ChartColor textColor{40, 40, 40};

// Distances of the design, in its pixels.
constexpr double edge = 10;
constexpr double tickLength = 5;
constexpr double labelGap = 4;
// Labels on the probability axis lie at least this many label heights apart.
constexpr double labelSpacing = 2.5;

void dropLastCharacter(std::string& utf8)
{
    while (!utf8.empty() && (static_cast<unsigned char>(utf8.back()) & 0xC0) == 0x80)
        utf8.pop_back();
    if (!utf8.empty())
        utf8.pop_back();
}

} // namespace

ChartLayout::ChartLayout(const ChartRequest& request, const ChartTextMeasurer& measurer)
    : m_request(request)
    , m_measurer(measurer)
{
    m_scale = std::min(static_cast<double>(request.width) / designWidth,
                       static_cast<double>(request.height) / designHeight);
    const auto font = [this](double designSize) {
        return std::max(1, static_cast<int>(std::lround(scaled(designSize))));
    };
    m_fonts = Fonts{font(12), font(13), font(14), font(12), font(12)};

    chooseCounts();

    // Top to bottom: title, subtitle, legend, plot, count labels, count axis title.
    const double width = request.width;
    const double height = request.height;
    const double titleHeight = m_measurer.height(m_fonts.title);
    const double subtitleHeight = m_measurer.height(m_fonts.subtitle);
    const double legendHeight = m_measurer.height(m_fonts.legend);
    const double tickHeight = m_measurer.height(m_fonts.tick);
    const double axisTitleHeight = m_measurer.height(m_fonts.axisTitle);
    m_titleY = scaled(edge) + titleHeight / 2;
    m_subtitleY = m_titleY + titleHeight / 2 + scaled(3) + subtitleHeight / 2;
    m_legendY = m_subtitleY + subtitleHeight / 2 + scaled(6) + legendHeight / 2;
    m_top = m_legendY + legendHeight / 2 + scaled(8);
    m_countTitleY = height - scaled(edge) - axisTitleHeight / 2;
    m_countLabelY = m_countTitleY - axisTitleHeight / 2 - scaled(labelGap) - tickHeight / 2;
    m_bottom = m_countLabelY - tickHeight / 2 - scaled(labelGap) - scaled(tickLength);

    chooseProbabilityAxis(
        static_cast<int>(std::floor((m_bottom - m_top) / (labelSpacing * tickHeight))));

    // Left to right: the probability axis title, its labels, the plot; the count labels are
    // centred on their bars and may reach beyond the plot by half their width.
    double widestProbability = 0;
    for (const AxisTick& tick : m_probabilityTicks)
        widestProbability =
            std::max(widestProbability, m_measurer.width(tick.text, m_fonts.tick, false));
    double widestCount = 0;
    for (const std::int64_t k : {m_first, m_last})
        widestCount = std::max(widestCount, m_measurer.width(countText(k), m_fonts.tick, false));
    m_probabilityTitleX = scaled(edge) + axisTitleHeight / 2;
    m_left = std::max(scaled(edge) + axisTitleHeight + scaled(6) + widestProbability +
                          scaled(labelGap) + scaled(tickLength),
                      scaled(edge) + widestCount / 2);
    m_right = width - scaled(edge) - widestCount / 2;

    m_countTicks = ::countTicks(m_first, m_last, (widestCount + scaled(2 * labelGap)) / slot());
}

void ChartLayout::chooseCounts()
{
    const auto engines = static_cast<std::int64_t>(m_request.histogram.size()) - 1;
    const double resolution = m_request.runs > 0 ? 1.0 / m_request.runs : 1.0;
    m_first = engines;
    m_last = 0;
    for (std::int64_t k = 0; k <= engines; ++k) {
        if (share(k) > 0 || exactProbability(k) >= resolution) {
            m_first = std::min(m_first, k);
            m_last = std::max(m_last, k);
        }
    }
    if (m_first > m_last) {
        // Nothing to see: the whole axis, as an empty chart of it.
        m_first = 0;
        m_last = std::max<std::int64_t>(engines, 0);
    } else if (engines <= axisFromZeroUpTo) {
        m_first = 0;
    }
    if (m_request.lastCount) {
        m_last =
            std::clamp<std::int64_t>(*m_request.lastCount, 0, std::max<std::int64_t>(engines, 0));
        m_first = std::min(m_first, m_last);
    }
}

void ChartLayout::chooseProbabilityAxis(int intervals)
{
    if (m_request.logarithmic) {
        std::vector<double> values;
        for (std::int64_t k = m_first; k <= m_last; ++k) {
            values.push_back(share(k));
            if (errorHalfWidth(k) > 0)
                values.push_back(std::min(1.0, share(k) + errorHalfWidth(k)));
            if (drawsMarker(k))
                values.push_back(exactProbability(k));
        }
        m_logRange = logRange(values, maxDecades);
        m_probabilityTicks = logTicks(m_logRange, intervals);
        return;
    }
    double highest = 0;
    for (std::int64_t k = m_first; k <= m_last; ++k)
        highest = std::max({highest, share(k) + errorHalfWidth(k), exactProbability(k)});
    m_probabilityTicks = linearTicks(highest, intervals, m_request.decimalSeparator, 1.0);
    m_probabilityTop = m_probabilityTicks.back().value;
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

bool ChartLayout::drawsMarker(std::int64_t k) const
{
    return exactProbability(k) >= smallestMarked;
}

double ChartLayout::errorHalfWidth(std::int64_t k) const
{
    if (!m_request.errorBars || m_request.runs <= 0)
        return 0;
    const double q = m_request.exact ? exactProbability(k) : share(k);
    return errorBarDeviations * std::sqrt(q * (1 - q) / m_request.runs);
}

double ChartLayout::slot() const
{
    return (m_right - m_left) / static_cast<double>(m_last - m_first + 1);
}

double ChartLayout::barCentre(std::int64_t k) const
{
    return m_left + (static_cast<double>(k - m_first) + 0.5) * slot();
}

double ChartLayout::valueY(double probability) const
{
    double position = probability / m_probabilityTop;
    if (m_request.logarithmic) {
        const double low = m_logRange.low;
        position = probability > 0 ? (std::log10(probability) - low) / (m_logRange.high - low) : 0;
    }
    return m_bottom - (m_bottom - m_top) * std::clamp(position, 0.0, 1.0);
}

std::string ChartLayout::countText(std::int64_t count) const
{
    return groupedDigits(count, m_request.digitGroupSeparator);
}

ChartText ChartLayout::text(double x, double y, std::string content, TextAnchor anchor,
                            int pixelSize, bool bold, ChartColor color) const
{
    ChartText text{x, y, std::move(content), anchor, pixelSize, bold, false, color, 0, 0};
    text.width = m_measurer.width(text.text, pixelSize, bold);
    text.height = m_measurer.height(pixelSize);
    return text;
}

ChartText ChartLayout::fitted(ChartText text, double room, int smallest) const
{
    while (text.width > room && text.pixelSize > smallest) {
        --text.pixelSize;
        text.width = m_measurer.width(text.text, text.pixelSize, text.bold);
    }
    text.height = m_measurer.height(text.pixelSize);
    // A title can be as long as the reliability typed into it; what does not fit is cut short.
    if (text.width > room) {
        std::string shortened = text.text;
        while (!shortened.empty() && text.width > room) {
            dropLastCharacter(shortened);
            text.text = shortened + "…";
            text.width = m_measurer.width(text.text, text.pixelSize, text.bold);
        }
    }
    return text;
}

std::string ChartLayout::subtitle() const
{
    std::string subtitle = "Alle Ausfallzahlen";
    if (!showsEveryCount()) {
        const auto engines = static_cast<std::int64_t>(m_request.histogram.size()) - 1;
        subtitle = "Gezeigt: " + countText(m_first) + " bis " + countText(m_last) + " von 0 bis " +
                   countText(engines) + " Ausfällen";
        if (!m_request.lastCount) {
            subtitle += "; die übrigen ohne simulierten Durchlauf";
            if (m_request.exact)
                subtitle += ", exakt seltener als 1 in " + countText(m_request.runs);
        }
    }
    if (m_request.logarithmic)
        subtitle += "; logarithmische Achse";
    return subtitle;
}

void ChartLayout::addBars(ChartImage& image) const
{
    // Bars are whole pixels wide and start on a pixel's edge, so none is a faint antialiased
    // sliver. Where a count's slot is narrower than a pixel, the counts that share a column of
    // pixels are drawn as one bar of the tallest of them: the outline of the distribution.
    const double slot = this->slot();
    const double barWidth = slot >= 3 ? slot * 0.8 : slot;
    double column = -1;
    double columnRight = 0;
    double columnValue = 0;
    const auto flush = [&] {
        if (columnValue <= 0)
            return;
        const double top = valueY(columnValue);
        image.rectangles.push_back(
            ChartRectangle{column, top, columnRight - column, m_bottom - top, barColor});
    };
    for (std::int64_t k = m_first; k <= m_last; ++k) {
        const double left = std::round(barCentre(k) - barWidth / 2);
        const double right = std::max(left + 1, std::round(barCentre(k) + barWidth / 2));
        if (left != column) {
            flush();
            column = left;
            columnRight = right;
            columnValue = 0;
        }
        columnValue = std::max(columnValue, share(k));
    }
    flush();
}

void ChartLayout::addMarkers(ChartImage& image) const
{
    if (!m_request.exact)
        return;
    const double slot = this->slot();
    const double radius = std::clamp(slot * 0.3, 1.5, scaled(4.5));
    // Markers closer than their outlines would merge into a black line.
    const ChartColor outline = slot < 4 ? markerColor : black;
    for (std::int64_t k = m_first; k <= m_last; ++k) {
        if (drawsMarker(k))
            image.markers.push_back(ChartMarker{barCentre(k), valueY(exactProbability(k)), radius,
                                                markerColor, outline});
    }
}

void ChartLayout::addErrorBars(ChartImage& image) const
{
    const double lineWidth = std::max(1.0, scaled(1));
    // Caps only where the slot has room for them; a whisker alone still reads.
    const double cap = slot() >= 6 ? std::min(slot() * 0.3, scaled(6)) : 0.0;
    for (std::int64_t k = m_first; k <= m_last; ++k) {
        const double halfWidth = errorHalfWidth(k);
        if (!(halfWidth > 0))
            continue;
        const double x = barCentre(k);
        const double low = valueY(share(k) - halfWidth);
        const double high = valueY(std::min(1.0, share(k) + halfWidth));
        image.lines.push_back(ChartLine{x, low, x, high, errorBarColor, lineWidth});
        if (cap > 0) {
            image.lines.push_back(ChartLine{x - cap, low, x + cap, low, errorBarColor, lineWidth});
            image.lines.push_back(
                ChartLine{x - cap, high, x + cap, high, errorBarColor, lineWidth});
        }
    }
}

void ChartLayout::addAxes(ChartImage& image) const
{
    const double lineWidth = std::max(1.0, scaled(1));
    for (const AxisTick& tick : m_probabilityTicks) {
        const double y = valueY(tick.value);
        image.gridLines.push_back(ChartLine{m_left, y, m_right, y, gridColor, lineWidth});
        image.lines.push_back(
            ChartLine{m_left - scaled(tickLength), y, m_left, y, black, lineWidth});
        image.texts.push_back(text(m_left - scaled(tickLength + labelGap), y, tick.text,
                                   TextAnchor::Right, m_fonts.tick, false, textColor));
    }
    for (const std::int64_t k : m_countTicks) {
        const double x = barCentre(k);
        image.lines.push_back(
            ChartLine{x, m_bottom, x, m_bottom + scaled(tickLength), black, lineWidth});
        image.texts.push_back(text(x, m_countLabelY, countText(k), TextAnchor::Centre, m_fonts.tick,
                                   false, textColor));
    }
    image.lines.push_back(ChartLine{m_left, m_bottom, m_right, m_bottom, black, 1.5 * lineWidth});
    image.lines.push_back(ChartLine{m_left, m_top, m_left, m_bottom, black, 1.5 * lineWidth});

    image.texts.push_back(
        fitted(text((m_left + m_right) / 2, m_countTitleY, "Ausgefallene Triebwerke",
                    TextAnchor::Centre, m_fonts.axisTitle, true, black),
               m_right - m_left, m_fonts.tick));
    ChartText probabilityTitle =
        fitted(text(m_probabilityTitleX, (m_top + m_bottom) / 2, "Wahrscheinlichkeit",
                    TextAnchor::Centre, m_fonts.axisTitle, true, black),
               m_bottom - m_top, m_fonts.tick);
    probabilityTitle.vertical = true;
    image.texts.push_back(probabilityTitle);
}

void ChartLayout::addTitles(ChartImage& image) const
{
    const double room = m_request.width - 2 * scaled(edge);
    const double centre = m_request.width / 2.0;
    image.texts.push_back(fitted(
        text(centre, m_titleY, m_request.title, TextAnchor::Centre, m_fonts.title, true, black),
        room, m_fonts.tick));
    image.texts.push_back(fitted(text(centre, m_subtitleY, subtitle(), TextAnchor::Centre,
                                      m_fonts.subtitle, false, textColor),
                                 room, std::max(1, m_fonts.tick * 3 / 4)));
}

void ChartLayout::addLegend(ChartImage& image) const
{
    // One row above the plot, ending at its right edge, where it covers no bar and no marker.
    const double swatchWidth = scaled(16);
    const double swatchHeight = scaled(9);
    const double gap = scaled(5);
    const double between = scaled(16);
    const double lineWidth = std::max(1.0, scaled(1));
    std::vector<ChartText> entries{
        text(0, m_legendY, "Simulation", TextAnchor::Left, m_fonts.legend, false, black)};
    if (m_request.errorBars)
        entries.push_back(text(0, m_legendY,
                               "±1" + m_request.decimalSeparator + "96 Standardfehler (95 %)",
                               TextAnchor::Left, m_fonts.legend, false, black));
    if (m_request.exact)
        entries.push_back(text(0, m_legendY,
                               "Exakt (Binomialverteilung), ab " + powerOfTen(-maxDecades),
                               TextAnchor::Left, m_fonts.legend, false, black));
    double total = -between;
    for (const ChartText& entry : entries)
        total += between + swatchWidth + gap + entry.width;
    double x = std::max(m_left, m_right - total);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const double middle = x + swatchWidth / 2;
        if (i == 0)
            image.rectangles.push_back(ChartRectangle{x, m_legendY - swatchHeight / 2, swatchWidth,
                                                      swatchHeight, barColor});
        else if (m_request.errorBars && i == 1)
            image.lines.push_back(ChartLine{middle, m_legendY - swatchHeight / 2 - scaled(2),
                                            middle, m_legendY + swatchHeight / 2 + scaled(2),
                                            errorBarColor, lineWidth});
        else
            image.markers.push_back(
                ChartMarker{middle, m_legendY, scaled(4.5), markerColor, black});
        entries[i].x = x + swatchWidth + gap;
        x = entries[i].x + entries[i].width + between;
        image.texts.push_back(std::move(entries[i]));
    }
}

ChartImage ChartLayout::image() const
{
    ChartImage image;
    image.width = m_request.width;
    image.height = m_request.height;
    image.background = white;
    addAxes(image);
    addBars(image);
    addErrorBars(image);
    addMarkers(image);
    addTitles(image);
    addLegend(image);
    return image;
}
