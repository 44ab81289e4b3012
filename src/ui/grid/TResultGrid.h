#pragma once

#include "ui/grid/GridFonts.h"
#include "ui/grid/ResultGridPainter.h"
#include "ui/grid/ResultGridState.h"

#include <QAbstractScrollArea>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <string_view>

// The result grid: a scrollable table of text cells under one header row. The window drives it
// through RowCount, ColCount, FixedRows, Cells, DefaultColWidth and AutoSizeColumns; the user
// moves, selects, scrolls and zooms it.
//
// It lives in three rooms:
// - state and rules: ResultGridState (with GridAxis and GridCellStore), plain C++ that knows no
//   screen and is tested without one;
// - painting: ResultGridPainter, which only reads the state;
// - input: this widget, where every key, mouse, wheel and scroll-bar event ends in one verb on the
//   state, followed by update();
// - what assistive technology reads: ResultGridAccessible, a table over the state; the widget
//   tells it when the current cell moves and when the table is shaped anew.
class TResultGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TResultGrid(QWidget* parent = nullptr);

    int RowCount() const { return m_state.RowCount(); }
    void setRowCount(int value);
    int ColCount() const { return m_state.ColCount(); }
    void setColCount(int value);
    int FixedRows() const { return m_state.FixedRows(); }
    void setFixedRows(int value);
    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString& text);
    // The same for a UTF-8 text, as the program's number texts come.
    void setCells(int col, int row, std::string_view utf8);
    int DefaultColWidth() const { return m_state.DefaultColWidth(); }
    void setDefaultColWidth(int width);
    int ColWidths(int col) const { return m_state.ColWidths(col); }
    int RowHeights(int row) const { return m_state.RowHeights(row); }
    void AutoSizeColumns(bool DoFixedCols, int Padding);
    void Zoom(int delta);
    int ZoomFactor() const { return m_state.ZoomFactor(); }

    int Col() const { return m_state.Col(); }
    int Row() const { return m_state.Row(); }
    GridRect Selection() const { return m_state.Selection(); }
    int LeftCol() const { return m_state.LeftCol(); }
    int TopRow() const { return m_state.TopRow(); }

    // The start-up scaling of the rows and columns from 96 dots per inch to the display's.
    void scaleToDpi(int targetDpi);

    // Font is the widget's font; FixedFont its bold variant, so it follows every font change.
    QFont FixedFont() const;
    const ResultGridState& state() const { return m_state; }
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
    bool m_focusAnnouncementPending = false;
    GridCoord m_announcedCell;
    int m_wheelScrollLines;
};
