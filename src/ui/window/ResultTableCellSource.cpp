#include "ui/window/ResultTableCellSource.h"

#include "presentation/ResultTable.h"

#include <utility>

ResultTableCellSource::ResultTableCellSource(ResultTableRows rows)
    : m_rows(std::move(rows))
{}

GridCellArea ResultTableCellSource::area() const
{
    return {ResultTable::columnCount, 1, m_rows.engines() + 1};
}

std::string ResultTableCellSource::text(int col, int row) const
{
    return m_rows.text(col, row - 1);
}

std::array<int, 2> ResultTableCellSource::widestRows(int col, int first, int last) const
{
    const auto rows = m_rows.extremeRows(col, first - 1, last - 1);
    return {rows[0] + 1, rows[1] + 1};
}

void ResultTableCellSource::forEachTextRun(
    int col, int first, int last, const std::function<void(int, int, std::string_view)>& f) const
{
    m_rows.forEachTextRun(col, first - 1, last - 1,
                          [&f](std::int32_t top, std::int32_t bottom, const std::string& text) {
                              f(top + 1, bottom + 1, text);
                          });
}
