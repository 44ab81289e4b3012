#include "presentation/ResultTable.h"

#include "presentation/CheckedArithmetic.h"
#include "presentation/FormatText.h"

#include <stdexcept>

namespace ResultTable {

double addShare(double sum, std::int32_t count, std::int32_t runs)
{
    return static_cast<double>(checkedDivide(count, runs) + sum);
}

void writeRows(std::int32_t engines, std::int32_t runs, std::span<const std::int32_t> histogram,
               const CellWriter& setCell)
{
    if (engines < 0)
        return;
    if (histogram.size() <= static_cast<std::size_t>(engines))
        throw std::out_of_range("ResultTable: histogram shorter than the engine count");

    double sum = 0; // stored as a double after each addition
    for (std::int32_t i = 0; i <= engines; ++i) {
        const std::int32_t count = histogram[static_cast<std::size_t>(i)];
        const int row = i + 1;
        if (i > 0)
            sum = addShare(sum, count, runs);
        setCell(0, row, formatText("%d Triebwerke", {i}));
        setCell(1, row, formatText("%.6f", {checkedDivide(count, runs)}));
        setCell(2, row, formatText("%.3f Prozent", {checkedDivide(100.0L * count, runs)}));
        setCell(3, row, formatText("%.6f", {sum}));
        setCell(4, row, formatText("%.3f Prozent", {100.0L * sum}));
    }
}

} // namespace ResultTable
