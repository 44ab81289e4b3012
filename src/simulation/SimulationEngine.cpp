#include "simulation/SimulationEngine.h"

#include "platform/Exceptions.h"
#include "simulation/CyclePass.h"
#include "simulation/DirectRuns.h"
#include "simulation/Generator.h"
#include "simulation/Kernels.h"
#include "simulation/SimulationLogging.h"
#include "simulation/SplitRuns.h"
#include "simulation/ThreadPolicy.h"

#include <new>

Q_LOGGING_CATEGORY(lcSimulation, "triebwerke.simulation", QtWarningMsg)

namespace {

// Without its scratch the cycle pass leaves the input to drawing every run only where that takes
// at most this many times as long: beyond, months of drawing would stand in for a second's pass.
constexpr double maxSlowdownWithoutScratch = 16;

bool useCyclePass(const SimulationSettings& settings, InstructionSet instructionSet,
                  std::int32_t engines, std::int32_t runs, std::uint32_t threshold)
{
    switch (settings.method) {
    case SimulationMethod::Direct:
        return false;
    case SimulationMethod::CyclePass:
        return true;
    case SimulationMethod::Automatic:
        break;
    }
    return cyclePassIsCheaper(engines, runs, threshold, instructionSet, wantedThreads(settings));
}

// Whether the cycle pass counted the runs; false where it could not get its memory and drawing
// every run is not much dearer. Throws EOutOfMemory where it is.
bool passAroundTheCycle(const Kernels& kernels, const SimulationSettings& settings,
                        std::uint32_t state, std::int32_t engines, std::int32_t runs,
                        std::uint32_t threshold, FailureCount* histogram)
{
    const unsigned threads = wantedThreads(settings);
    try {
        cyclePassRuns(kernels.cycle, threads, state, engines, runs, threshold, histogram);
        qCInfo(lcSimulation, "cycle pass, %s, %u threads: %d engines, %d runs",
               instructionSetName(kernels.instructionSet), threads, engines, runs);
        return true;
    } catch (const std::bad_alloc&) {
        const double draws = static_cast<double>(engines) * static_cast<double>(runs);
        if (draws > maxSlowdownWithoutScratch *
                        cyclePassCostInDraws(engines, threshold, kernels.instructionSet, threads))
            throw EOutOfMemory();
        qCWarning(lcSimulation, "cycle pass without memory: every run drawn");
        return false;
    }
}

void drawEveryRun(const Kernels& kernels, const SimulationSettings& settings, std::uint32_t state,
                  std::int32_t engines, std::int32_t runs, std::uint32_t threshold,
                  FailureCount* histogram)
{
    std::int32_t laneRuns = runs;
    const char* setName = instructionSetName(kernels.instructionSet);
    if (engines > maxEnginesForThreads) {
        // One thread counts the runs by lanes; the runs short of a whole share for every lane
        // are cut up instead of being left to one chain.
        const auto split = static_cast<std::int32_t>(runs % kernels.lanes.lanes);
        laneRuns = runs - split;
        if (split > 0) {
            const unsigned threads = wantedThreads(settings);
            qCInfo(lcSimulation, "runs cut into stretches, %s, %u threads: %d engines, %d runs",
                   setName, threads, engines, split);
            countSplitRuns(kernels.cycle, threads,
                           Lcg::jump(state, static_cast<std::uint64_t>(laneRuns) *
                                                static_cast<std::uint64_t>(engines)),
                           engines, split, threshold, histogram);
        }
        if (laneRuns == 0)
            return;
    }
    const unsigned threads = directThreads(settings, engines, laneRuns, kernels.lanes.lanes);
    qCInfo(lcSimulation, "direct, %s, %u threads: %d engines, %d runs", setName, threads, engines,
           laneRuns);
    if (threads <= 1) {
        drawRuns(kernels.lanes, state, engines, laneRuns, threshold, histogram);
        return;
    }
    try {
        drawRunsInThreads(kernels.lanes, threads, state, engines, laneRuns, threshold, histogram);
    } catch (const std::bad_alloc&) {
        // Without memory for the threads' own histograms, which are allocated before anything is
        // counted, one thread does it all.
        drawRuns(kernels.lanes, state, engines, laneRuns, threshold, histogram);
    }
}

} // namespace

std::uint64_t simulationScratchBytes(std::int32_t engines, std::int32_t runs,
                                     std::uint64_t threshold, const SimulationSettings& settings)
{
    if (runs <= 0 || engines <= 0 || threshold == 0 || threshold > 0xFFFFFFFFu)
        return 0;
    const auto limit = static_cast<std::uint32_t>(threshold);
    const Kernels kernels = kernelsFor(settings.instructionSet);
    if (!useCyclePass(settings, kernels.instructionSet, engines, runs, limit))
        return 0;
    return cyclePassScratchBytes(kernels.cycle, wantedThreads(settings), engines, runs, limit);
}

std::uint32_t simulateRuns(std::uint32_t state, std::int32_t engines, std::int32_t runs,
                           std::uint64_t threshold, FailureCount* histogram,
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

    const auto limit = static_cast<std::uint32_t>(threshold);
    const Kernels kernels = kernelsFor(settings.instructionSet);
    try {
        if (useCyclePass(settings, kernels.instructionSet, engines, runs, limit) &&
            passAroundTheCycle(kernels, settings, state, engines, runs, limit, histogram))
            return end;
        drawEveryRun(kernels, settings, state, engines, runs, limit, histogram);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
    return end;
}
