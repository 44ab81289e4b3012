#pragma once

#include "simulation/FailureHistogram.h"
#include "simulation/SimulationEngine.h"

#include <cstdint>

// The largest engine count whose histogram can be held (its length stays below 536,870,910).
inline constexpr std::int32_t maxEngineCount = 536'870'908;

// Simulates `runs` rockets of `engines` engines each, the generator starting from `startState`,
// leaves in `histogram` (engines + 1 elements) how many runs had exactly k failures and returns
// the generator's state after the last draw. A reliability above 1 is read as a percentage.
// Throws ERangeError for an engine count below 0 (below -1, or -1 with runs to simulate) or above
// maxEngineCount, EOutOfMemory when the histogram cannot be allocated or would take, with the
// simulation's working memory, more than the settings' available memory; the histogram is
// unchanged then. EOutOfMemory also when the simulation cannot get its working memory; the
// histogram holds zeros then.
std::uint32_t simulateFailures(std::int32_t engines, std::int32_t runs, FailureHistogram& histogram,
                               double reliability, std::uint32_t startState,
                               const SimulationSettings& settings = {});

// A percentage as a fraction, divided with a 64-bit significand and rounded to double, as the
// window reads a reliability above 1.
double fractionOfPercentage(double percent);

// The failure probability of one engine for a reliability as entered.
double failureProbability(double reliability);

// The number of 32-bit generator states s with s / 2^32 < p: a draw fails exactly when its state
// lies below this threshold. 0 for p <= 0 (and NaN), 2^32 for p >= 1.
std::uint64_t failureThreshold(double p);
