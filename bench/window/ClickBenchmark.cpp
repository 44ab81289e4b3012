// "Simulieren" clicks from the button press to the painted table, on an offscreen window: the
// handler (simulation, texts, column widths) and the grid's repaint.
//
// - the default inputs (9 engines, 1,000,000 runs), where the simulation dominates;
// - the largest table a user tries, 1,000,000 engines and 10 runs, where the table dominates: the
//   first click on a fresh window, which fills the grid's store, and a second one, which rewrites
//   it. The first click also reports the memory it adds per stored cell.

#include "presentation/FormatSettings.h"
#include "ui/field/NumberField.h"
#include "ui/grid/ResultGrid.h"
#include "ui/window/Application.h"
#include "ui/window/MainWindow.h"

#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr int millionEngines = 1'000'000;
constexpr int fewRuns = 10;

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

// Resident memory of the whole process, as the system counts it.
double residentBytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
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

void millionEnginesFirstClick(benchmark::State& state)
{
    double addedBytes = 0;
    double cells = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto form = shownForm(millionEngines, fewRuns);
        // Memory freed by the previous window goes back to the system, so that it is not
        // mistaken for memory this click did without.
        malloc_trim(0);
        const double before = residentBytes();
        state.ResumeTiming();

        clickAndPaint(*form);

        state.PauseTiming();
        addedBytes = residentBytes() - before;
        cells = static_cast<double>(form->resultGrid()->state().cellStore().size());
        form.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = millionEngines + 2;
    state.counters["cells"] = cells;
    state.counters["bytes_per_cell"] = cells > 0 ? addedBytes / cells : 0;
}

void millionEnginesSecondClick(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto form = shownForm(millionEngines, fewRuns);
        clickAndPaint(*form);
        state.ResumeTiming();

        clickAndPaint(*form);

        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(clickToPaintedTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(handlerOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(millionEnginesFirstClick)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(millionEnginesSecondClick)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

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
