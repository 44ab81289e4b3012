#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The result table: a header row, then per failure count i = 0 .. engines the count, its
// probability and percentage, and their running sums from count 1 on (so the row of 0 failures
// always sums to 0 and the last row gives the share of runs with at least one failure). The rows'
// texts are made by ResultTableRows.
namespace ResultTable {

inline constexpr int columnCount = 5;

inline constexpr std::array<std::string_view, columnCount> headers{
    "Ausgefallene Triebwerke", "Wahrscheinlichkeit", "Prozentwert", "Summiert", "Summiert Prozent"};

// The running sum of a row from the sum of the row before it: the share count / runs added with a
// 64-bit significand, stored as a double. The sum of row 0 is 0, whatever its count.
double addShare(double sum, std::int32_t count, std::int32_t runs);

} // namespace ResultTable
