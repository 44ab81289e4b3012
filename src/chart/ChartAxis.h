#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The numbers on the chart's axes, chosen as a plotting library chooses them: steps of 1, 2 or 5
// times a power of ten, each label with just the digits its step needs.

struct AxisTick
{
    double value = 0;
    std::string text; // UTF-8
};

// Ticks from 0 up to the first tick at or above `highest` (at least 5 % above it, so the tallest
// bar does not touch the frame) but not beyond `ceiling`, at most `maxIntervals` steps apart: a
// probability axis ends at 1 at most, where a value of 1 may touch the frame. Decimal fractions
// are written with `separator`; every label has as many decimals as the step.
std::vector<AxisTick> linearTicks(double highest, int maxIntervals, std::string_view separator,
                                  double ceiling);

// A whole number with its digits in groups of three, `separator` (UTF-8) between the groups:
// "10.000.000".
std::string groupedDigits(std::int64_t value, std::string_view separator);

// 10 with its exponent as superscript digits: "10⁻³", "10⁰".
std::string powerOfTen(int exponent);

// A logarithmic axis from 10^low to 10^high.
struct LogRange
{
    int low = -1;
    int high = 0;

    bool operator==(const LogRange&) const = default;
};

// The decades the positive `values` reach, from the one above the largest down to the one below
// the smallest, but never more than `maxDecades` below the top: a value further down is left out
// of the picture rather than squeezing everything else into its top.
LogRange logRange(std::span<const double> values, int maxDecades);

// A tick at every power of ten of the range, or at every second, third... one when there would be
// more than `maxIntervals` steps; always at multiples of the stride, so 10^0 is among them.
std::vector<AxisTick> logTicks(LogRange range, int maxIntervals);

// Whole-number ticks from `first` to `last`, a nice step apart that is at least `minStep`.
std::vector<std::int64_t> countTicks(std::int64_t first, std::int64_t last, double minStep);
