#include "ui/grid/ResultGridAccessible.h"

#include "ui/grid/ResultGrid.h"

#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <climits>

namespace {

// A selection of the whole table may hold millions of cells; a reader is handed the first of them
// rather than an interface for every one.
constexpr int maxListedSelectedCells = 1000;
// A reader that walks a table of millions of rows, or follows the current cell through it, would
// leave an interface behind for every cell; so the cells visited are dropped now and then, and a
// reader that still holds one asks again. Only calls from outside drop them: a cell's own call
// (its column headers) must not drop the cell it runs on.
constexpr int maxKnownCells = 4096;

quint64 cellKey(int col, int gridRow)
{
    return (static_cast<quint64>(static_cast<quint32>(gridRow)) << 32) | static_cast<quint32>(col);
}

// The normal cells of the selection; empty when it lies in the fixed rows.
GridRect selectedNormalCells(const ResultGridState& state)
{
    GridRect selection = state.selection();
    selection.top = std::max(selection.top, state.fixedRowCount());
    selection.left = std::max(selection.left, 0);
    selection.bottom = std::min(selection.bottom, state.rowCount() - 1);
    selection.right = std::min(selection.right, state.columnCount() - 1);
    return selection;
}

bool isEmpty(const GridRect& rect)
{
    return rect.right < rect.left || rect.bottom < rect.top;
}

// What the grid's cells and its notice share: no object or children of their own, the grid's
// table as parent, texts that cannot be set.
class ResultGridPart : public QAccessibleInterface
{
public:
    explicit ResultGridPart(ResultGrid* grid)
        : m_grid(grid)
    {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_grid.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    QPointer<ResultGrid> m_grid;
};

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
// A notification that shows to assistive technology only: readers speak a notification when it
// starts showing, whatever has the focus. Qt has no announcement of its own before 6.8.
class ResultGridNotice : public ResultGridPart
{
public:
    explicit ResultGridNotice(ResultGrid* grid)
        : ResultGridPart(grid)
    {}

    void setMessage(const QString& message) { m_message = message; }

    bool isValid() const override { return m_grid != nullptr; }
    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name ? m_message : QString();
    }
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }

private:
    QString m_message;
};
#endif

class ResultGridCellAccessible : public ResultGridPart, public QAccessibleTableCellInterface
{
public:
    ResultGridCellAccessible(ResultGrid* grid, int col, int gridRow)
        : ResultGridPart(grid)
        , m_col(col)
        , m_row(gridRow)
    {}

    bool isValid() const override
    {
        return m_grid != nullptr && m_col < m_grid->columnCount() && m_row < m_grid->rowCount();
    }

    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        if (kind == QAccessible::Description) {
            const auto* table = static_cast<const ResultGridAccessible*>(parent());
            return isHeader() || table == nullptr ? QString()
                                                  : table->cellDescription(m_col, m_row);
        }
        if (kind != QAccessible::Name && kind != QAccessible::Value)
            return {};
        return m_grid->cellText(m_col, m_row);
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const auto cell = m_grid->state().cellRect(m_col, m_row);
        if (!cell)
            return {};
        const QWidget* viewport = m_grid->viewport();
        const QRect visible =
            QRect(cell->x, cell->y, cell->width, cell->height).intersected(viewport->rect());
        return {viewport->mapToGlobal(visible.topLeft()), visible.size()};
    }

    QAccessible::Role role() const override
    {
        return isHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        if (rect().isEmpty()) {
            state.invisible = true;
            state.offscreen = true;
        }
        if (isHeader())
            return state;
        const ResultGridState& grid = m_grid->state();
        state.focusable = true;
        state.selectable = true;
        state.selected = grid.isSelected({m_col, m_row});
        state.focused = m_grid->hasFocus() && grid.current() == GridCoord{m_col, m_row};
        state.readOnly = true;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface && !isHeader())
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    bool isSelected() const override
    {
        return isValid() && m_grid->state().isSelected({m_col, m_row});
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override
    {
        QList<QAccessibleInterface*> headers;
        auto* table = static_cast<ResultGridAccessible*>(parent());
        if (!isValid() || table == nullptr)
            return headers;
        for (int row = 0; row < m_grid->fixedRowCount(); ++row)
            headers.append(table->gridCell(m_col, row));
        return headers;
    }
    // The first column names its row. It is its own row's header too: Qt's bridge before 6.5
    // answers a reader's question for the table's row header with the first column's answer.
    QList<QAccessibleInterface*> rowHeaderCells() const override
    {
        auto* table = static_cast<ResultGridAccessible*>(parent());
        if (!isValid() || isHeader() || table == nullptr)
            return {};
        return {table->gridCell(0, m_row)};
    }
    int columnIndex() const override { return m_col; }
    int rowIndex() const override { return m_row - (m_grid ? m_grid->fixedRowCount() : 0); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    bool isHeader() const { return m_grid && m_row < m_grid->fixedRowCount(); }

    int m_col;
    int m_row;
};

} // namespace

