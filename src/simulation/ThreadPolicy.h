#pragma once

#include "simulation/SimulationEngine.h"

#include <cstdint>

// A thread of the direct loop adds a histogram of its own; for very many engines that would
// outweigh the gain.
inline constexpr std::int32_t maxEnginesForThreads = 1 << 20;

// The threads the settings ask for: their own count, or one per hardware thread.
unsigned wantedThreads(const SimulationSettings& settings);

// The threads the direct loop shares `runs` runs of `engines` engines out to, each taking whole
// shares of `lanes` runs: one where a thread would get too few draws to pay for itself.
unsigned directThreads(const SimulationSettings& settings, std::int32_t engines, std::int32_t runs,
                       int lanes);
