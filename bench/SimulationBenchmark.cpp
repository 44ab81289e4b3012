// Draws per nanosecond of the simulation against the plain loop (one draw per engine and
// run, compared as a double), for the shapes a user asks for. Every figure of one run is read as a
// ratio to the plain loop of the same run.

#include "../tests/simulation/ReferenceSimulation.h"
#include "simulation/FailureSimulation.h"
#include "simulation/Generator.h"
#include "simulation/SimulationEngine.h"

#include <benchmark/benchmark.h>
#include <thread>

namespace {

struct Shape
{
    std::int32_t engines;
    std::int32_t runs;
};

constexpr Shape shapes[] = {{9, 1'000'000},   {9, 100'000'000},  {1, 100'000'000},
                            {3, 100'000'000}, {100, 10'000'000}, {1000, 1'000'000}};

void reportDraws(benchmark::State& state, const Shape& shape)
{
    const double draws = static_cast<double>(shape.engines) * shape.runs;
    state.counters["draws_per_ns"] = benchmark::Counter(
        draws * static_cast<double>(state.iterations()) * 1e-9, benchmark::Counter::kIsRate);
}

void plainLoop(benchmark::State& state, Shape shape)
{
    for (auto _ : state) {
        std::uint32_t generator = 12345;
        benchmark::DoNotOptimize(referenceSimulation(generator, shape.engines, shape.runs, 0.999));
    }
    reportDraws(state, shape);
}

void simulation(benchmark::State& state, Shape shape, InstructionSet instructionSet,
                unsigned threads)
{
    const SimulationSettings settings{instructionSet, threads};
    FailureHistogram histogram;
    for (auto _ : state) {
        simulateFailures(shape.engines, shape.runs, histogram, 0.999, 12345, settings);
        benchmark::DoNotOptimize(histogram.data());
    }
    reportDraws(state, shape);
}

const int registered = [] {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (const Shape& shape : shapes) {
        const std::string suffix =
            "/engines:" + std::to_string(shape.engines) + "/runs:" + std::to_string(shape.runs);
        benchmark::RegisterBenchmark(("plain_loop" + suffix).c_str(), plainLoop, shape)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.2)
            ->UseRealTime();
        for (const InstructionSet set :
             {InstructionSet::Avx512, InstructionSet::Avx2, InstructionSet::Scalar}) {
            if (!isSupported(set))
                continue;
            for (const unsigned threads : {1u, cores}) {
                const std::string name = std::string("simulateFailures/") +
                                         instructionSetName(set) +
                                         "/threads:" + std::to_string(threads) + suffix;
                benchmark::RegisterBenchmark(name.c_str(), simulation, shape, set, threads)
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(0.2)
                    ->UseRealTime();
                if (cores == 1)
                    break;
            }
        }
    }
    // The largest click there is: 9 engines, 2,147,483,647 runs, on every core (the plain loop
    // would take half a minute, so it is left out here).
    const Shape largest{9, 2'147'483'647};
    benchmark::RegisterBenchmark("simulateFailures/best/all_cores/engines:9/runs:2147483647",
                                 simulation, largest, bestInstructionSet(), cores)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3)
        ->UseRealTime();
    return 0;
}();

} // namespace
