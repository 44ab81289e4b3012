#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The block of cells a source speaks for: columns [0, columnCount), rows [firstRow, lastRow].
struct GridCellArea
{
    int columnCount = 0;
    int firstRow = 0;
    int lastRow = -1;

    bool contains(int col, int row) const
    {
        return col >= 0 && col < columnCount && row >= firstRow && row <= lastRow;
    }
    bool isEmpty() const { return columnCount <= 0 || firstRow > lastRow || firstRow < 0; }
    std::int64_t cellCount() const
    {
        return isEmpty() ? 0
                         : static_cast<std::int64_t>(columnCount) *
                               (static_cast<std::int64_t>(lastRow) - firstRow + 1);
    }
};

// Cells whose texts are made when they are read, from data the source keeps, instead of being
// stored: a table of fifty million rows then costs its data, not a quarter of a billion texts.
// The grid shows a source's cells as if they had been written when it was given the source.
class GridCellSource
{
public:
    virtual ~GridCellSource() = default;

    virtual GridCellArea area() const = 0;
    // The text of a cell within the area; the same text however often it is read.
    virtual std::string text(int col, int row) const = 0;

    // Two rows of [first, last] (within the area) whose texts in the column are the widest of
    // those rows in every font where a text's width follows from its characters other than
    // digits and from how many digits stand in each run: every text of the rows differs from one
    // of theirs only in its digits and has no more of them. For numbers written in a fixed
    // pattern these are the rows of the smallest and the largest value.
    virtual std::array<int, 2> widestRows(int col, int first, int last) const = 0;

    // Calls f(top, bottom, text) for runs of rows that cover [first, last] in order, each run's
    // rows sharing its text. Where long runs share a text, a source that knows them spares the
    // grid making and measuring the same text row after row.
    virtual void forEachTextRun(int col, int first, int last,
                                const std::function<void(int, int, std::string_view)>& f) const
    {
        for (std::int64_t row = first; row <= last; ++row) {
            const auto at = static_cast<int>(row);
            f(at, at, text(col, at));
        }
    }
};
