#pragma once

#include "ui/GridFonts.h"
#include "ui/TextMeasurer.h"

#include <QFontMetrics>

#include <optional>

// Measures cell texts with Qt's font metrics in the grid's zoomed fonts.
class FontTextMeasurer final : public TextMeasurer
{
public:
    explicit FontTextMeasurer(GridFonts fonts);

    int textWidth(std::string_view utf8, GridFont font, int zoomFactor) override;

private:
    struct Metrics
    {
        int zoomFactor = 0;
        std::optional<QFontMetrics> metrics;
    };

    const QFontMetrics& metricsFor(GridFont font, int zoomFactor);

    GridFonts m_fonts;
    Metrics m_metrics[2];
};
