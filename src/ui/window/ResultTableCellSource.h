#pragma once

#include "presentation/ResultTableRows.h"
#include "ui/grid/GridCellSource.h"

// The data rows of a result table as the grid's cells: grid row i + 1 shows i failed engines, in
// the table's five columns.
class ResultTableCellSource final : public GridCellSource
{
public:
    explicit ResultTableCellSource(ResultTableRows rows);

    GridCellArea area() const override;
    std::string text(int col, int row) const override;
    std::array<int, 2> widestRows(int col, int first, int last) const override;
    void forEachTextRun(int col, int first, int last,
                        const std::function<void(int, int, std::string_view)>& f) const override;

private:
    ResultTableRows m_rows;
};
