// Cost of one number text of the result table and the report.

#include "presentation/FormatText.h"

#include <benchmark/benchmark.h>

namespace {

void formatText(benchmark::State& state, const char* pattern)
{
    FormatSettings settings;
    settings.decimalSeparator = u',';
    long double value = 0.0000123L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatText(pattern, {value}, settings));
        value += 0.0000731L;
        if (value > 100)
            value -= 100;
    }
}

BENCHMARK_CAPTURE(formatText, six_decimals, "%.6f");
BENCHMARK_CAPTURE(formatText, three_decimals, "%.3f");

} // namespace
