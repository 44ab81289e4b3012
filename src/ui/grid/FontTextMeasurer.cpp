#include "ui/grid/FontTextMeasurer.h"

#include <QString>

#include <algorithm>
#include <utility>

namespace {

// Shapes of text are few; the bound only keeps an unusual table from growing the map for ever.
constexpr std::size_t maxShapes = 65536;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

QString pair(char first, char second)
{
    const char text[] = {first, second};
    return QString::fromLatin1(text, 2);
}

} // namespace

FontTextMeasurer::FontTextMeasurer(GridFonts fonts)
    : m_fonts(std::move(fonts))
{}

FontTextMeasurer::Metrics& FontTextMeasurer::metricsFor(GridFont font, int zoomFactor)
{
    Metrics& entry = m_metrics[font == GridFont::Fixed ? 1 : 0];
    if (!entry.metrics || entry.zoomFactor != zoomFactor) {
        const QFont zoomed = m_fonts.zoomed(font, zoomFactor);
        entry.metrics.emplace(zoomed);
        entry.exact.emplace(zoomed);
        entry.zoomFactor = zoomFactor;
        entry.neighbours.fill(0);
        entry.shapeWidths.clear();
        const qreal zero = entry.exact->horizontalAdvance(QLatin1Char('0'));
        entry.digitsAlike = true;
        for (char digit = '1'; digit <= '9'; ++digit)
            entry.digitsAlike =
                entry.digitsAlike && entry.exact->horizontalAdvance(QLatin1Char(digit)) == zero;
    }
    return entry;
}

int FontTextMeasurer::measure(const Metrics& metrics, std::string_view utf8)
{
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    if (utf8.find_first_of("\t\n\r") == std::string_view::npos)
        return metrics.metrics->horizontalAdvance(text);
    // Without Qt::TextShowMnemonic an ampersand stays plain text.
    return metrics.metrics->size(Qt::TextExpandTabs, text).width();
}

bool FontTextMeasurer::interchangeableBeside(Metrics& metrics, char neighbour)
{
    const auto index = static_cast<unsigned char>(neighbour);
    if (index >= metrics.neighbours.size())
        return false;
    std::int8_t& known = metrics.neighbours[index];
    if (known == 0) {
        const QFontMetricsF& exact = *metrics.exact;
        const qreal before = exact.horizontalAdvance(pair(neighbour, '0'));
        const qreal after = exact.horizontalAdvance(pair('0', neighbour));
        bool alike = true;
        for (char digit = '1'; digit <= '9' && alike; ++digit) {
            alike = exact.horizontalAdvance(pair(neighbour, digit)) == before &&
                    exact.horizontalAdvance(pair(digit, neighbour)) == after;
        }
        known = alike ? 1 : -1;
    }
    return known > 0;
}

bool FontTextMeasurer::digitsInterchangeable(Metrics& metrics, std::string_view utf8)
{
    if (!metrics.digitsAlike)
        return false;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (!isDigit(utf8[i]))
            continue;
        if (i > 0 && !interchangeableBeside(metrics, utf8[i - 1]))
            return false;
        if (i + 1 < utf8.size() && !interchangeableBeside(metrics, utf8[i + 1]))
            return false;
    }
    return true;
}

int FontTextMeasurer::textWidth(std::string_view utf8, GridFont font, int zoomFactor)
{
    if (utf8.empty())
        return 0;
    Metrics& metrics = metricsFor(font, zoomFactor);
    const bool plainLine = utf8.find_first_of("\t\n\r") == std::string_view::npos;
    const bool hasDigit = std::any_of(utf8.begin(), utf8.end(), isDigit);
    if (!plainLine || !hasDigit || !digitsInterchangeable(metrics, utf8))
        return measure(metrics, utf8);
    std::string shape(utf8);
    std::replace_if(shape.begin(), shape.end(), isDigit, '0');
    const auto found = metrics.shapeWidths.find(shape);
    if (found != metrics.shapeWidths.end())
        return found->second;
    if (metrics.shapeWidths.size() >= maxShapes)
        metrics.shapeWidths.clear();
    const int width = measure(metrics, shape);
    metrics.shapeWidths.emplace(std::move(shape), width);
    return width;
}
