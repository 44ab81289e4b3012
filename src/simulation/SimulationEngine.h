#pragma once

#include "simulation/FailureHistogram.h"

#include <cstdint>
#include <optional>

// How the simulation uses the machine. The result never depends on it: every instruction set and
// every thread count yields the histogram and the final generator state of the plain sequential
// loop.
enum class InstructionSet { Scalar, Avx2, Avx512 };

// Drawing every run, or sliding a window once around the generator's cycle (CyclePass.h), or the
// cheaper of the two for the input at hand.
enum class SimulationMethod { Automatic, Direct, CyclePass };

bool isSupported(InstructionSet instructionSet);
InstructionSet bestInstructionSet();
// "AVX-512", "AVX2" or "scalar", as the log and the benchmarks name it.
const char* instructionSetName(InstructionSet instructionSet);

struct SimulationSettings
{
    InstructionSet instructionSet = bestInstructionSet();
    unsigned threads = 0; // 0: one per hardware thread
    // A simulation is shared out only when every thread gets at least this many draws; below that
    // a thread costs more than it saves.
    std::uint64_t minDrawsPerThread = std::uint64_t{1} << 22;
    SimulationMethod method = SimulationMethod::Automatic;
    // The memory a histogram may take; nothing for what the system can still give.
    std::optional<std::uint64_t> availableMemory = std::nullopt;
};

// Simulates `runs` runs of `engines` engines (engines >= 0) after generator state `state`, a draw
// failing when its new state lies below `threshold` (0 .. 2^32), adds each run to its failure
// count in `histogram` (engines + 1 counts) and returns the state after the last draw. Throws
// EOutOfMemory when it cannot get the working memory it needs; the histogram is unchanged then.
std::uint32_t simulateRuns(std::uint32_t state, std::int32_t engines, std::int32_t runs,
                           std::uint64_t threshold, FailureCount* histogram,
                           const SimulationSettings& settings);

// The working memory simulateRuns() needs besides the histogram, in bytes: the cycle pass's, where
// it takes that way; drawing every run makes do without any.
std::uint64_t simulationScratchBytes(std::int32_t engines, std::int32_t runs,
                                     std::uint64_t threshold, const SimulationSettings& settings);
