#include "simulation/SimulationEngine.h"

#include "simulation/CyclePass.h"
#include "simulation/Generator.h"
#include "simulation/KernelInterface.h"
#include "simulation/ShareOut.h"

#include <QLoggingCategory>

#include <algorithm>
#include <array>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

// Which method and instruction set a simulation ran with; off unless QT_LOGGING_RULES asks for
// "triebwerke.simulation.debug=true".
Q_LOGGING_CATEGORY(lcSimulation, "triebwerke.simulation", QtWarningMsg)

namespace {

// A thread adds a histogram of its own; for very many engines that would outweigh the gain.
constexpr std::int32_t maxEnginesForThreads = 1 << 20;

InstructionSet usable(InstructionSet instructionSet)
{
    return isSupported(instructionSet) ? instructionSet : InstructionSet::Scalar;
}

const char* nameOf(InstructionSet instructionSet)
{
    switch (instructionSet) {
    case InstructionSet::Avx512:
        return "AVX-512";
    case InstructionSet::Avx2:
        return "AVX2";
    case InstructionSet::Scalar:
        break;
    }
    return "scalar";
}

SimulationKernel::LaneKernel kernelFor(InstructionSet instructionSet)
{
    switch (usable(instructionSet)) {
    case InstructionSet::Avx512:
        return SimulationKernel::avx512Kernel();
    case InstructionSet::Avx2:
        return SimulationKernel::avx2Kernel();
    case InstructionSet::Scalar:
        break;
    }
    return SimulationKernel::scalarKernel();
}

SimulationKernel::CycleKernel cycleKernelFor(InstructionSet instructionSet)
{
    switch (usable(instructionSet)) {
    case InstructionSet::Avx512:
        return SimulationKernel::avx512CycleKernel();
    case InstructionSet::Avx2:
        return SimulationKernel::avx2CycleKernel();
    case InstructionSet::Scalar:
        break;
    }
    return SimulationKernel::scalarCycleKernel();
}

unsigned wantedThreads(const SimulationSettings& settings)
{
    return settings.threads != 0 ? settings.threads
                                 : std::max(1u, std::thread::hardware_concurrency());
}

bool useCyclePass(const SimulationSettings& settings, std::int32_t engines, std::int32_t runs,
                  std::uint32_t threshold)
{
    switch (settings.method) {
    case SimulationMethod::Direct:
        return false;
    case SimulationMethod::CyclePass:
        return true;
    case SimulationMethod::Automatic:
        break;
    }
    return cyclePassIsCheaper(engines, runs, threshold);
}

void sequentialRuns(std::uint32_t state, std::int32_t engines, std::int64_t runs,
                    std::uint32_t threshold, std::uint32_t* histogram)
{
    for (std::int64_t run = 0; run < runs; ++run) {
        std::uint32_t failed = 0;
        for (std::int32_t engine = 0; engine < engines; ++engine) {
            state = Lcg::next(state);
            failed += state < threshold;
        }
        ++histogram[failed];
    }
}

// Runs of packedEngineLimit engines and more are counted through memory, one increment per run
// and lane.
// Increments of the same count (most runs fail alike) wait for each other unless they go to
// different copies of the histogram; the copies' stride is kept off multiples of 4 KiB, whose
// equal page offsets the processor mistakes for overlapping addresses.
constexpr int histogramCopies = 8;
constexpr std::int32_t maxEnginesForCopies = 1 << 16;

void countInLanes(const SimulationKernel::LaneKernel& kernel, const std::uint32_t* laneStarts,
                  std::int32_t engines, std::int64_t runsPerLane, std::uint32_t threshold,
                  std::uint32_t* histogram)
{
    const auto counts = static_cast<std::size_t>(engines) + 1;
    if (engines < SimulationKernel::packedEngineLimit || engines > maxEnginesForCopies) {
        kernel.simulate(laneStarts, engines, runsPerLane, threshold, {histogram, 1, counts});
        return;
    }
    const std::size_t stride = (counts + 15) / 16 * 16 + 16;
    std::vector<std::uint32_t> copies;
    try {
        copies.assign(stride * histogramCopies, 0);
    } catch (const std::bad_alloc&) {
        // The copies only save time: without memory for them the lanes share the histogram.
        kernel.simulate(laneStarts, engines, runsPerLane, threshold, {histogram, 1, counts});
        return;
    }
    kernel.simulate(laneStarts, engines, runsPerLane, threshold,
                    {copies.data(), histogramCopies, stride});
    for (int copy = 0; copy < histogramCopies; ++copy)
        for (std::size_t k = 0; k < counts; ++k)
            histogram[k] += copies[static_cast<std::size_t>(copy) * stride + k];
}

// The runs are shared out evenly to the kernel's lanes; the few left over continue sequentially
// from the state where the last lane ended.
void simulateBlock(const SimulationKernel::LaneKernel& kernel, std::uint32_t state,
                   std::int32_t engines, std::int64_t runs, std::uint32_t threshold,
                   std::uint32_t* histogram)
{
    const std::int64_t runsPerLane = runs / kernel.lanes;
    const std::uint64_t drawsPerLane =
        static_cast<std::uint64_t>(runsPerLane) * static_cast<std::uint64_t>(engines);
    if (runsPerLane > 0) {
        alignas(64) std::array<std::uint32_t, 128> laneStarts{};
        for (int lane = 0; lane < kernel.lanes; ++lane)
            laneStarts[static_cast<std::size_t>(lane)] =
                Lcg::jump(state, static_cast<std::uint64_t>(lane) * drawsPerLane);
        countInLanes(kernel, laneStarts.data(), engines, runsPerLane, threshold, histogram);
    }
    sequentialRuns(Lcg::jump(state, static_cast<std::uint64_t>(kernel.lanes) * drawsPerLane),
                   engines, runs - runsPerLane * kernel.lanes, threshold, histogram);
}

// Runs too few to give each lane of the lane kernel one, of more engines than threads can share
// out by runs, would be drawn one after another in a single chain: half a billion engines take
// seconds a run. Each run is cut into one stretch of draws per counting lane and thread instead;
// its failures are those of its stretches, plus the few draws after the last stretch.
void countSplitRuns(const SimulationKernel::CycleKernel& kernel, unsigned threads,
                    std::uint32_t state, std::int32_t engines, std::int64_t runs,
                    std::uint32_t threshold, std::uint32_t* histogram)
{
    const auto lanes = static_cast<unsigned>(kernel.countLanes);
    const auto drawsPerRun = static_cast<std::uint64_t>(engines);
    const std::uint64_t stretchCount = std::uint64_t{lanes} * threads;
    const auto stretch = static_cast<std::uint32_t>(drawsPerRun / stretchCount);
    // Job j counts the j % threads-th group of `lanes` stretches of run j / threads.
    std::vector<std::uint32_t> failures(static_cast<std::size_t>(runs) * threads, 0u);
    shareOut(threads, static_cast<std::uint32_t>(failures.size()),
             [&](std::uint32_t job, unsigned) {
                 alignas(64) std::array<std::uint32_t, SimulationKernel::maxLanes> starts{};
                 alignas(64) std::array<std::uint32_t, SimulationKernel::maxLanes> counts{};
                 const std::uint64_t first = std::uint64_t{job / threads} * drawsPerRun +
                                             std::uint64_t{job % threads} * lanes * stretch;
                 for (unsigned lane = 0; lane < lanes; ++lane)
                     starts[lane] = Lcg::jump(state, first + std::uint64_t{lane} * stretch);
                 kernel.count({starts.data(), threshold, &stretch, 1, counts.data()});
                 for (unsigned lane = 0; lane < lanes; ++lane)
                     failures[job] += counts[lane];
             });
    const std::uint64_t counted = stretchCount * stretch;
    for (std::int64_t run = 0; run < runs; ++run) {
        std::uint32_t failed = 0;
        for (unsigned part = 0; part < threads; ++part)
            failed += failures[static_cast<std::size_t>(run) * threads + part];
        std::uint32_t drawn =
            Lcg::jump(state, static_cast<std::uint64_t>(run) * drawsPerRun + counted);
        for (std::uint64_t draw = counted; draw < drawsPerRun; ++draw) {
            drawn = Lcg::next(drawn);
            failed += drawn < threshold;
        }
        ++histogram[failed];
    }
}

unsigned threadCount(const SimulationSettings& settings, std::int32_t engines, std::int32_t runs,
                     int lanes)
{
    const std::uint64_t draws =
        static_cast<std::uint64_t>(engines) * static_cast<std::uint64_t>(runs);
    const std::uint64_t minDraws = std::max<std::uint64_t>(1, settings.minDrawsPerThread);
    if (draws < 2 * minDraws || engines > maxEnginesForThreads)
        return 1;
    const unsigned wanted = wantedThreads(settings);
    const std::uint64_t byDraws = draws / minDraws;
    const std::uint64_t byRuns =
        static_cast<std::uint64_t>(runs) / static_cast<std::uint64_t>(lanes);
    return static_cast<unsigned>(
        std::max<std::uint64_t>(1, std::min({std::uint64_t{wanted}, byDraws, byRuns})));
}

void simulateInThreads(const SimulationKernel::LaneKernel& kernel, unsigned threads,
                       std::uint32_t state, std::int32_t engines, std::int32_t runs,
                       std::uint32_t threshold, std::uint32_t* histogram)
{
    const auto counts = static_cast<std::size_t>(engines) + 1;
    // Everything is allocated before the first thread starts, so that nothing can fail while one
    // runs; a block itself allocates nothing it cannot do without.
    std::vector<std::vector<std::uint32_t>> histograms(threads - 1,
                                                       std::vector<std::uint32_t>(counts, 0u));
    std::vector<std::thread> workers;
    workers.reserve(threads - 1);

    // Each thread takes a contiguous block of runs from the state the sequence reaches there.
    std::int64_t firstRun = 0;
    auto nextBlock = [&](unsigned index) {
        const std::int64_t share =
            runs / threads + (index < static_cast<unsigned>(runs % threads) ? 1 : 0);
        const std::uint32_t start = Lcg::jump(state, static_cast<std::uint64_t>(firstRun) *
                                                         static_cast<std::uint64_t>(engines));
        firstRun += share;
        return std::pair{start, share};
    };
    const auto [ownStart, ownShare] = nextBlock(0);
    for (unsigned index = 1; index < threads; ++index) {
        const auto [start, share] = nextBlock(index);
        std::uint32_t* target = histograms[index - 1].data();
        try {
            workers.emplace_back([&kernel, start, share, engines, threshold, target] {
                simulateBlock(kernel, start, engines, share, threshold, target);
            });
        } catch (const std::system_error&) {
            // No thread to be had: this one does the block itself.
            simulateBlock(kernel, start, engines, share, threshold, target);
        }
    }
    simulateBlock(kernel, ownStart, engines, ownShare, threshold, histogram);
    for (std::thread& worker : workers)
        worker.join();
    for (const std::vector<std::uint32_t>& counted : histograms)
        for (std::size_t k = 0; k < counts; ++k)
            histogram[k] += counted[k];
}

} // namespace

