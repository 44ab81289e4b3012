#include "ui/grid/ResultGridState.h"

#include "platform/Exceptions.h"
#include "platform/LayoutScale.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

int clampIndex(std::int64_t value, int first, int last)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, first, last));
}

} // namespace

ResultGridState::ResultGridState()
    : m_cols(2, 0, 64)
    , m_rows(5, 1, 24)
    , m_current{0, 1}
    , m_anchor{0, 1}
{}

void ResultGridState::setRowCount(int value)
{
    resize(m_rows, value, ErrorMessages::fixedRowCountTooBig);
}

void ResultGridState::setColumnCount(int value)
{
    resize(m_cols, value, ErrorMessages::fixedColCountTooBig);
}

void ResultGridState::setFixedRowCount(int value)
{
    changeFixed(m_rows, value, ErrorMessages::fixedRowCountTooBig);
}

void ResultGridState::setFixedColumnCount(int value)
{
    changeFixed(m_cols, value, ErrorMessages::fixedColCountTooBig);
}

void ResultGridState::changeFixed(GridAxis& axis, int value, std::string_view tooBigMessage)
{
    if (value == axis.fixedCount())
        return;
    if (value < 0)
        throw EInvalidGridOperation(std::string(ErrorMessages::gridIndexOutOfRange));
    if (value >= axis.count())
        throw EInvalidGridOperation(std::string(tooBigMessage));
    axis.setFixedCount(value);
    resetToFirstNormalCell();
}

void ResultGridState::resize(GridAxis& axis, int value, std::string_view tooBigMessage)
{
    value = std::max(value, 1);
    if (value == axis.count())
        return;
    axis.checkCount(value);
    if (axis.fixedCount() >= value)
        changeFixed(axis, value - 1, tooBigMessage);
    axis.setCount(value);
    int& position = &axis == &m_rows ? m_current.row : m_current.col;
    if (position > value - 1) {
        position = value - 1;
        axis.scrollToShow(position);
    }
    m_anchor = m_current;
    clampView();
}

void ResultGridState::resetToFirstNormalCell()
{
    m_current = {fixedColumnCount(), fixedRowCount()};
    m_anchor = m_current;
    m_cols.resetOrigin();
    m_rows.resetOrigin();
}

void ResultGridState::clampView()
{
    m_cols.setOrigin(m_cols.origin());
    m_rows.setOrigin(m_rows.origin());
}

void ResultGridState::setDefaultColumnWidth(int width)
{
    m_cols.setDefaultSize(width);
    clampView();
}

void ResultGridState::setDefaultRowHeight(int height)
{
    m_rows.setDefaultSize(height);
    clampView();
}

void ResultGridState::setColumnWidth(int col, int width)
{
    m_cols.setSize(col, width);
    clampView();
}

void ResultGridState::setRowHeight(int row, int height)
{
    m_rows.setSize(row, height);
    clampView();
}

GridRect ResultGridState::selection() const
{
    return {std::min(m_current.col, m_anchor.col), std::min(m_current.row, m_anchor.row),
            std::max(m_current.col, m_anchor.col), std::max(m_current.row, m_anchor.row)};
}

int ResultGridState::autoColumnWidth(int textWidth, int padding)
{
    int width =
        std::max(minColumnWidth, textWidth + 2 * cellMargin + 2 * gridLineWidth + autoSizeSlack);
    if (padding != 0)
        width = std::max(minColumnWidth, width + padding);
    return width;
}

void ResultGridState::autoSizeColumns(bool includeFixedColumns, int padding, TextMeasurer& measurer)
{
    const int first = includeFixedColumns ? 0 : fixedColumnCount();
    const int count = columnCount();
    if (first >= count)
        return;
    m_cols.ensureSizeList();
    // Every processed column gets its width from its widest text; an empty cell measures 0, so
    // visiting the written cells and the sources' runs gives the same widths as visiting every
    // row.
    struct Column
    {
        int widest = 0;
        // Neighbouring cells of a column often hold the same text ("0,000000"), measured once.
        // The view points into the cell store, which nothing writes while the columns are sized.
        std::string_view lastText;
        GridFont lastFont = GridFont::Normal;
        int lastWidth = 0;
    };
    std::vector<Column> columns(static_cast<std::size_t>(count - first));
    const int fixedRows = fixedRowCount();
    const int fixedCols = fixedColumnCount();
    m_cells.forEachWithin(count, rowCount(), [&](int col, int row, std::string_view text) {
        if (col < first)
            return;
        const bool fixed = row < fixedRows || col < fixedCols;
        const GridFont font = fixed ? GridFont::Fixed : GridFont::Normal;
        Column& column = columns[static_cast<std::size_t>(col - first)];
        if (column.lastText.empty() || text != column.lastText || font != column.lastFont) {
            column.lastWidth = measurer.textWidth(text, font, m_zoomFactor);
            column.lastText = text;
            column.lastFont = font;
        }
        column.widest = std::max(column.widest, column.lastWidth);
    });
    for (int col = first; col < count; ++col) {
        int& widest = columns[static_cast<std::size_t>(col - first)].widest;
        m_cells.forEachSourceRun(
            col, rowCount(), [&](const GridCellSource& source, int top, int bottom) {
                // Fixed rows are measured in the fixed font.
                const GridFont normalRowsFont =
                    col < fixedCols ? GridFont::Fixed : GridFont::Normal;
                if (top < fixedRows)
                    widest = std::max(widest, widestSourceText(source, col, top,
                                                               std::min(bottom, fixedRows - 1),
                                                               GridFont::Fixed, measurer));
                if (bottom >= fixedRows)
                    widest =
                        std::max(widest, widestSourceText(source, col, std::max(top, fixedRows),
                                                          bottom, normalRowsFont, measurer));
            });
    }
    for (int col = first; col < count; ++col)
        m_cols.setSize(
            col, autoColumnWidth(columns[static_cast<std::size_t>(col - first)].widest, padding));
    clampView();
}

