#include "ui/grid/FontTextMeasurer.h"

#include <QString>

#include <algorithm>
#include <utility>

namespace {

// Shapes of text are few; the bounds only keep an unusual table from growing the map for ever.
constexpr std::size_t maxKeys = 65536;
constexpr std::size_t maxKeyLength = 256;

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
        entry.widths.clear();
        entry.lastKey.clear();
        const qreal zero = entry.exact->horizontalAdvance(QLatin1Char('0'));
        entry.digitsAlike = true;
        for (char digit = '1'; digit <= '9'; ++digit)
            entry.digitsAlike =
                entry.digitsAlike && entry.exact->horizontalAdvance(QLatin1Char(digit)) == zero;
        entry.digitRunsGrow = entry.exact->horizontalAdvance(QStringLiteral("00")) > zero;
        // Any digit may stand beside any other: every pair of digits is equally wide.
        for (char digit = '0'; digit <= '9' && entry.digitsAlike; ++digit)
            entry.digitsAlike = interchangeableBeside(entry, digit);
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

bool FontTextMeasurer::interchangeableAt(Metrics& metrics, std::string_view utf8, std::size_t i)
{
    return (i == 0 || interchangeableBeside(metrics, utf8[i - 1])) &&
           (i + 1 == utf8.size() || interchangeableBeside(metrics, utf8[i + 1]));
}

std::optional<std::string_view> FontTextMeasurer::keyOf(Metrics& metrics, std::string_view utf8)
{
    const bool shaped = metrics.digitsAlike;
    if (shaped)
        m_shape.resize(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\t' || c == '\n' || c == '\r')
            return std::nullopt;
        if (!shaped)
            continue;
        if (!isDigit(c)) {
            m_shape[i] = c;
            continue;
        }
        // A digit that kerns with a neighbour of its own (Tahoma's beside the decimal comma)
        // stays as it is; the shape then tells apart the texts the kerning tells apart.
        m_shape[i] = interchangeableAt(metrics, utf8, i) ? '0' : c;
    }
    return shaped ? std::string_view(m_shape) : utf8;
}

int FontTextMeasurer::textWidth(std::string_view utf8, GridFont font, int zoomFactor)
{
    if (utf8.empty())
        return 0;
    Metrics& metrics = metricsFor(font, zoomFactor);
    // Long texts would make the memory heavy.
    if (utf8.size() > maxKeyLength)
        return measure(metrics, utf8);
    const std::optional<std::string_view> key = keyOf(metrics, utf8);
    // Texts of several lines are rare in a grid.
    if (!key)
        return measure(metrics, utf8);
    if (*key == metrics.lastKey)
        return metrics.lastWidth;
    int width;
    if (const auto found = metrics.widths.find(*key); found != metrics.widths.end()) {
        width = found->second;
    } else {
        if (metrics.widths.size() >= maxKeys)
            metrics.widths.clear();
        width = measure(metrics, *key);
        metrics.widths.emplace(*key, width);
    }
    metrics.lastKey.assign(*key);
    metrics.lastWidth = width;
    return width;
}

bool FontTextMeasurer::widthFollowsDigitCount(std::string_view utf8, GridFont font, int zoomFactor)
{
    Metrics& metrics = metricsFor(font, zoomFactor);
    if (!metrics.digitsAlike || !metrics.digitRunsGrow)
        return false;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\t' || c == '\n' || c == '\r')
            return false;
        if (isDigit(c) && !interchangeableAt(metrics, utf8, i))
            return false;
    }
    return true;
}
