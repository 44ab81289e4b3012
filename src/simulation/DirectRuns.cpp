#include "simulation/DirectRuns.h"

#include "simulation/Generator.h"
#include "simulation/ShareOut.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

void sequentialRuns(std::uint32_t state, std::int32_t engines, std::int64_t runs,
                    std::uint32_t threshold, FailureCount* histogram)
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
                  FailureCount* histogram)
{
    const auto counts = static_cast<std::size_t>(engines) + 1;
    if (engines < SimulationKernel::packedEngineLimit || engines > maxEnginesForCopies) {
        kernel.simulate(laneStarts, engines, runsPerLane, threshold, {histogram, 1, counts});
        return;
    }
    const std::size_t stride = (counts + 15) / 16 * 16 + 16;
    std::vector<FailureCount> copies;
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

} // namespace

// The runs are shared out evenly to the kernel's lanes; the few left over continue sequentially
// from the state where the last lane ended.
void drawRuns(const SimulationKernel::LaneKernel& kernel, std::uint32_t state, std::int32_t engines,
              std::int64_t runs, std::uint32_t threshold, FailureCount* histogram)
{
    const std::int64_t runsPerLane = runs / kernel.lanes;
    const std::uint64_t drawsPerLane =
        static_cast<std::uint64_t>(runsPerLane) * static_cast<std::uint64_t>(engines);
    if (runsPerLane > 0) {
        const SimulationKernel::LaneStates starts =
            SimulationKernel::laneStarts(state, 0, drawsPerLane, kernel.lanes);
        countInLanes(kernel, starts.data(), engines, runsPerLane, threshold, histogram);
    }
    sequentialRuns(Lcg::jump(state, static_cast<std::uint64_t>(kernel.lanes) * drawsPerLane),
                   engines, runs - runsPerLane * kernel.lanes, threshold, histogram);
}

void drawRunsInThreads(const SimulationKernel::LaneKernel& kernel, unsigned threads,
                       std::uint32_t state, std::int32_t engines, std::int32_t runs,
                       std::uint32_t threshold, FailureCount* histogram)
{
    const auto counts = static_cast<std::size_t>(engines) + 1;
    // Every block but the first counts into a histogram of its own, allocated before the first
    // thread starts, so that nothing can fail while one runs.
    std::vector<std::vector<FailureCount>> histograms(threads - 1,
                                                      std::vector<FailureCount>(counts, 0));
    // Block b is a contiguous share of the runs, from the state the sequence reaches there.
    const std::int64_t even = runs / threads;
    const std::int64_t longer = runs % threads;
    shareOut(threads, threads, [&](std::uint32_t block, unsigned) {
        const std::int64_t first = even * block + std::min<std::int64_t>(block, longer);
        const std::int64_t share = even + (block < longer ? 1 : 0);
        FailureCount* target = block == 0 ? histogram : histograms[block - 1].data();
        drawRuns(kernel,
                 Lcg::jump(state,
                           static_cast<std::uint64_t>(first) * static_cast<std::uint64_t>(engines)),
                 engines, share, threshold, target);
    });
    for (const std::vector<FailureCount>& counted : histograms)
        for (std::size_t k = 0; k < counts; ++k)
            histogram[k] += counted[k];
}
