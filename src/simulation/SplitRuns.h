#pragma once

#include "simulation/KernelInterface.h"

#include <cstdint>

// Runs too few to give each lane of the lane kernel one, of more engines than threads can share
// out by runs, would be drawn one after another in a single chain: half a billion engines take
// seconds a run. Each run is cut into one stretch of draws per counting lane and thread instead;
// its failures are those of its stretches, plus the few draws after the last stretch. Adds the
// runs' failure counts to `histogram` as drawRuns() would.
void countSplitRuns(const SimulationKernel::CycleKernel& kernel, unsigned threads,
                    std::uint32_t state, std::int32_t engines, std::int64_t runs,
                    std::uint32_t threshold, FailureCount* histogram);
