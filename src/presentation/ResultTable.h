#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// The texts of the result table: a header row, then per failure count i = 0 .. engines the count,
// its probability and percentage, and their running sums from count 1 on (so the row of 0 failures
// always sums to 0 and the last row gives the share of runs with at least one failure).
namespace ResultTable {

inline constexpr int columnCount = 5;

inline constexpr std::array<std::string_view, columnCount> headers{
    "Ausgefallene Triebwerke", "Wahrscheinlichkeit", "Prozentwert", "Summiert", "Summiert Prozent"};

// The running sum of a row from the sum of the row before it: the share count / runs added with a
// 64-bit significand, stored as a double. The sum of row 0 is 0, whatever its count.
double addShare(double sum, std::int32_t count, std::int32_t runs);

using CellWriter = std::function<void(int column, int row, const std::string& text)>;

// Writes the cells of rows 1 .. engines + 1, row by row and in each row column by column, each text
// before the next value is computed, so that a failure (EInvalidOp for runs = 0) leaves exactly the
// cells before it written. Nothing for a negative engine count. `histogram` holds at least
// engines + 1 counts.
void writeRows(std::int32_t engines, std::int32_t runs, std::span<const std::int32_t> histogram,
               const CellWriter& setCell);

} // namespace ResultTable
