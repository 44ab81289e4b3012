#pragma once

#include <QAccessibleWidget>
#include <QHash>

class ResultGrid;

// What a screen reader reads of the result grid: a table whose rows are the grid's normal rows
// and whose column headers are the cells of its fixed rows. Children are the normal cells, row by
// row, so that a child's index is row * columns + column, the numbering AT-SPI assumes. The
// header cells are reached through the cells' column headers. Everything is read from the grid's
// state when asked; nothing of it is copied.
class ResultGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit ResultGridAccessible(ResultGrid* grid);
    ~ResultGridAccessible() override;

    // The accessibility factory for ResultGrid; installed once by the first grid.
    static QAccessibleInterface* create(const QString& className, QObject* object);
    // The child index of a grid cell, -1 for a fixed or missing cell and where the index would not
    // fit an int.
    static int childIndexOf(const ResultGrid* grid, int col, int gridRow);

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QAccessibleInterface* caption() const override;
    QAccessibleInterface* summary() const override;
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override;
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    bool isColumnSelected(int column) const override;
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int column) override;
    bool unselectRow(int row) override;
    bool unselectColumn(int column) override;
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    // A cell by the grid's own coordinates: a header cell in a fixed row, a table cell below.
    QAccessibleInterface* gridCell(int col, int gridRow) const;

    // What a table cell tells beside its text: its text under the header over its column and,
    // outside the first column, the first column's text of its row (the row's meaning, a failure
    // count in the program's table): "Wahrscheinlichkeit 0,004028, 1 Triebwerke".
    //
    // Readers name a column's header when the focus moves into the column, and read the whole
    // row, bare, when it moves into a row. So the current cell reached along its row tells
    // nothing more; reached from another row or on entering the grid, it tells its header and
    // its row. A table with nothing in it yet says so from every cell.
    QString cellDescription(int col, int gridRow) const;
    // Whether the table holds anything to read: text in its first row below the header. The
    // grid is filled from the top, so an empty first row means nothing has been written yet.
    bool hasContent() const;
    // What a reader is told when the table has been filled anew: its name and what it holds,
    // "Ergebnis: 10 Zeilen, 5 Spalten".
    QString newTableMessage() const;
    // Tells a reader `message` without moving its focus: as an announcement where Qt has one,
    // else as a notification that shows to assistive technology only.
    void announce(const QString& message);

private:
    const ResultGrid* grid() const;
    void trimCells() const;
    void forgetCells() const;

    // Cell interfaces live in Qt's registry under these ids, made when first asked for and
    // dropped when the table changes its shape or too many have been made, so that a grid of
    // millions of cells costs only a few thousand interfaces.
    mutable QHash<quint64, QAccessible::Id> m_cells;
    // The notification that carries announcements where Qt has no announcement of its own; made
    // with the first one and kept for those that follow.
    QAccessible::Id m_notice = 0;
};
