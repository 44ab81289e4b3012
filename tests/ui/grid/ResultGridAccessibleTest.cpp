#include "ui/grid/ResultGridAccessible.h"

#include "ui/grid/ResultGrid.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <utility>

namespace {

// A table of three normal rows under one header row, four columns:
//   H0  H1  H2  H3
//   a0  a1  a2  a3
//   b0  b1  b2  b3
//   c0  c1  c2  c3
void fill(ResultGrid& grid)
{
    grid.setRowCount(4);
    grid.setColumnCount(4);
    grid.setFixedRowCount(1);
    for (int col = 0; col < 4; ++col) {
        grid.setCellText(col, 0, QStringLiteral("H%1").arg(col));
        for (int row = 1; row < 4; ++row)
            grid.setCellText(col, row, QStringLiteral("%1%2").arg(QChar(u'a' + row - 1)).arg(col));
    }
}

QStringList texts(const QList<QAccessibleInterface*>& cells)
{
    QStringList result;
    for (const QAccessibleInterface* cell : cells)
        result.append(cell->text(QAccessible::Name));
    return result;
}

} // namespace

class ResultGridAccessibleTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_grid = std::make_unique<ResultGrid>();
        m_grid->resize(400, 200);
        m_grid->setAccessibleName(QStringLiteral("Ergebnis"));
        fill(*m_grid);
        m_grid->show();
        m_grid->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_grid.get()));
        m_table = QAccessible::queryAccessibleInterface(m_grid.get());
        QVERIFY(m_table != nullptr);
        QVERIFY(m_table->tableInterface() != nullptr);
    }

    void cleanup() { m_grid.reset(); }

    void isATableOfTheNormalRows()
    {
        QAccessibleTableInterface* table = m_table->tableInterface();
        QCOMPARE(m_table->role(), QAccessible::Table);
        QCOMPARE(m_table->text(QAccessible::Name), QStringLiteral("Ergebnis"));
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->columnCount(), 4);
        QCOMPARE(m_table->childCount(), 12);
    }

    void cellsReadTheirTextsByRowAndColumn_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("childIndex");
        QTest::newRow("first cell") << 0 << 0 << "a0" << 0;
        QTest::newRow("end of the first row") << 0 << 3 << "a3" << 3;
        QTest::newRow("second row") << 1 << 2 << "b2" << 6;
        QTest::newRow("last cell") << 2 << 3 << "c3" << 11;
    }
    void cellsReadTheirTextsByRowAndColumn()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(int, childIndex);
        QAccessibleInterface* cell = m_table->tableInterface()->cellAt(row, column);
        QVERIFY(cell != nullptr);
        QCOMPARE(cell->role(), QAccessible::Cell);
        QCOMPARE(cell->text(QAccessible::Name), text);
        QCOMPARE(cell->tableCellInterface()->rowIndex(), row);
        QCOMPARE(cell->tableCellInterface()->columnIndex(), column);
        QCOMPARE(m_table->indexOfChild(cell), childIndex);
        QCOMPARE(m_table->child(childIndex), cell);
        QCOMPARE(cell->parent(), m_table);
        QCOMPARE(texts(cell->tableCellInterface()->columnHeaderCells()),
                 QStringList{QStringLiteral("H%1").arg(column)});
    }

    void outsideTheTableThereIsNoCell()
    {
        QAccessibleTableInterface* table = m_table->tableInterface();
        QCOMPARE(table->cellAt(3, 0), nullptr);
        QCOMPARE(table->cellAt(0, 4), nullptr);
        QCOMPARE(table->cellAt(-1, 0), nullptr);
        QCOMPARE(m_table->child(12), nullptr);
    }

    void theFixedRowGivesTheColumnHeaders()
    {
        QAccessibleTableInterface* table = m_table->tableInterface();
        QCOMPARE(table->columnDescription(1), QStringLiteral("H1"));
        const QList<QAccessibleInterface*> headers =
            table->cellAt(0, 1)->tableCellInterface()->columnHeaderCells();
        QCOMPARE(headers.size(), 1);
        QCOMPARE(headers.first()->role(), QAccessible::ColumnHeader);
        QCOMPARE(headers.first()->parent(), m_table);
    }

    void cellsAreWhereTheyArePainted()
    {
        const auto painted = m_grid->state().cellRect(2, 2);
        QVERIFY(painted.has_value());
        const QPoint centre = m_grid->viewport()->mapToGlobal(
            QPoint(painted->x + painted->width / 2, painted->y + painted->height / 2));
        QAccessibleInterface* cell = m_table->childAt(centre.x(), centre.y());
        QVERIFY(cell != nullptr);
        QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("b2"));
        QVERIFY(cell->rect().contains(centre));
    }

    void theSelectionIsTheGridsSelection()
    {
        QAccessibleTableInterface* table = m_table->tableInterface();
        m_grid->setFocus();
        QCOMPARE(table->selectedCellCount(), 1);
        QVERIFY(table->cellAt(0, 0)->state().selected);
        QVERIFY(table->cellAt(0, 0)->state().focused);
        QTest::keyClick(m_grid.get(), Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(table->selectedCellCount(), 4);
        QCOMPARE(table->selectedRows(), QList<int>{0});
        QVERIFY(table->isRowSelected(0));
        QVERIFY(!table->isRowSelected(1));
        QCOMPARE(texts(table->selectedCells()),
                 (QStringList{QStringLiteral("a0"), QStringLiteral("a1"), QStringLiteral("a2"),
                              QStringLiteral("a3")}));
        QVERIFY(!table->cellAt(1, 0)->state().selected);
        QCOMPARE(table->selectedColumnCount(), 0);
        QTest::keyClick(m_grid.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(table->selectedCellCount(), 12);
        QCOMPARE(table->selectedColumns(), (QList<int>{0, 1, 2, 3}));
    }

    void theFocusedCellIsTheCurrentCell_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("childIndex");
        QTest::newRow("Down") << int(Qt::Key_Down) << 4;
        QTest::newRow("Right") << int(Qt::Key_Right) << 1;
        QTest::newRow("End") << int(Qt::Key_End) << 3;
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 8;
    }
    void theFocusedCellIsTheCurrentCell()
    {
        QFETCH(int, key);
        QFETCH(int, childIndex);
        m_grid->setFocus();
        QTest::keyClick(m_grid.get(), Qt::Key(key));
        QAccessibleInterface* current = m_table->child(childIndex);
        QVERIFY(current->state().focused);
        QCOMPARE(m_table->focusChild(), current);
        QCOMPARE(ResultGridAccessible::childIndexOf(m_grid.get(), m_grid->currentColumn(),
                                                    m_grid->currentRow()),
                 childIndex);
        QVERIFY(!m_table->child(childIndex == 0 ? 1 : 0)->state().focused);
    }

    void withoutTheFocusNoCellIsFocused()
    {
        m_grid->clearFocus();
        QVERIFY(!m_table->tableInterface()->cellAt(0, 0)->state().focused);
        QCOMPARE(m_table->focusChild(), nullptr);
    }

    void aTableShapedAnewIsReadAnew()
    {
        QAccessibleInterface* before = m_table->tableInterface()->cellAt(2, 3);
        QCOMPARE(before->text(QAccessible::Name), QStringLiteral("c3"));
        m_grid->setRowCount(6);
        m_grid->setColumnCount(2);
        m_grid->setFixedRowCount(2);
        m_grid->setCellText(1, 1, QStringLiteral("zweite Kopfzeile"));
        m_grid->setCellText(1, 5, QStringLiteral("neu"));
        QCOMPARE(m_table->tableInterface()->rowCount(), 4);
        QCOMPARE(m_table->tableInterface()->columnCount(), 2);
        QCOMPARE(m_table->childCount(), 8);
        QCOMPARE(m_table->tableInterface()->cellAt(3, 1)->text(QAccessible::Name),
                 QStringLiteral("neu"));
        QCOMPARE(m_table->tableInterface()->columnDescription(1),
                 QStringLiteral("H1 zweite Kopfzeile"));
        QCOMPARE(m_table->text(QAccessible::Description), QStringLiteral("4 Zeilen, 2 Spalten"));
        m_grid->setRowCount(3);
        m_grid->setColumnCount(1);
        QCOMPARE(m_table->text(QAccessible::Description), QStringLiteral("1 Zeile, 1 Spalte"));
    }

    void aCellOfATableThatShrankIsNoLongerValid()
    {
        QAccessibleInterface* cell = m_table->tableInterface()->cellAt(2, 3);
        QVERIFY(cell->isValid());
        const QAccessible::Id id = QAccessible::uniqueId(cell);
        m_grid->setRowCount(2);
        QAccessibleInterface* still = QAccessible::accessibleInterface(id);
        QVERIFY(still == nullptr || !still->isValid());
    }

    void theCurrentCellTellsItsHeaderAndRow_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("description");
        QTest::newRow("entering the grid") << QList<int>{} << "H0 a0";
        QTest::newRow("Down") << QList<int>{Qt::Key_Down} << "H0 b0";
        QTest::newRow("Page Down") << QList<int>{Qt::Key_PageDown} << "H0 c0";
        QTest::newRow("Right, then Down") << QList<int>{Qt::Key_Right, Qt::Key_Down} << "H1 b1, b0";
        QTest::newRow("End, then Down twice")
            << QList<int>{Qt::Key_End, Qt::Key_Down, Qt::Key_Down} << "H3 c3, c0";
        QTest::newRow("Down, then Up") << QList<int>{Qt::Key_Down, Qt::Key_Up} << "H0 a0";
        // Along a row the reader names the column itself; the cell adds nothing.
        QTest::newRow("Right") << QList<int>{Qt::Key_Right} << "";
        QTest::newRow("Down, then Right") << QList<int>{Qt::Key_Down, Qt::Key_Right} << "";
        QTest::newRow("Right, then Left") << QList<int>{Qt::Key_Right, Qt::Key_Left} << "";
    }
    void theCurrentCellTellsItsHeaderAndRow()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, description);
        m_grid->setFocus();
        // Entering tells the current cell once the focus event is done.
        QCoreApplication::processEvents();
        for (const int key : keys)
            QTest::keyClick(m_grid.get(), Qt::Key(key));
        const int index = ResultGridAccessible::childIndexOf(m_grid.get(), m_grid->currentColumn(),
                                                             m_grid->currentRow());
        QCOMPARE(m_table->child(index)->text(QAccessible::Description), description);
    }

    void otherCellsTellTheirHeaderAndRow_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("description");
        QTest::newRow("first column") << 1 << 0 << "H0 b0";
        QTest::newRow("second column") << 1 << 1 << "H1 b1, b0";
        QTest::newRow("last cell") << 2 << 3 << "H3 c3, c0";
    }
    void otherCellsTellTheirHeaderAndRow()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, description);
        QCOMPARE(m_table->tableInterface()->cellAt(row, column)->text(QAccessible::Description),
                 description);
        QCOMPARE(m_table->tableInterface()->cellAt(row, column)->text(QAccessible::Name),
                 QStringLiteral("%1%2").arg(QChar(u'a' + row)).arg(column));
    }

    void theFirstColumnNamesTheRows()
    {
        QAccessibleTableInterface* table = m_table->tableInterface();
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(texts(table->cellAt(1, column)->tableCellInterface()->rowHeaderCells()),
                     QStringList{QStringLiteral("b0")});
        }
        QCOMPARE(table->cellAt(1, 0)->tableCellInterface()->rowHeaderCells().first(),
                 table->cellAt(1, 0));
        QCOMPARE(table->rowDescription(0), QStringLiteral("a0"));
        QCOMPARE(table->rowDescription(2), QStringLiteral("c0"));
        QCOMPARE(table->rowDescription(3), QString());
    }

    void aNewTableIsToldByNameAndSize()
    {
        auto* table = dynamic_cast<ResultGridAccessible*>(m_table);
        QVERIFY(table != nullptr);
        QCOMPARE(table->newTableMessage(), QStringLiteral("Ergebnis: 3 Zeilen, 4 Spalten"));
        m_grid->setRowCount(2);
        m_grid->setColumnCount(1);
        QCOMPARE(table->newTableMessage(), QStringLiteral("Ergebnis: 1 Zeile, 1 Spalte"));
        m_grid->setAccessibleName(QString());
        QCOMPARE(table->newTableMessage(), QStringLiteral("1 Zeile, 1 Spalte"));
    }

    // The window's grid before the first simulation: a header row without texts over empty rows.
    void anEmptyTableSaysSo()
    {
        ResultGrid empty;
        empty.setAccessibleName(QStringLiteral("Ergebnis"));
        empty.setRowCount(5);
        empty.setColumnCount(2);
        empty.setFixedRowCount(1);
        auto* table =
            dynamic_cast<ResultGridAccessible*>(QAccessible::queryAccessibleInterface(&empty));
        QVERIFY(table != nullptr);
        const QString nothing = QStringLiteral("noch keine Ergebnisse");
        QCOMPARE(table->text(QAccessible::Description), nothing);
        QCOMPARE(table->newTableMessage(), QStringLiteral("Ergebnis: ") + nothing);
        for (const auto& [row, column] : {std::pair{0, 0}, {0, 1}, {3, 1}})
            QCOMPARE(table->cellAt(row, column)->text(QAccessible::Description), nothing);
        // Headers alone are no results; a text in the first row is.
        empty.setCellText(1, 0, QStringLiteral("Kopf"));
        QCOMPARE(table->text(QAccessible::Description), nothing);
        empty.setCellText(1, 1, QStringLiteral("0,5"));
        QCOMPARE(table->text(QAccessible::Description), QStringLiteral("4 Zeilen, 2 Spalten"));
        QCOMPARE(table->cellAt(0, 1)->text(QAccessible::Description), QStringLiteral("Kopf 0,5"));
    }

private:
    std::unique_ptr<ResultGrid> m_grid;
    QAccessibleInterface* m_table = nullptr;
};

QTEST_MAIN(ResultGridAccessibleTest)
#include "ResultGridAccessibleTest.moc"
