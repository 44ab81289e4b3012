#pragma once

#include "simulation/FailureHistogram.h"
#include "simulation/KernelInterface.h"
#include "simulation/SimulationEngine.h"

#include <cstdint>

// The generator repeats after 2^32 draws, so a long simulation draws the same windows again and
// again: run r counts the failures among draws r x engines to r x engines + engines - 1 of the
// call, and that count depends only on where the window begins on the cycle. The cycle pass slides
// a window of `engines` draws once around the whole cycle, its count moving by the draw entering
// minus the draw leaving, and adds each position's count as often as runs begin there. Its cost is
// a few times 2^32 generator steps, whatever the number of runs; the histogram and the end state
// are those of the plain loop.

// What a pass costs, in draws of the direct loop on the same instruction set and `threads` threads,
// for engines >= 1 and a threshold of 1 .. 2^32 - 1.
double cyclePassCostInDraws(std::int32_t engines, std::uint32_t threshold,
                            InstructionSet instructionSet, unsigned threads);

// Whether the cycle pass beats drawing every run, for engines >= 1, runs >= 1 and a threshold of
// 1 .. 2^32 - 1, on that instruction set and that many threads: the one place that decides
// between them.
bool cyclePassIsCheaper(std::int32_t engines, std::int32_t runs, std::uint32_t threshold,
                        InstructionSet instructionSet, unsigned threads);

// The working memory cyclePassRuns() takes with these arguments, in bytes.
std::uint64_t cyclePassScratchBytes(const SimulationKernel::CycleKernel& kernel, unsigned threads,
                                    std::int32_t engines, std::int32_t runs,
                                    std::uint32_t threshold);

// Adds the failure counts of `runs` runs of `engines` engines after generator state `state` to
// `histogram`, a draw failing below `threshold` (1 .. 2^32 - 1), for engines >= 1 and runs >= 1,
// on up to `threads` threads. Without memory for that it makes do with one thread and no rings;
// when even that cannot be had it throws std::bad_alloc, the histogram untouched.
void cyclePassRuns(const SimulationKernel::CycleKernel& kernel, unsigned threads,
                   std::uint32_t state, std::int32_t engines, std::int32_t runs,
                   std::uint32_t threshold, FailureCount* histogram);