int ResultGridState::widestSourceText(const GridCellSource& source, int col, int first, int last,
                                      GridFont font, TextMeasurer& measurer) const
{
    const bool written = m_cells.hasWrittenOrBlankCell(col, first, last);
    // Where the font's width of a text follows from its digit count, the source names the rows
    // of the widest texts, and fifty million rows cost a few measurements.
    const auto followsDigitCount = [&](int row, std::string& text) {
        text = source.text(col, row);
        return measurer.widthFollowsDigitCount(text, font, m_zoomFactor);
    };
    std::string any;
    if (!written && followsDigitCount(first, any)) {
        const auto rows = source.widestRows(col, first, last);
        std::string one;
        std::string other;
        if (followsDigitCount(rows[0], one) && followsDigitCount(rows[1], other))
            return std::max(measurer.textWidth(one, font, m_zoomFactor),
                            measurer.textWidth(other, font, m_zoomFactor));
    }
    // Elsewhere each text is measured once per run of rows sharing it, where a written cell
    // does not hide the whole run.
    int widest = 0;
    source.forEachTextRun(col, first, last, [&](int top, int bottom, std::string_view text) {
        bool shown = !written;
        for (std::int64_t row = top; !shown && row <= bottom; ++row)
            shown = !m_cells.isWrittenOrBlank(col, static_cast<int>(row));
        if (shown)
            widest = std::max(widest, measurer.textWidth(text, font, m_zoomFactor));
    });
    return widest;
}

void ResultGridState::zoom(int delta)
{
    const std::int64_t zoomed = static_cast<std::int64_t>(m_zoomFactor) + delta;
    if (zoomed < minZoomFactor || zoomed > maxZoomFactor)
        return;
    // Both lists must be possible before either changes.
    for (const GridAxis* axis : {&m_cols, &m_rows}) {
        if (!axis->hasSizeList() && axis->count() > GridAxis::maxSizeListCount)
            throw EInvalidGridOperation(std::string(ErrorMessages::gridTooLarge));
    }
    m_zoomFactor = static_cast<int>(zoomed);
    m_cols.growSizes(delta);
    m_rows.growSizes(delta);
    clampView();
}

void ResultGridState::scaleToDpi(int targetDpi)
{
    if (targetDpi == layoutDpi || targetDpi <= 0)
        return;
    for (const GridAxis* axis : {&m_cols, &m_rows}) {
        if (!axis->hasSizeList() && axis->count() > GridAxis::maxSizeListCount)
            throw EInvalidGridOperation(std::string(ErrorMessages::gridTooLarge));
    }
    // Column widths keep their pixels; only the default for later columns follows the display.
    std::vector<int> widths(static_cast<std::size_t>(columnCount()));
    for (int col = 0; col < columnCount(); ++col)
        widths[static_cast<std::size_t>(col)] = columnWidth(col);
    m_cols.scale(targetDpi);
    for (int col = 0; col < columnCount(); ++col)
        m_cols.setSize(col, widths[static_cast<std::size_t>(col)]);
    m_rows.scale(targetDpi);
    if (fixedRowCount() > 0)
        m_rows.setSize(0, scaledFromLayout(m_fixedRowHeight, targetDpi));
    clampView();
}

void ResultGridState::setClientSize(int width, int height)
{
    m_cols.setViewLength(width);
    m_rows.setViewLength(height);
    clampView();
}

std::optional<PixelRect> ResultGridState::visibleCellRect(int col, int row) const
{
    const auto rowSpan = m_rows.spanOf(row);
    if (!rowSpan)
        return std::nullopt;
    const auto colSpan = m_cols.spanOf(col);
    if (!colSpan)
        return std::nullopt;
    return PixelRect{colSpan->start, rowSpan->start, colSpan->size, rowSpan->size};
}

GridCoord ResultGridState::cellAt(int x, int y) const
{
    return {m_cols.indexAt(x), m_rows.indexAt(y)};
}

