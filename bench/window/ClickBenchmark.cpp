// "Simulieren" clicks from the button press to the painted table, on an offscreen window.
//
// - the default inputs (9 engines, 1,000,000 runs), where the simulation dominates;
// - tables of 1, 10 and 50 million engines and one run, where the table dominates: the first
//   click on a fresh window and a second one over its table, each with the processor time of all
//   the program's threads and the peak of the process's resident memory during the click;
// - the largest engine count the field accepts: the click, then what a user does with the table,
//   each alone: Ctrl+End, the scroll bar to its end, a screen reader reading the last cell.
//
// Run with --benchmark_filter to pick; the largest table needs some 2.2 GB.

#include "presentation/FormatSettings.h"
#include "ui/field/NumberField.h"
#include "ui/grid/ResultGrid.h"
#include "ui/window/Application.h"
#include "ui/window/MainWindow.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

constexpr int largestEngineCount = 536'870'908;

void clickAndPaint(MainWindow& form)
{
    QTest::mouseClick(form.simulateButton(), Qt::LeftButton);
    form.resultGrid()->viewport()->repaint();
}

std::unique_ptr<MainWindow> shownForm(int engines, int runs)
{
    auto form = std::make_unique<MainWindow>(96);
    form->show();
    form->engineCountField()->setEditText(QString::number(engines));
    form->runCountField()->setEditText(QString::number(runs));
    return form;
}

// The peak of the process's resident memory since the last reset, as the kernel counts it.
double peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) * 1024;
    }
    return 0;
}

void resetPeakResident()
{
    // Memory freed before goes back to the system first, so that the peak starts from what the
    // process holds.
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

void clickToPaintedTable(benchmark::State& state)
{
    MainWindow form(96);
    form.show();
    for (auto _ : state)
        clickAndPaint(form);
    state.counters["rows"] = form.resultGrid()->rowCount();
}

void handlerOnly(benchmark::State& state)
{
    MainWindow form(96);
    form.show();
    for (auto _ : state)
        form.onSimulateClicked();
}

// A click with state.range(0) engines and one run, on a fresh window (range(1) == 0) or over
// the table of a first click with the same inputs.
void largeTableClick(benchmark::State& state)
{
    const auto engines = static_cast<int>(state.range(0));
    const bool second = state.range(1) != 0;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto form = shownForm(engines, 1);
        if (second)
            clickAndPaint(*form);
        resetPeakResident();
        state.ResumeTiming();

        clickAndPaint(*form);

        state.PauseTiming();
        peak = peakResidentBytes();
        if (form->resultGrid()->rowCount() != engines + 2)
            state.SkipWithError("the click did not show its table");
        form.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peak / (1 << 20);
    state.counters["rows"] = engines + 2;
}

// The window after a click with the largest engine count, kept for the steps after it.
MainWindow& largestTableForm()
{
    static std::unique_ptr<MainWindow> form = [] {
        auto shown = shownForm(largestEngineCount, 1);
        clickAndPaint(*shown);
        return shown;
    }();
    return *form;
}

void largestTableClick(benchmark::State& state)
{
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto form = shownForm(largestEngineCount, 1);
        resetPeakResident();
        state.ResumeTiming();

        clickAndPaint(*form);

        state.PauseTiming();
        peak = peakResidentBytes();
        form.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peak / (1 << 20);
}

void largestTableCtrlEnd(benchmark::State& state)
{
    ResultGrid* grid = largestTableForm().resultGrid();
    for (auto _ : state) {
        QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        grid->viewport()->repaint();
    }
    if (grid->currentRow() != grid->rowCount() - 1)
        state.SkipWithError("Ctrl+End did not reach the last row");
}

void largestTableScrollBarToEnd(benchmark::State& state)
{
    ResultGrid* grid = largestTableForm().resultGrid();
    QScrollBar* bar = grid->verticalScrollBar();
    for (auto _ : state) {
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        grid->viewport()->repaint();
    }
    if (grid->topRow() < grid->rowCount() - 20)
        state.SkipWithError("the view did not reach the last rows");
}

void largestTableReaderReadsTheLastCell(benchmark::State& state)
{
    ResultGrid* grid = largestTableForm().resultGrid();
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    QAccessibleTableInterface* cells = table ? table->tableInterface() : nullptr;
    if (cells == nullptr) {
        state.SkipWithError("no accessible table");
        return;
    }
    QString text;
    for (auto _ : state) {
        QAccessibleInterface* cell = cells->cellAt(cells->rowCount() - 1, 4);
        text = cell ? cell->text(QAccessible::Name) : QString();
        benchmark::DoNotOptimize(text);
    }
    if (text.isEmpty())
        state.SkipWithError("the last cell read empty");
}

BENCHMARK(clickToPaintedTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(handlerOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(largeTableClick)
    ->ArgsProduct({{1'000'000, 10'000'000, 50'000'000}, {0, 1}})
    ->ArgNames({"engines", "second"})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(largestTableClick)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(largestTableCtrlEnd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(largestTableScrollBarToEnd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(largestTableReaderReadsTheLastCell)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    loadFormatSettings();
    Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
