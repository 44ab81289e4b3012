// The cycle pass against drawing every run, on every core with the best instruction set: the
// inputs the cycle pass was made for, the largest input there is, and inputs around the
// break-even that cyclePassIsCheaper() draws. Wall time and the process's CPU time of both cores;
// read the figures as ratios within one run.
//
// Drawing every run of 10,000 engines x (2^31 - 1) runs takes minutes, so that one is measured on
// 1/256 of the runs and `projected_s` scales its time to all of them: the direct loop's cost is
// proportional to the number of runs.
//
// The break_even entries force each instruction set the machine has and one thread or every core:
// per engine count they time a pass around the cycle and the direct loop's draws per nanosecond on
// 2^30 draws, and report the break-even as log2 of the draws the direct loop makes in the pass's
// time (`break_even_log2`).

#include "simulation/CyclePass.h"
#include "simulation/SimulationEngine.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>
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
        cyclePassIsCheaper(input.engines, input.runs, static_cast<std::uint32_t>(input.threshold),
                           bestInstructionSet(), std::max(1u, std::thread::hardware_concurrency()))
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

double secondsOf(const Input& input, const SimulationSettings& settings,
                 std::vector<std::int32_t>& histogram)
{
    std::fill(histogram.begin(), histogram.end(), 0);
    const auto start = std::chrono::steady_clock::now();
    simulateRuns(12345, input.engines, input.runs, input.threshold, histogram.data(), settings);
    benchmark::DoNotOptimize(histogram.data());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void breakEven(benchmark::State& state, std::int32_t engines, InstructionSet instructionSet,
               unsigned threads)
{
    SimulationSettings settings;
    settings.instructionSet = instructionSet;
    settings.threads = threads;
    std::vector<std::int32_t> histogram(static_cast<std::size_t>(engines) + 1, 0);
    const Input direct{engines, static_cast<std::int32_t>((std::int64_t{1} << 30) / engines)};
    const Input pass{engines, 1'000'000};
    double directSeconds = 0;
    double passSeconds = 0;
    for (auto _ : state) {
        settings.method = SimulationMethod::Direct;
        directSeconds += secondsOf(direct, settings, histogram);
        settings.method = SimulationMethod::CyclePass;
        passSeconds += secondsOf(pass, settings, histogram);
    }
    const double drawsPerSecond = static_cast<double>(direct.engines) * direct.runs /
                                  (directSeconds / static_cast<double>(state.iterations()));
    const double passTime = passSeconds / static_cast<double>(state.iterations());
    state.counters["direct_draws_per_ns"] = drawsPerSecond * 1e-9;
    state.counters["pass_s"] = passTime;
    state.counters["break_even_log2"] = std::log2(passTime * drawsPerSecond);
}

void addBreakEvens()
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (const InstructionSet set :
         {InstructionSet::Scalar, InstructionSet::Avx2, InstructionSet::Avx512}) {
        if (!isSupported(set))
            continue;
        for (const unsigned threads : {1u, cores}) {
            // Runs at every position, every 4th, every 8th, and every 4096th (by blocks).
            for (const std::int32_t engines : {9, 100, 1'000, 4'096}) {
                const std::string title = std::string("break_even/") + instructionSetName(set) +
                                          "/threads:" + std::to_string(threads) +
                                          "/engines:" + std::to_string(engines);
                benchmark::RegisterBenchmark(title.c_str(), breakEven, engines, set, threads)
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(1)
                    ->UseRealTime();
            }
            if (cores == 1)
                break;
        }
    }
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
    addBreakEvens();
    return 0;
}();

} // namespace