ResultGridState::ScrollBarNeeds ResultGridState::scrollBarsNeeded(int width, int height,
                                                                  int verticalBarWidth,
                                                                  int horizontalBarHeight) const
{
    ScrollBarNeeds needs;
    needs.vertical = m_rows.maxOriginFor(height) > fixedRowCount();
    needs.horizontal =
        m_cols.maxOriginFor(width - (needs.vertical ? verticalBarWidth : 0)) > fixedColumnCount();
    if (needs.horizontal && !needs.vertical)
        needs.vertical = m_rows.maxOriginFor(height - horizontalBarHeight) > fixedRowCount();
    return needs;
}

void ResultGridState::moveCurrent(std::int64_t col, std::int64_t row, bool extend)
{
    m_current = {clampIndex(col, fixedColumnCount(), columnCount() - 1),
                 clampIndex(row, fixedRowCount(), rowCount() - 1)};
    if (!extend)
        m_anchor = m_current;
    m_cols.scrollToShow(m_current.col);
    m_rows.scrollToShow(m_current.row);
}

void ResultGridState::keyPress(GridKey key, bool shift, bool ctrl)
{
    // Targets are computed in 64 bits and clamped afterwards: on the last rows of a grid of
    // 2,147,483,647 rows a page down lies beyond the int range.
    const std::int64_t col = currentColumn();
    const std::int64_t row = currentRow();
    switch (key) {
    case GridKey::Up:
    case GridKey::Down: {
        const int step = key == GridKey::Up ? -1 : 1;
        if (ctrl)
            m_rows.setOrigin(static_cast<std::int64_t>(topRow()) + step);
        else
            moveCurrent(col, row + step, shift);
        break;
    }
    case GridKey::Left:
    case GridKey::Right: {
        const int direction = key == GridKey::Left ? -1 : 1;
        if (ctrl) {
            const std::int64_t page = static_cast<std::int64_t>(direction) * m_cols.pageSize();
            m_cols.setOrigin(leftColumn() + page);
            moveCurrent(col + page, row, shift);
        } else {
            moveCurrent(col + direction, row, shift);
        }
        break;
    }
    case GridKey::Home:
        moveCurrent(fixedColumnCount(), ctrl ? fixedRowCount() : row, shift);
        break;
    case GridKey::End:
        moveCurrent(columnCount() - 1, ctrl ? rowCount() - 1 : row, shift);
        break;
    case GridKey::PageUp:
    case GridKey::PageDown: {
        const bool down = key == GridKey::PageDown;
        if (ctrl) {
            moveCurrent(col, down ? std::max(topRow(), m_rows.lastFullyVisible()) : topRow(),
                        shift);
        } else {
            const std::int64_t page = down ? m_rows.pageSize() : -m_rows.pageSize();
            m_rows.setOrigin(topRow() + page);
            moveCurrent(col, row + page, shift);
        }
        break;
    }
    }
}

void ResultGridState::selectAll()
{
    m_anchor = {fixedColumnCount(), fixedRowCount()};
    moveCurrent(columnCount() - 1, rowCount() - 1, true);
}

bool ResultGridState::mousePress(int x, int y, bool shift)
{
    const GridCoord cell = cellAt(x, y);
    if (cell.col < fixedColumnCount() || cell.row < fixedRowCount())
        return false;
    if (shift)
        m_anchor = cell;
    else
        moveCurrent(cell.col, cell.row, false);
    return true;
}

void ResultGridState::mouseDrag(int x, int y)
{
    const GridCoord cell = cellAt(x, y);
    if (cell.col >= fixedColumnCount() && cell.row >= fixedRowCount())
        m_anchor = cell;
}

void ResultGridState::autoScrollStep(int x, int y)
{
    const auto direction = [](int position, const GridAxis& axis) {
        if (position < axis.fixedLength())
            return -1;
        return position >= axis.fullyVisibleEnd() ? 1 : 0;
    };
    const int dx = direction(x, m_cols);
    const int dy = direction(y, m_rows);
    if (dx == 0 && dy == 0)
        return;
    m_anchor = {
        clampIndex(static_cast<std::int64_t>(m_anchor.col) + dx, fixedColumnCount(),
                   columnCount() - 1),
        clampIndex(static_cast<std::int64_t>(m_anchor.row) + dy, fixedRowCount(), rowCount() - 1)};
    m_cols.scrollToShow(m_anchor.col);
    m_rows.scrollToShow(m_anchor.row);
}

void ResultGridState::wheelStep(bool awayFromUser, bool ctrl, int linesPerNotch)
{
    if (ctrl) {
        zoom(awayFromUser ? linesPerNotch : -linesPerNotch);
        return;
    }
    const std::int64_t row =
        static_cast<std::int64_t>(currentRow()) + (awayFromUser ? -linesPerNotch : linesPerNotch);
    moveCurrent(currentColumn(), clampIndex(row, fixedRowCount(), rowCount() - 1), false);
}

void ResultGridState::scrollVertical(ScrollAction action)
{
    m_rows.scroll(action);
}

void ResultGridState::scrollHorizontal(ScrollAction action)
{
    m_cols.scroll(action);
}

void ResultGridState::releaseVerticalThumb(int position)
{
    m_rows.setThumbPosition(position);
}

void ResultGridState::releaseHorizontalThumb(int position)
{
    m_cols.setThumbPosition(position);
}
