#pragma once

#include "presentation/ResultTable.h"

#include <cstddef>
#include <cstdint>

// The grid's part of "Simulieren", for the widget and for its state alike.
namespace ResultTableShape {

inline constexpr int defaultColumnWidth = 120;
// Room beside a column's widest text when the columns are sized to their texts, once the rows are
// written.
inline constexpr int textPadding = 4;

// The shape of the result table of `engines` failure counts, taken before the simulation runs: a
// fixed header row with its texts over one row per count (the low 32 bits of engines + 2 rows in
// all), the table's columns at the default width.
template <class Grid> void applyShape(Grid& grid, std::int32_t engines)
{
    grid.setRowCount(static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::int64_t>(engines) + 2)));
    grid.setColumnCount(ResultTable::columnCount);
    grid.setFixedRowCount(1);
    for (int column = 0; column < ResultTable::columnCount; ++column)
        grid.setCellText(column, 0, ResultTable::headers[static_cast<std::size_t>(column)]);
    grid.setDefaultColumnWidth(defaultColumnWidth);
}

} // namespace ResultTableShape
