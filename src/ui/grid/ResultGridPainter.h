#pragma once

#include "platform/desktop/Fonts.h"
#include "ui/grid/GridFonts.h"
#include "ui/grid/ResultGridState.h"

#include <QColor>
#include <QRect>

class QPainter;
class QPalette;

// The grid's colours. The system colours come from the palette: clWindow is Base, clBtnFace is
// Button, clWindowText is Text; the outer frame ring takes the background of the window that
// holds the grid.
struct GridColors
{
    QColor color;            // clWindow: normal cells and the empty area
    QColor fixedColor;       // clBtnFace: header gradient and its bottom line
    QColor windowText;       // clWindowText
    QColor parentBackground; // outer frame ring

    static constexpr QRgb gridLineColor = qRgb(192, 192, 192);
    static constexpr QRgb gridFixedLineColor = qRgb(128, 128, 128);
    static constexpr QRgb selectionColor = qRgb(182, 202, 234);
    static constexpr QRgb selectionTextColor = qRgb(0, 0, 0);
    static constexpr QRgb borderColor = qRgb(127, 157, 185);

    static GridColors fromPalette(const QPalette& own, const QColor& parentBackground);
};

// Paints what the grid state says; changes nothing. Coordinates are client pixels.
class ResultGridPainter
{
public:
    ResultGridPainter(const ResultGridState& state, const GridColors& colors,
                      const GridFonts& fonts, bool hasFocus);

    // The visible cells that meet `exposed`, and the empty area beside and below them.
    void paintClientArea(QPainter& painter, const QRect& exposed) const;
    // The two-pixel frame along the inside of `outer`.
    static void paintFrame(QPainter& painter, const QRect& outer, const GridColors& colors);

private:
    void paintNormalCell(QPainter& painter, GridCoord cell, const QRect& rect) const;
    void paintHeaderCell(QPainter& painter, GridCoord cell, const QRect& rect) const;
    void paintGradient(QPainter& painter, const QRect& rect, int maxSteps) const;
    void paintText(QPainter& painter, GridCoord cell, const QRect& textRect,
                   const platform::TextMetrics& lineMetrics) const;
    static void paintFocusRect(QPainter& painter, const QRect& ring);

    const ResultGridState& m_state;
    const GridColors& m_colors;
    QFont m_font;
    QFont m_fixedFont;
    platform::TextMetrics m_metrics;
    platform::TextMetrics m_fixedMetrics;
    bool m_hasFocus;
};