ResultGridAccessible::ResultGridAccessible(ResultGrid* grid)
    : QAccessibleWidget(grid, QAccessible::Table)
{}

ResultGridAccessible::~ResultGridAccessible()
{
    forgetCells();
    if (m_notice != 0)
        QAccessible::deleteAccessibleInterface(m_notice);
}

QAccessibleInterface* ResultGridAccessible::create(const QString& className, QObject* object)
{
    auto* grid = qobject_cast<ResultGrid*>(object);
    if (grid == nullptr || className != QLatin1String(ResultGrid::staticMetaObject.className()))
        return nullptr;
    return new ResultGridAccessible(grid);
}

int ResultGridAccessible::childIndexOf(const ResultGrid* grid, int col, int gridRow)
{
    if (col < 0 || col >= grid->columnCount() || gridRow < grid->fixedRowCount() ||
        gridRow >= grid->rowCount())
        return -1;
    const qint64 index =
        static_cast<qint64>(gridRow - grid->fixedRowCount()) * grid->columnCount() + col;
    return index <= INT_MAX ? static_cast<int>(index) : -1;
}

const ResultGrid* ResultGridAccessible::grid() const
{
    return static_cast<const ResultGrid*>(object());
}

QAccessible::Role ResultGridAccessible::role() const
{
    return QAccessible::Table;
}

QAccessible::State ResultGridAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiSelectable = true;
    return state;
}

QString ResultGridAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Description && widget()->accessibleDescription().isEmpty()) {
        if (!hasContent())
            return QStringLiteral("noch keine Ergebnisse");
        return (rowCount() == 1 ? QStringLiteral("1 Zeile")
                                : QStringLiteral("%1 Zeilen").arg(rowCount())) +
               (columnCount() == 1 ? QStringLiteral(", 1 Spalte")
                                   : QStringLiteral(", %1 Spalten").arg(columnCount()));
    }
    return QAccessibleWidget::text(kind);
}

bool ResultGridAccessible::hasContent() const
{
    const int firstRow = grid()->fixedRowCount();
    if (firstRow >= grid()->rowCount())
        return false;
    for (int col = 0; col < grid()->columnCount(); ++col) {
        if (!grid()->state().cellText(col, firstRow).empty())
            return true;
    }
    return false;
}

QString ResultGridAccessible::newTableMessage() const
{
    const QString name = text(QAccessible::Name);
    const QString description = text(QAccessible::Description);
    return name.isEmpty() ? description : name + QStringLiteral(": ") + description;
}

QString ResultGridAccessible::cellDescription(int col, int gridRow) const
{
    if (!hasContent())
        return QStringLiteral("noch keine Ergebnisse");
    const GridCoord current = grid()->state().current();
    if (current == GridCoord{col, gridRow} && !grid()->currentCellCameFromAnotherRow())
        return {};
    QStringList words;
    for (const QString& part : {columnDescription(col), grid()->cellText(col, gridRow)}) {
        if (!part.isEmpty())
            words.append(part);
    }
    QString description = words.join(u' ');
    const QString rowName = col == 0 ? QString() : grid()->cellText(0, gridRow);
    if (!rowName.isEmpty())
        description += QStringLiteral(", ") + rowName;
    return description;
}

void ResultGridAccessible::announce(const QString& message)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent announcement(this, message);
    QAccessible::updateAccessibility(&announcement);
#else
    auto* notice = static_cast<ResultGridNotice*>(QAccessible::accessibleInterface(m_notice));
    if (notice == nullptr) {
        notice = new ResultGridNotice(const_cast<ResultGrid*>(grid()));
        m_notice = QAccessible::registerAccessibleInterface(notice);
    }
    notice->setMessage(message);
    QAccessibleEvent shown(notice, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
#endif
}

int ResultGridAccessible::childCount() const
{
    const qint64 count = static_cast<qint64>(rowCount()) * columnCount();
    return static_cast<int>(std::min<qint64>(count, INT_MAX));
}

QAccessibleInterface* ResultGridAccessible::child(int index) const
{
    trimCells();
    const int columns = columnCount();
    if (index < 0 || columns == 0)
        return nullptr;
    return cellAt(index / columns, index % columns);
}

int ResultGridAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (child == nullptr || child->parent() != this)
        return -1;
    const QAccessibleTableCellInterface* cell =
        const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    if (cell == nullptr)
        return -1;
    return childIndexOf(grid(), cell->columnIndex(), cell->rowIndex() + grid()->fixedRowCount());
}

QAccessibleInterface* ResultGridAccessible::childAt(int x, int y) const
{
    trimCells();
    const QWidget* viewport = grid()->viewport();
    const QPoint local = viewport->mapFromGlobal(QPoint(x, y));
    if (!viewport->rect().contains(local))
        return nullptr;
    const GridCoord cell = grid()->state().cellAt(local.x(), local.y());
    if (cell.col < 0 || cell.row < 0 || cell.col >= grid()->columnCount() ||
        cell.row >= grid()->rowCount())
        return nullptr;
    return gridCell(cell.col, cell.row);
}

