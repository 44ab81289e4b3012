#pragma once

#include "ui/grid/GridAxis.h"
#include "ui/grid/GridCellStore.h"
#include "ui/grid/TextMeasurer.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct GridCoord
{
    int col = 0;
    int row = 0;

    bool operator==(const GridCoord&) const = default;
};

// A block of cells, bounds included.
struct GridRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool contains(GridCoord cell) const
    {
        return cell.col >= left && cell.col <= right && cell.row >= top && cell.row <= bottom;
    }
    bool operator==(const GridRect&) const = default;
};

// A rectangle in client pixels.
struct PixelRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const PixelRect&) const = default;
};

enum class GridKey { Up, Down, Left, Right, Home, End, PageUp, PageDown };

// Everything the result grid knows and every rule it follows, without a widget: counts, fixed
// rows, texts, sizes, current cell, anchor, view origin and zoom, the operations the window uses,
// and the verbs that keyboard, mouse, wheel and scroll bars are turned into. The widget feeds it
// the size of its client area and paints what it says.
class ResultGridState
{
public:
    static constexpr int cellMargin = 2;
    static constexpr int gridLineWidth = 1;
    static constexpr int minZoomFactor = -20;
    static constexpr int maxZoomFactor = 20;

    ResultGridState();

    int rowCount() const { return m_rows.count(); }
    void setRowCount(int value);
    int columnCount() const { return m_cols.count(); }
    void setColumnCount(int value);
    int fixedRowCount() const { return m_rows.fixedCount(); }
    void setFixedRowCount(int value);
    int fixedColumnCount() const { return m_cols.fixedCount(); }
    void setFixedColumnCount(int value);

    std::string cellText(int col, int row) const { return m_cells.text(col, row); }
    void setCellText(int col, int row, std::string_view text) { m_cells.setText(col, row, text); }
    // Shows the source's texts in its area, as if they had been written now.
    void addCellSource(std::shared_ptr<const GridCellSource> source)
    {
        m_cells.addSource(std::move(source));
    }
    const GridCellStore& cellStore() const { return m_cells; }

    int defaultColumnWidth() const { return m_cols.defaultSize(); }
    void setDefaultColumnWidth(int width);
    int defaultRowHeight() const { return m_rows.defaultSize(); }
    void setDefaultRowHeight(int height);
    int fixedRowHeight() const { return m_fixedRowHeight; }
    int columnWidth(int col) const { return m_cols.size(col); }
    void setColumnWidth(int col, int width);
    int rowHeight(int row) const { return m_rows.size(row); }
    void setRowHeight(int row, int height);
    bool hasColumnWidthList() const { return m_cols.hasSizeList(); }
    bool hasRowHeightList() const { return m_rows.hasSizeList(); }

    int currentColumn() const { return m_current.col; }
    int currentRow() const { return m_current.row; }
    GridCoord current() const { return m_current; }
    GridCoord anchor() const { return m_anchor; }
    GridRect selection() const;
    bool isSelected(GridCoord cell) const { return selection().contains(cell); }
    int leftColumn() const { return m_cols.origin(); }
    int topRow() const { return m_rows.origin(); }
    int zoomFactor() const { return m_zoomFactor; }

    // The width autoSizeColumns gives a column whose widest text is `textWidth` pixels wide: the
    // text, a cell margin and a grid line on either side and two pixels of slack, at least
    // minColumnWidth; then `padding` more, at least minColumnWidth again.
    static constexpr int autoSizeSlack = 2;
    static constexpr int minColumnWidth = 10;
    static int autoColumnWidth(int textWidth, int padding);
    void autoSizeColumns(bool includeFixedColumns, int padding, TextMeasurer& measurer);
    void zoom(int delta);
    // The start-up scaling from 96 dots per inch to the display's; nothing at 96.
    void scaleToDpi(int targetDpi);

    // The client area: the grid without its frame and scroll bars.
    void setClientSize(int width, int height);
    int clientWidth() const { return m_cols.viewLength(); }
    int clientHeight() const { return m_rows.viewLength(); }
    const GridAxis& rows() const { return m_rows; }
    const GridAxis& cols() const { return m_cols; }
    bool isFixed(GridCoord cell) const
    {
        return cell.row < fixedRowCount() || cell.col < fixedColumnCount();
    }
    // The cell's rectangle when some of it is visible.
    std::optional<PixelRect> cellRect(int col, int row) const
    {
        return m_rows.pastViewByDefaultSize(row) ? std::nullopt : visibleCellRect(col, row);
    }
    // The cell under a client position; -1 in a coordinate beside the cells.
    GridCoord cellAt(int x, int y) const;

    struct ScrollBarNeeds
    {
        bool vertical = false;
        bool horizontal = false;
    };
    // Which bars an area of the given size needs: a bar when the normal rows (columns) do not
    // all fit, where a bar shown takes its extent from the other direction's room.
    ScrollBarNeeds scrollBarsNeeded(int width, int height, int verticalBarWidth,
                                    int horizontalBarHeight) const;
    int verticalThumbPosition() const { return m_rows.thumbPosition(); }
    int horizontalThumbPosition() const { return m_cols.thumbPosition(); }

    // Verbs for keyboard, mouse, wheel and scroll bars; the caller repaints afterwards.
    void keyPress(GridKey key, bool shift, bool ctrl);
    void selectAll();
    // A left press: true when it hit a normal cell and so starts selecting with the mouse.
    bool mousePress(int x, int y, bool shift);
    void mouseDrag(int x, int y);
    // One tick of the auto-scroll timer while selecting with the pointer at (x, y).
    void autoScrollStep(int x, int y);
    void wheelStep(bool awayFromUser, bool ctrl, int linesPerNotch);
    void scrollVertical(ScrollAction action);
    void scrollHorizontal(ScrollAction action);
    void releaseVerticalThumb(int position);
    void releaseHorizontalThumb(int position);

private:
    // The widest text a source shows in the column's rows [first, last], all in one font.
    int widestSourceText(const GridCellSource& source, int col, int first, int last, GridFont font,
                         TextMeasurer& measurer) const;
    std::optional<PixelRect> visibleCellRect(int col, int row) const;
    void changeFixed(GridAxis& axis, int value, std::string_view tooBigMessage);
    void resize(GridAxis& axis, int value, std::string_view tooBigMessage);
    void resetToFirstNormalCell();
    void moveCurrent(std::int64_t col, std::int64_t row, bool extend);
    void clampView();

    GridAxis m_cols;
    GridAxis m_rows;
    GridCellStore m_cells;
    int m_fixedRowHeight = 24;
    GridCoord m_current;
    GridCoord m_anchor;
    int m_zoomFactor = 0;
};
