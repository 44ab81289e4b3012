// The cycle pass against drawing every run, on every core with the best instruction set: the
// inputs the cycle pass was made for, the largest input there is, and inputs around the
// break-even that cyclePassIsCheaper() draws. Wall time and the process's CPU time of both cores;
// read the figures as ratios within one run.
//
// Drawing every run of 10,000 engines x (2^31 - 1) runs takes minutes, so that one is measured on
// 1/256 of the runs and `projected_s` scales its time to all of them: the direct loop's cost is
// proportional to the number of runs.

#include "simulation/CyclePass.h"
#include "simulation/SimulationEngine.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Input
{
    std::int32_t engines;
    std::int32_t runs;
    // A failure probability of 0.001, the program's default reliability of 0.999.
    std::uint64_t threshold = 4'294'968;
};

void simulate(benchmark::State& state, Input input, SimulationMethod method, double scale)
{
    SimulationSettings settings;
    settings.method = method;
    std::vector<std::int32_t> histogram(static_cast<std::size_t>(input.engines) + 1, 0);
    std::uint32_t seed = 12345;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        seed = simulateRuns(seed, input.engines, input.runs, input.threshold, histogram.data(),
                            settings);
        benchmark::DoNotOptimize(histogram.data());
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        std::fill(histogram.begin(), histogram.end(), 0);
        state.ResumeTiming();
    }
    // `scale` is the share of the input's runs drawn here.
    if (scale != 1.0)
        state.counters["projected_s"] = seconds / scale / static_cast<double>(state.iterations());
    state.counters["cycle_pass_chosen"] =
        cyclePassIsCheaper(input.engines, input.runs, static_cast<std::uint32_t>(input.threshold))
            ? 1
            : 0;
}

void add(const std::string& name, Input input, SimulationMethod method, int iterations,
         double scale = 1.0)
{
    const std::string title =
        name + "/engines:" + std::to_string(input.engines) + "/runs:" + std::to_string(input.runs);
    benchmark::RegisterBenchmark(title.c_str(), simulate, input, method, scale)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(iterations)
        ->MeasureProcessCPUTime()
        ->UseRealTime();
}

const int registered = [] {
    constexpr std::int32_t maxRuns = 2'147'483'647;
    add("direct", {33, maxRuns}, SimulationMethod::Direct, 1);
    add("cycle_pass", {33, maxRuns}, SimulationMethod::CyclePass, 3);
    add("direct_projected", {10'000, maxRuns / 256}, SimulationMethod::Direct, 1,
        static_cast<double>(maxRuns / 256) / maxRuns);
    add("cycle_pass", {10'000, maxRuns}, SimulationMethod::CyclePass, 3);
    add("cycle_pass", {536'870'908, maxRuns}, SimulationMethod::CyclePass, 3);
    // The dearest kind of input for the cycle pass: an odd engine count and a failure
    // probability of 1/2, where the level moves at every other draw.
    add("cycle_pass_half", {10'001, maxRuns, std::uint64_t{1} << 31}, SimulationMethod::CyclePass,
        3);
    add("cycle_pass_half", {536'870'907, maxRuns, std::uint64_t{1} << 31},
        SimulationMethod::CyclePass, 3);

    // Around the break-even: the same draws per call for few, some and many engines.
    for (const std::int32_t engines : {9, 100, 10'000}) {
        for (const int drawsLog : {32, 34, 36}) {
            const std::uint64_t runs =
                (std::uint64_t{1} << drawsLog) / static_cast<std::uint64_t>(engines);
            if (runs > maxRuns)
                continue;
            const Input input{engines, static_cast<std::int32_t>(runs)};
            add("break_even_direct", input, SimulationMethod::Direct, 1);
            add("break_even_cycle_pass", input, SimulationMethod::CyclePass, 1);
        }
    }
    return 0;
}();

} // namespace
