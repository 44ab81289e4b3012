// A focused field holding a long pasted text, left alone: nothing happens but what the caret does.
// The process's CPU time over whole blink periods against the wall time they take is the share of
// a core the idle field costs; it should stay below 2 %: for the longest text whose caret still
// blinks (4,096 characters) and for a megabyte.

#include "ui/field/NumberField.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStyleHints>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>
#include <ctime>

namespace {

double processSeconds()
{
    timespec now = {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void runEventLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void idleFocusedField(benchmark::State& state)
{
    QWidget window;
    auto* field = new NumberField(&window);
    field->beginLoading();
    field->setDisplayFormat(NumberFormat::Decimal);
    field->setEditText(QString(static_cast<qsizetype>(state.range(0)), u'7'));
    field->endLoading();
    field->resize(150, field->height());
    window.resize(300, 100);
    window.show();
    window.activateWindow();
    // Read before the field takes the focus: a long text holds the caret still.
    const int blink = QApplication::styleHints()->cursorFlashTime() / 2;
    field->setFocus();
    field->end(false);
    // The first paints lay the text out once; that is the paste's cost, not the idle field's.
    runEventLoop(4 * blink);
    double busy = 0;
    double idle = 0;
    for (auto _ : state) {
        const double cpuBefore = processSeconds();
        QElapsedTimer wall;
        wall.start();
        runEventLoop(4 * blink);
        busy += processSeconds() - cpuBefore;
        idle += static_cast<double>(wall.nsecsElapsed()) * 1e-9;
    }
    if (!field->hasFocus())
        state.SkipWithError("the field lost the focus");
    state.counters["core_percent"] = 100 * busy / idle;
}

BENCHMARK(idleFocusedField)->Arg(4096)->Arg(1 << 20)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
