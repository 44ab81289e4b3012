#include "ui/grid/ResultGridPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>
#include <QString>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// One channel of gradient step k of s, rounded to the nearest integer.
int gradientChannel(int from, int to, int step, int steps)
{
    // Colour channels are never negative, so halves round up.
    const int numerator = from * steps + (to - from) * step;
    return (2 * numerator + steps) / (2 * steps);
}

// Tab stops stand at multiples of eight "x" widths, as in Qt's text drawing with expanded tabs,
// by which the columns are sized.
class ExpandedTabs
{
public:
    explicit ExpandedTabs(const QFontMetricsF& metrics)
        : m_metrics(metrics)
        , m_stop(qRound(8 * metrics.horizontalAdvance(u'x')))
    {}

    // Calls f(x, run) for each run of the line between tabs, x being where it starts; returns
    // the line's width.
    template <typename F> qreal walk(const QString& line, F&& f) const
    {
        qreal x = 0;
        qsizetype from = 0;
        for (;;) {
            const qsizetype tab = line.indexOf(u'\t', from);
            const QString run = line.mid(from, (tab < 0 ? line.size() : tab) - from);
            f(x, run);
            x += m_metrics.horizontalAdvance(run);
            if (tab < 0)
                return x;
            if (m_stop > 0)
                x = (std::floor(x / m_stop) + 1) * m_stop;
            from = tab + 1;
        }
    }
    qreal width(const QString& line) const
    {
        return walk(line, [](qreal, const QString&) {});
    }

private:
    const QFontMetricsF& m_metrics;
    int m_stop;
};

// How many characters from `start` go on one line of `width` pixels.
qsizetype lineLength(const QString& text, qsizetype start, int width, const ExpandedTabs& tabs)
{
    qsizetype end = start;
    while (end < text.size()) {
        if (text[end] == QChar::LineSeparator)
            return end + 1 - start;
        qsizetype wordEnd = end;
        while (wordEnd < text.size() && text[wordEnd] != u' ' &&
               text[wordEnd] != QChar::LineSeparator)
            ++wordEnd;
        // Spaces after a word hang at the line's end and take no room.
        const bool fits = tabs.width(text.mid(start, wordEnd - start)) <= width;
        if (!fits && end > start)
            return end - start;
        while (wordEnd < text.size() && text[wordEnd] == u' ')
            ++wordEnd;
        end = wordEnd;
        if (!fits)
            break;
    }
    return end - start;
}

} // namespace

GridColors GridColors::fromPalette(const QPalette& own, const QColor& parentBackground)
{
    return {own.color(QPalette::Base), own.color(QPalette::Button), own.color(QPalette::Text),
            parentBackground};
}

ResultGridPainter::ResultGridPainter(const ResultGridState& state, const GridColors& colors,
                                     const GridFonts& fonts, bool hasFocus)
    : m_state(state)
    , m_colors(colors)
    , m_font(fonts.zoomed(GridFont::Normal, state.zoomFactor()))
    , m_fixedFont(fonts.zoomed(GridFont::Fixed, state.zoomFactor()))
    , m_metrics(platform::textMetrics(m_font))
    , m_fixedMetrics(platform::textMetrics(m_fixedFont))
    , m_hasFocus(hasFocus)
{}

void ResultGridPainter::paintClientArea(QPainter& painter, const QRect& exposed) const
{
    const std::vector<GridSpan> cols = m_state.cols().visibleSpans();
    const std::vector<GridSpan> rows = m_state.rows().visibleSpans();
    int right = 0;
    int bottom = 0;
    for (const GridSpan& row : rows) {
        bottom = row.start + row.size;
        if (row.start >= exposed.bottom() + 1 || bottom <= exposed.top())
            continue;
        for (const GridSpan& col : cols) {
            if (col.size <= 0 || row.size <= 0)
                continue;
            const QRect rect(col.start, row.start, col.size, row.size);
            if (!rect.intersects(exposed))
                continue;
            const GridCoord cell{col.index, row.index};
            if (m_state.isFixed(cell))
                paintHeaderCell(painter, cell, rect);
            else
                paintNormalCell(painter, cell, rect);
        }
    }
    if (!cols.empty())
        right = cols.back().start + cols.back().size;
    const int width = m_state.clientWidth();
    const int height = m_state.clientHeight();
    if (right < width)
        painter.fillRect(QRect(right, 0, width - right, height), m_colors.color);
    if (bottom < height)
        painter.fillRect(QRect(0, bottom, std::min(right, width), height - bottom), m_colors.color);
}

void ResultGridPainter::paintNormalCell(QPainter& painter, GridCoord cell, const QRect& rect) const
{
    const int x = rect.x();
    const int y = rect.y();
    const int w = rect.width();
    const int h = rect.height();
    const bool selected = m_state.isSelected(cell);
    painter.fillRect(rect, selected ? QColor(GridColors::selectionColor) : m_colors.color);
    const QColor line(GridColors::gridLineColor);
    painter.fillRect(QRect(x - 1, y + h - 1, w, 1), line);
    painter.fillRect(QRect(x + w - 1, y, 1, h), line);
    painter.setPen(selected ? QColor(GridColors::selectionTextColor) : m_colors.windowText);
    painter.setFont(m_font);
    paintText(painter, cell, QRect(x + 3, y + 3, w - 6, h - 4), m_metrics);
    if (m_hasFocus && cell == m_state.current())
        paintFocusRect(painter, QRect(x, y, w - 1, h - 1));
}

