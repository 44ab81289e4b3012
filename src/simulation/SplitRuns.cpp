#include "simulation/SplitRuns.h"

#include "simulation/Generator.h"
#include "simulation/ShareOut.h"

#include <vector>

void countSplitRuns(const SimulationKernel::CycleKernel& kernel, unsigned threads,
                    std::uint32_t state, std::int32_t engines, std::int64_t runs,
                    std::uint32_t threshold, FailureCount* histogram)
{
    const auto lanes = static_cast<unsigned>(kernel.countLanes);
    const auto drawsPerRun = static_cast<std::uint64_t>(engines);
    const std::uint64_t stretchCount = std::uint64_t{lanes} * threads;
    const auto stretch = static_cast<std::uint32_t>(drawsPerRun / stretchCount);
    // Job j counts the j % threads-th group of `lanes` stretches of run j / threads.
    std::vector<std::uint32_t> failures(static_cast<std::size_t>(runs) * threads, 0u);
    shareOut(threads, static_cast<std::uint32_t>(failures.size()),
             [&](std::uint32_t job, unsigned) {
                 const std::uint64_t first = std::uint64_t{job / threads} * drawsPerRun +
                                             std::uint64_t{job % threads} * lanes * stretch;
                 const SimulationKernel::LaneStates starts =
                     SimulationKernel::laneStarts(state, first, stretch, kernel.countLanes);
                 SimulationKernel::LaneStates counts{};
                 kernel.count({.laneStarts = starts.data(),
                               .threshold = threshold,
                               .checkpoints = &stretch,
                               .checkpointCount = 1,
                               .counts = counts.data()});
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
