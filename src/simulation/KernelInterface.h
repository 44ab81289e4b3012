#pragma once

#include <cstddef>
#include <cstdint>

namespace SimulationKernel {

// Below this engine count a kernel counts each lane's runs in bit fields of one register: up to 16
// counts of at least 2 bits each fit into 32 bits. From it on a run's count goes to a histogram in
// memory.
inline constexpr std::int32_t packedEngineLimit = 16;

// Where a kernel counts: `copies` histograms of engines + 1 counts, `stride` counts apart. Lanes
// that count run by run spread over the copies, so that their increments do not wait for each
// other; the caller adds the copies up.
struct LaneHistograms
{
    std::uint32_t* counts;
    int copies;
    std::size_t stride;
};

// One instruction set's simulation loop over `lanes` lanes. simulate() adds the failure counts of
// runsPerLane runs per lane, lane l starting after generator state laneStarts[l], to the
// histograms, for engines >= 1 and a threshold of 1 .. 2^32 - 1.
struct LaneKernel
{
    int lanes;
    void (*simulate)(const std::uint32_t* laneStarts, std::int32_t engines,
                     std::int64_t runsPerLane, std::uint32_t threshold,
                     const LaneHistograms& histograms);
};

LaneKernel scalarKernel();
LaneKernel avx2Kernel();
LaneKernel avx512Kernel();

} // namespace SimulationKernel
