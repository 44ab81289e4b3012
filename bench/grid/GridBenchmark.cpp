// The result table at its largest plausible size: a million engines, 1,000,002 rows of five
// texts, then autoSizeColumns with the program's fonts.

#include "platform/desktop/Fonts.h"
#include "ui/grid/FontTextMeasurer.h"
#include "ui/grid/ResultGridState.h"
#include "ui/window/ResultTableShape.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

constexpr int engines = 1'000'000;
constexpr int rowCount = engines + 2;
constexpr int colCount = 5;

std::string withComma(std::string text)
{
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string formatted(const char* pattern, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return withComma(buffer);
}

// A histogram shaped like a real run: a million runs, failures around 1000 of a million engines.
void fillResultTable(ResultGridState& grid)
{
    ResultTableShape::applyShape(grid, engines);
    const double runs = 1'000'000;
    const double pi = std::acos(-1.0);
    double sum = 0;
    for (int i = 0; i <= engines; ++i) {
        const double z = (i - 1000.0) / 31.6;
        const double count = std::round(runs * std::exp(-z * z / 2) / (31.6 * std::sqrt(2 * pi)));
        const double q = count / runs;
        if (i > 0)
            sum += q;
        grid.setCellText(0, i + 1, std::to_string(i) + " Triebwerke");
        grid.setCellText(1, i + 1, formatted("%.6f", q));
        grid.setCellText(2, i + 1, formatted("%.3f Prozent", 100 * q));
        grid.setCellText(3, i + 1, formatted("%.6f", sum));
        grid.setCellText(4, i + 1, formatted("%.3f Prozent", 100 * sum));
    }
}

void FillResultTable(benchmark::State& state)
{
    double bytesPerCell = 0;
    for (auto _ : state) {
        // Large blocks are mapped on their own and counted apart from the heap.
        const auto before = mallinfo2().uordblks + mallinfo2().hblkhd;
        auto grid = std::make_unique<ResultGridState>();
        fillResultTable(*grid);
        const auto after = mallinfo2().uordblks + mallinfo2().hblkhd;
        bytesPerCell =
            static_cast<double>(after - before) / static_cast<double>(grid->cellStore().size());
        benchmark::DoNotOptimize(grid.get());
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_cell"] = bytesPerCell;
    state.counters["cells"] = static_cast<double>(rowCount) * colCount;
}
BENCHMARK(FillResultTable)->Unit(benchmark::kMillisecond)->Iterations(2);

void autoSizeColumns(benchmark::State& state)
{
    ResultGridState grid;
    fillResultTable(grid);
    const GridFonts fonts{platform::programFont(), platform::programFixedFont(), 96};
    std::chrono::nanoseconds spent{0};
    std::int64_t measured = 0;
    for (auto _ : state) {
        FontTextMeasurer measurer(fonts);
        const auto start = std::chrono::steady_clock::now();
        grid.autoSizeColumns(true, ResultTableShape::textPadding, measurer);
        spent += std::chrono::steady_clock::now() - start;
        measured += static_cast<std::int64_t>(rowCount) * colCount;
    }
    state.counters["ns_per_measured_cell"] =
        static_cast<double>(spent.count()) / static_cast<double>(measured);
    for (int col = 0; col < colCount; ++col)
        state.counters["width" + std::to_string(col)] = grid.columnWidth(col);
}
BENCHMARK(autoSizeColumns)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