void ResultGridPainter::paintHeaderCell(QPainter& painter, GridCoord cell, const QRect& rect) const
{
    const int x = rect.x();
    const int y = rect.y();
    const int w = rect.width();
    const int h = rect.height();
    // The second, finer pass leaves the first one's last two rows, a step below the face colour.
    paintGradient(painter, rect, 64);
    paintGradient(painter, QRect(x, y, w - 1, h - 2), 128);
    painter.fillRect(QRect(x + w - 1, y, 1, h), QColor(GridColors::gridFixedLineColor));
    const QColor face = m_colors.fixedColor;
    painter.fillRect(QRect(x - 1, y + h - 1, w, 1),
                     QColor(face.red() / 2, face.green() / 2, face.blue() / 2));
    painter.fillRect(QRect(x + 1, y, w - 2, 1), Qt::white);
    painter.fillRect(QRect(x, y, 1, h - 1), Qt::white);
    painter.setPen(m_colors.windowText);
    painter.setFont(m_fixedFont);
    paintText(painter, cell, QRect(x + 2, y + 2, w - 5, h - 4), m_fixedMetrics);
}

// A vertical gradient from white at the top row to the face colour at the bottom row, in at most
// maxSteps + 1 bands of equal height.
void ResultGridPainter::paintGradient(QPainter& painter, const QRect& rect, int maxSteps) const
{
    const int rows = rect.height();
    if (rows <= 0 || rect.width() <= 0)
        return;
    const int steps = std::min(rows - 1, maxSteps);
    const QColor to = m_colors.fixedColor;
    if (steps == 0) {
        painter.fillRect(rect, Qt::white);
        return;
    }
    for (int step = 0; step <= steps; ++step) {
        const int top = rect.y() + step * rows / (steps + 1);
        const int next = rect.y() + (step + 1) * rows / (steps + 1);
        const QColor colour(gradientChannel(255, to.red(), step, steps),
                            gradientChannel(255, to.green(), step, steps),
                            gradientChannel(255, to.blue(), step, steps));
        painter.fillRect(QRect(rect.x(), top, rect.width(), next - top), colour);
    }
}

// Lines break at spaces and at explicit line breaks only: a number such as "0,960812" is one word
// however narrow the column, where Qt's own wrapping would break it after the comma. A word wider
// than the rectangle keeps a line of its own and is cut at the rectangle's edge, as is everything
// below its bottom; tabs are expanded. Lines follow each other at the desktop's text-metrics height
// with the baseline at its ascent, so that every glyph lies inside its line (Qt's ascent of Wine's
// Tahoma is two to four pixels short of its tallest letters).
void ResultGridPainter::paintText(QPainter& painter, GridCoord cell, const QRect& textRect,
                                  const platform::TextMetrics& lineMetrics) const
{
    const std::string utf8 = m_state.cellText(cell.col, cell.row);
    if (utf8.empty() || textRect.width() <= 0 || textRect.height() <= 0)
        return;
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    text.replace(u'\n', QChar::LineSeparator);

    const QFontMetricsF metrics(painter.font());
    const ExpandedTabs tabs(metrics);
    painter.save();
    painter.setClipRect(textRect, Qt::IntersectClip);
    int top = textRect.top();
    for (qsizetype start = 0; start < text.size() && top <= textRect.bottom();) {
        const qsizetype length = lineLength(text, start, textRect.width(), tabs);
        QString line = text.mid(start, length);
        if (line.endsWith(QChar::LineSeparator))
            line.chop(1);
        const qreal baseline = top + lineMetrics.ascent;
        tabs.walk(line, [&painter, &textRect, baseline](qreal x, const QString& run) {
            if (!run.isEmpty())
                painter.drawText(QPointF(textRect.left() + x, baseline), run);
        });
        top += lineMetrics.height();
        start += length;
    }
    painter.restore();
}

// The platform's focus rectangle: every other pixel of the ring inverted, so that it shows on
// any background and a second drawing would remove it.
void ResultGridPainter::paintFocusRect(QPainter& painter, const QRect& ring)
{
    if (ring.width() <= 0 || ring.height() <= 0)
        return;
    std::vector<QPoint> dots;
    const auto dot = [&dots](int x, int y) {
        if ((x + y) % 2 == 0)
            dots.emplace_back(x, y);
    };
    const int left = ring.left();
    const int top = ring.top();
    const int right = ring.left() + ring.width() - 1;
    const int bottom = ring.top() + ring.height() - 1;
    for (int x = left; x <= right; ++x) {
        dot(x, top);
        if (bottom != top)
            dot(x, bottom);
    }
    for (int y = top + 1; y < bottom; ++y) {
        dot(left, y);
        if (right != left)
            dot(right, y);
    }
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawPoints(dots.data(), static_cast<int>(dots.size()));
    painter.restore();
}

void ResultGridPainter::paintFrame(QPainter& painter, const QRect& outer, const GridColors& colors)
{
    const auto ring = [&painter](const QRect& r, const QColor& colour) {
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
    };
    ring(outer, colors.parentBackground);
    ring(outer.adjusted(1, 1, -1, -1), QColor(GridColors::borderColor));
}
