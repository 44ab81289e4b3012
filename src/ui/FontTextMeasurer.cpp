#include "ui/FontTextMeasurer.h"

#include <QString>

#include <utility>

FontTextMeasurer::FontTextMeasurer(GridFonts fonts)
    : m_fonts(std::move(fonts))
{}

const QFontMetrics& FontTextMeasurer::metricsFor(GridFont font, int zoomFactor)
{
    Metrics& entry = m_metrics[font == GridFont::Fixed ? 1 : 0];
    if (!entry.metrics || entry.zoomFactor != zoomFactor) {
        entry.metrics.emplace(m_fonts.zoomed(font, zoomFactor));
        entry.zoomFactor = zoomFactor;
    }
    return *entry.metrics;
}

int FontTextMeasurer::textWidth(std::string_view utf8, GridFont font, int zoomFactor)
{
    if (utf8.empty())
        return 0;
    const QFontMetrics& metrics = metricsFor(font, zoomFactor);
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const bool plainLine = utf8.find_first_of("\t\n\r") == std::string_view::npos;
    if (plainLine)
        return metrics.horizontalAdvance(text);
    // Without Qt::TextShowMnemonic an ampersand stays plain text.
    return metrics.size(Qt::TextExpandTabs, text).width();
}
