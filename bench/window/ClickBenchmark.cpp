// One "Simulieren" click with the default inputs, from the button press to the painted table:
// the handler (simulation, texts, column widths) and the grid's repaint, on an offscreen window.

#include "presentation/FormatSettings.h"
#include "ui/grid/TResultGrid.h"
#include "ui/window/MainUnit.h"
#include "ui/window/TApplication.h"

#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

void clickToPaintedTable(benchmark::State& state)
{
    TForm4 form(96);
    form.show();
    for (auto _ : state) {
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        form.Tab->viewport()->repaint();
    }
    state.counters["rows"] = form.Tab->RowCount();
}

void handlerOnly(benchmark::State& state)
{
    TForm4 form(96);
    form.show();
    for (auto _ : state)
        form.Button1Click(form.Button1);
}

BENCHMARK(clickToPaintedTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(handlerOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    LoadFormatSettings();
    TApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
