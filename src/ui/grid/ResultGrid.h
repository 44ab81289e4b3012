#pragma once

#include "ui/grid/GridFonts.h"
#include "ui/grid/ResultGridPainter.h"
#include "ui/grid/ResultGridState.h"

#include <QAbstractScrollArea>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <memory>
#include <string_view>

// The result grid: a scrollable table of text cells under one header row. The window drives it
// through its row and column counts, the fixed row, the cell texts, the default column width and
// autoSizeColumns; the user
// moves, selects, scrolls and zooms it.
//
// It lives in three rooms:
// - state and rules: ResultGridState (with GridAxis and GridCellStore), plain C++ that knows no
//   screen and is tested without one;
// - painting: ResultGridPainter, which only reads the state;
// - input: this widget, where every key, mouse, wheel and scroll-bar event ends in one verb on the
//   state, followed by update();
// - what assistive technology reads: ResultGridAccessible, a table over the state; the widget
//   tells it when the current cell moves and when the table is shaped anew, and has it announce
//   a table shaped while it can be seen.
class ResultGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit ResultGrid(QWidget* parent = nullptr);

    int rowCount() const { return m_state.rowCount(); }
    void setRowCount(int value);
    int columnCount() const { return m_state.columnCount(); }
    void setColumnCount(int value);
    int fixedRowCount() const { return m_state.fixedRowCount(); }
    void setFixedRowCount(int value);
    QString cellText(int col, int row) const;
    void setCellText(int col, int row, const QString& text);
    // The same for a UTF-8 text, as the program's number texts come.
    void setCellText(int col, int row, std::string_view utf8);
    // Shows the source's texts in its area, as if they had been written now; they are made when
    // they are painted, read or measured.
    void addCellSource(std::shared_ptr<const GridCellSource> source);
    int defaultColumnWidth() const { return m_state.defaultColumnWidth(); }
    void setDefaultColumnWidth(int width);
    int columnWidth(int col) const { return m_state.columnWidth(col); }
    int rowHeight(int row) const { return m_state.rowHeight(row); }
    void autoSizeColumns(bool includeFixedColumns, int padding);
    void zoom(int delta);
    int zoomFactor() const { return m_state.zoomFactor(); }

    int currentColumn() const { return m_state.currentColumn(); }
    int currentRow() const { return m_state.currentRow(); }
    GridRect selection() const { return m_state.selection(); }
    int leftColumn() const { return m_state.leftColumn(); }
    int topRow() const { return m_state.topRow(); }

    // The start-up scaling of the rows and columns from 96 dots per inch to the display's.
    void scaleToDpi(int targetDpi);

    // Font is the widget's font; FixedFont its bold variant, so it follows every font change.
    QFont fixedFont() const;
    const ResultGridState& state() const { return m_state; }
    // Whether the current cell was reached from another row, or the grid has been entered since
    // it moved: a reader then reads the cell's whole row rather than naming its column.
    bool currentCellCameFromAnotherRow() const { return m_currentCellFromAnotherRow; }
    // Lines per wheel notch, read from the system when the grid was created.
    int wheelScrollLines() const { return m_wheelScrollLines; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // After a verb: scroll bars follow the state, and the client area is repainted.
    void changed();
    // For assistive technology: the table changed its shape and is filled anew.
    void tableChanged();
    // For assistive technology: the current cell takes the focus when it moved, or `always`.
    void announceCurrentCell(bool always);
    void syncScrollBars();
    void scrollBarAction(Qt::Orientation orientation, int action);
    void scrollBarValue(Qt::Orientation orientation, int value);
    void stopSelecting();
    GridFonts fonts() const;
    GridColors colors() const;

    ResultGridState m_state;
    QTimer m_autoScrollTimer;
    QPoint m_pointer;
    bool m_selecting = false;
    bool m_syncing = false;
    bool m_tableAnnouncementPending = false;
    bool m_tableNews = false;
    bool m_focusAnnouncementPending = false;
    GridCoord m_announcedCell;
    bool m_currentCellFromAnotherRow = true;
    int m_wheelScrollLines;
};
