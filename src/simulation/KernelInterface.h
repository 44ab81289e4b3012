#pragma once

#include "simulation/FailureHistogram.h"
#include "simulation/Generator.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace SimulationKernel {

// Below this engine count a kernel counts each lane's runs in bit fields of one register: up to 16
// counts of at least 2 bits each fit into 32 bits. From it on a run's count goes to a histogram in
// memory.
inline constexpr std::int32_t packedEngineLimit = 16;

// Room for the lanes of the widest kernel.
inline constexpr int maxLanes = 128;

// The cycle pass cuts the generator's cycle into this many stretches, one per lane of a kernel
// call; every kernel's lane counts divide it.
inline constexpr std::uint32_t cycleStretchCount = 1024;

// The states a kernel's lanes start after, lane l's `first + l x spacing` steps after `state`.
using LaneStates = std::array<std::uint32_t, maxLanes>;
inline LaneStates laneStarts(std::uint32_t state, std::uint64_t first, std::uint64_t spacing,
                             int lanes)
{
    LaneStates starts{};
    for (int lane = 0; lane < lanes; ++lane)
        starts[static_cast<std::size_t>(lane)] =
            Lcg::jump(state, first + static_cast<std::uint64_t>(lane) * spacing);
    return starts;
}

// Where a kernel counts: `copies` histograms of engines + 1 counts, `stride` counts apart. Lanes
// that count run by run spread over the copies, so that their increments do not wait for each
// other; the caller adds the copies up.
struct LaneHistograms
{
    FailureCount* counts;
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

// Counting along the generator's cycle (see CyclePass.h): `lanes` lanes each walk the generator
// from laneStarts[l], and after checkpoints[i] steps (ascending) counts[i x lanes + l] holds the
// failures the lane drew so far.
struct CountJob
{
    const std::uint32_t* laneStarts;
    std::uint32_t threshold;
    const std::uint32_t* checkpoints;
    int checkpointCount;
    std::uint32_t* counts;
};

// The failure counts of the windows of engines draws along `lanes` contiguous stretches of the
// cycle, added up per count with the number of runs that begin at each position.
//
// Lane l walks `steps` positions (a multiple of 2^strideLog). Its window is the `engines` draws
// after leavingStates[l], up to the draw after enteringStates[l]; it slides one draw per step, its
// count moving by the draw entering minus the draw leaving. With a `ring` (room for engines x the
// kernel's ring bytes) the lane draws its first window itself, into the ring, and enteringStates
// is not read. Every 2^strideLog-th position, beginning with the first, begins runs: baseWeight of
// them, and one more where the lane's key lies below extraBelow; the key advances by keyStep,
// masked with keyMask, from one such position to the next.
//
// Levels are a window's failure count minus windowBase, plus an offset that spreads the lanes over
// copies of the tally window; lane l starts at startLevels[l], to which a lane with a ring adds its
// first window's count. A run's level goes to window[level] when it lies below windowSize,
// otherwise to histogram[level + windowBase] by an atomic addition. entryLevels and entryWeights
// have room for entryCapacity entries, at least lanes + 16 of them: the runs gathered there
// between two emptyings. For strideLog 0, eachRun makes every run an entry of its own instead of
// gathering the runs at one level first.
struct TallyJob
{
    const std::uint32_t* leavingStates;
    const std::uint32_t* enteringStates;
    const std::uint32_t* startLevels;
    const std::uint32_t* startKeys;
    std::uint32_t threshold;
    std::uint32_t engines;
    std::uint32_t steps;
    void* ring;
    bool eachRun;
    int strideLog;
    std::uint32_t baseWeight;
    std::uint32_t extraBelow;
    std::uint32_t keyStep;
    std::uint32_t keyMask;
    std::uint32_t* window;
    std::uint32_t windowSize;
    std::uint32_t windowBase;
    FailureCount* histogram;
    std::uint32_t* entryLevels;
    std::uint32_t* entryWeights;
    std::size_t entryCapacity;
};

// The tally comes in two loops, with lanes of their own: for strideLog 0, where the level is
// looked at after every draw, and for the others.
struct CycleKernel
{
    int countLanes;
    void (*count)(const CountJob& job);
    int everyLanes;
    void (*tallyEvery)(const TallyJob& job);
    int stridedLanes;
    void (*tallyStrided)(const TallyJob& job);
    // A ring's bytes per draw of the window, for either loop.
    int ringBytes;
};

CycleKernel scalarCycleKernel();
CycleKernel avx2CycleKernel();
CycleKernel avx512CycleKernel();

} // namespace SimulationKernel
