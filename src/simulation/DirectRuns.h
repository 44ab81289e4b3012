#pragma once

#include "simulation/KernelInterface.h"

#include <cstdint>

// Drawing every run: the runs dealt out in contiguous shares to the kernel's lanes, each lane
// starting from the state the plain sequence reaches there. Adds the failure counts of `runs` runs
// of `engines` engines (>= 1) after `state` to `histogram`, a draw failing below `threshold`
// (1 .. 2^32 - 1), on one thread or shared out to `threads`.
void drawRuns(const SimulationKernel::LaneKernel& kernel, std::uint32_t state, std::int32_t engines,
              std::int64_t runs, std::uint32_t threshold, FailureCount* histogram);
void drawRunsInThreads(const SimulationKernel::LaneKernel& kernel, unsigned threads,
                       std::uint32_t state, std::int32_t engines, std::int32_t runs,
                       std::uint32_t threshold, FailureCount* histogram);