QAccessibleInterface* ResultGridAccessible::focusChild() const
{
    trimCells();
    if (!grid()->hasFocus())
        return nullptr;
    return gridCell(grid()->currentColumn(), grid()->currentRow());
}

void* ResultGridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* ResultGridAccessible::caption() const
{
    return nullptr;
}

QAccessibleInterface* ResultGridAccessible::summary() const
{
    return nullptr;
}

QAccessibleInterface* ResultGridAccessible::cellAt(int row, int column) const
{
    trimCells();
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    return gridCell(column, row + grid()->fixedRowCount());
}

QAccessibleInterface* ResultGridAccessible::gridCell(int col, int gridRow) const
{
    const quint64 key = cellKey(col, gridRow);
    const auto known = m_cells.constFind(key);
    if (known != m_cells.constEnd())
        return QAccessible::accessibleInterface(*known);
    auto* cell = new ResultGridCellAccessible(const_cast<ResultGrid*>(grid()), col, gridRow);
    m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int ResultGridAccessible::selectedCellCount() const
{
    const GridRect selection = selectedNormalCells(grid()->state());
    if (isEmpty(selection))
        return 0;
    const qint64 count = static_cast<qint64>(selection.right - selection.left + 1) *
                         (selection.bottom - selection.top + 1);
    return static_cast<int>(std::min<qint64>(count, INT_MAX));
}

QList<QAccessibleInterface*> ResultGridAccessible::selectedCells() const
{
    trimCells();
    QList<QAccessibleInterface*> cells;
    const GridRect selection = selectedNormalCells(grid()->state());
    for (int row = selection.top; row <= selection.bottom; ++row) {
        for (int col = selection.left; col <= selection.right; ++col) {
            if (cells.size() == maxListedSelectedCells)
                return cells;
            cells.append(gridCell(col, row));
        }
    }
    return cells;
}

QString ResultGridAccessible::columnDescription(int column) const
{
    if (column < 0 || column >= columnCount())
        return {};
    QStringList texts;
    for (int row = 0; row < grid()->fixedRowCount(); ++row)
        texts.append(grid()->cellText(column, row));
    return texts.join(u' ');
}

QString ResultGridAccessible::rowDescription(int row) const
{
    if (row < 0 || row >= rowCount() || columnCount() == 0)
        return {};
    return grid()->cellText(0, row + grid()->fixedRowCount());
}

int ResultGridAccessible::selectedColumnCount() const
{
    return static_cast<int>(selectedColumns().size());
}

int ResultGridAccessible::selectedRowCount() const
{
    const GridRect selection = selectedNormalCells(grid()->state());
    return isRowSelected(selection.top - grid()->fixedRowCount())
               ? selection.bottom - selection.top + 1
               : 0;
}

int ResultGridAccessible::columnCount() const
{
    return grid()->columnCount();
}

int ResultGridAccessible::rowCount() const
{
    return grid()->rowCount() - grid()->fixedRowCount();
}

QList<int> ResultGridAccessible::selectedColumns() const
{
    QList<int> columns;
    const GridRect selection = selectedNormalCells(grid()->state());
    if (isColumnSelected(selection.left)) {
        for (int col = selection.left; col <= selection.right; ++col)
            columns.append(col);
    }
    return columns;
}

QList<int> ResultGridAccessible::selectedRows() const
{
    QList<int> rows;
    const int count = selectedRowCount();
    const int first = selectedNormalCells(grid()->state()).top - grid()->fixedRowCount();
    for (int row = first; row < first + std::min(count, maxListedSelectedCells); ++row)
        rows.append(row);
    return rows;
}

bool ResultGridAccessible::isColumnSelected(int column) const
{
    // A column counts as selected when the selection runs through all of its normal rows.
    const GridRect selection = selectedNormalCells(grid()->state());
    return !isEmpty(selection) && column >= selection.left && column <= selection.right &&
           selection.top == grid()->fixedRowCount() && selection.bottom == grid()->rowCount() - 1;
}

bool ResultGridAccessible::isRowSelected(int row) const
{
    const GridRect selection = selectedNormalCells(grid()->state());
    const int gridRow = row + grid()->fixedRowCount();
    return !isEmpty(selection) && gridRow >= selection.top && gridRow <= selection.bottom &&
           selection.left == 0 && selection.right == grid()->columnCount() - 1;
}

// The selection follows the keyboard and the mouse only, as on screen.
bool ResultGridAccessible::selectRow(int)
{
    return false;
}

bool ResultGridAccessible::selectColumn(int)
{
    return false;
}

bool ResultGridAccessible::unselectRow(int)
{
    return false;
}

bool ResultGridAccessible::unselectColumn(int)
{
    return false;
}

void ResultGridAccessible::modelChange(QAccessibleTableModelChangeEvent*)
{
    forgetCells();
}

void ResultGridAccessible::trimCells() const
{
    if (m_cells.size() + maxListedSelectedCells > maxKnownCells)
        forgetCells();
}

void ResultGridAccessible::forgetCells() const
{
    for (const QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
}
