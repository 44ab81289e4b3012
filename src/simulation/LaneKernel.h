#pragma once

#include <cstdint>

namespace SimulationKernel {

// One instruction set's simulation loop over `lanes` lanes. simulate() adds the failure counts of
// runsPerLane runs per lane, lane l starting after generator state laneStarts[l], to `histogram`
// (engines + 1 counts), for engines >= 1 and a threshold of 1 .. 2^32 - 1.
struct LaneKernel
{
    int lanes;
    void (*simulate)(const std::uint32_t* laneStarts, std::int32_t engines,
                     std::int64_t runsPerLane, std::uint32_t threshold, std::uint32_t* histogram);
};

LaneKernel scalarKernel();
LaneKernel avx2Kernel();
LaneKernel avx512Kernel();

} // namespace SimulationKernel