bool isSupported(InstructionSet instructionSet)
{
    switch (instructionSet) {
    case InstructionSet::Avx512:
        return __builtin_cpu_supports("avx512f");
    case InstructionSet::Avx2:
        return __builtin_cpu_supports("avx2");
    case InstructionSet::Scalar:
        return true;
    }
    return false;
}

InstructionSet bestInstructionSet()
{
    for (const InstructionSet candidate : {InstructionSet::Avx512, InstructionSet::Avx2})
        if (isSupported(candidate))
            return candidate;
    return InstructionSet::Scalar;
}

std::uint32_t simulateRuns(std::uint32_t state, std::int32_t engines, std::int32_t runs,
                           std::uint64_t threshold, std::int32_t* histogram,
                           const SimulationSettings& settings)
{
    if (runs <= 0)
        return state;
    const std::uint64_t draws =
        static_cast<std::uint64_t>(engines) * static_cast<std::uint64_t>(runs);
    const std::uint32_t end = Lcg::jump(state, draws);
    // The determined cases need no draw at all: no engine, none can fail, or all must.
    if (engines == 0 || threshold == 0) {
        histogram[0] += runs;
        return end;
    }
    if (threshold > 0xFFFFFFFFu) {
        histogram[engines] += runs;
        return end;
    }

    // Counts never exceed the run count, so the signed histogram holds them as unsigned ones.
    auto* counts = reinterpret_cast<std::uint32_t*>(histogram);
    const auto limit = static_cast<std::uint32_t>(threshold);
    const InstructionSet instructionSet = usable(settings.instructionSet);
    if (useCyclePass(settings, engines, runs, limit)) {
        const unsigned threads = wantedThreads(settings);
        try {
            cyclePassRuns(cycleKernelFor(instructionSet), threads, state, engines, runs, limit,
                          counts);
            qCInfo(lcSimulation, "cycle pass, %s, %u threads: %d engines, %d runs",
                   nameOf(instructionSet), threads, engines, runs);
            return end;
        } catch (const std::bad_alloc&) {
            // The cycle pass's working memory is taken before it counts anything; without it
            // every run is drawn.
        }
    }
    const SimulationKernel::LaneKernel kernel = kernelFor(instructionSet);
    std::int32_t laneRuns = runs;
    if (engines > maxEnginesForThreads) {
        // One thread counts the runs by lanes; the runs short of a whole share for every lane
        // are cut up instead of being left to one chain.
        const auto split = static_cast<std::int32_t>(runs % kernel.lanes);
        laneRuns = runs - split;
        if (split > 0) {
            const unsigned threads = wantedThreads(settings);
            qCInfo(lcSimulation, "runs cut into stretches, %s, %u threads: %d engines, %d runs",
                   nameOf(instructionSet), threads, engines, split);
            countSplitRuns(cycleKernelFor(instructionSet), threads,
                           Lcg::jump(state, static_cast<std::uint64_t>(laneRuns) *
                                                static_cast<std::uint64_t>(engines)),
                           engines, split, limit, counts);
        }
        if (laneRuns == 0)
            return end;
    }
    const unsigned threads = threadCount(settings, engines, laneRuns, kernel.lanes);
    qCInfo(lcSimulation, "direct, %s, %u threads: %d engines, %d runs", nameOf(instructionSet),
           threads, engines, laneRuns);
    if (threads <= 1) {
        simulateBlock(kernel, state, engines, laneRuns, limit, counts);
        return end;
    }
    try {
        simulateInThreads(kernel, threads, state, engines, laneRuns, limit, counts);
    } catch (const std::bad_alloc&) {
        // Without memory for the threads' own histograms, which are allocated before anything is
        // counted, one thread does it all.
        simulateBlock(kernel, state, engines, laneRuns, limit, counts);
    }
    return end;
}
