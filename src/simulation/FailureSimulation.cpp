#include "simulation/FailureSimulation.h"

#include "platform/Exceptions.h"
#include "platform/Memory.h"

#include <cmath>
#include <new>
#include <optional>

namespace {

// Histograms below this size (16 MiB) are taken without asking the system for its memory.
constexpr std::uint64_t askedMemoryFrom = std::uint64_t{1} << 24;

} // namespace

double fractionOfPercentage(double percent)
{
    return static_cast<double>(static_cast<long double>(percent) / 100);
}

double failureProbability(double reliability)
{
    const long double r = reliability > 1 ? fractionOfPercentage(reliability) : reliability;
    return static_cast<double>(1 - r);
}

std::uint64_t failureThreshold(double p)
{
    // s / 2^32 < p holds for an integer s exactly when s < ceil(p * 2^32); the product is exact.
    if (!(p > 0))
        return 0;
    if (p >= 1)
        return std::uint64_t{1} << 32;
    return static_cast<std::uint64_t>(std::ceil(p * 0x1p32));
}

std::uint32_t simulateFailures(std::int32_t engines, std::int32_t runs, FailureHistogram& histogram,
                               double reliability, std::uint32_t startState,
                               const SimulationSettings& settings)
{
    // With engines = -1 every run would count 0 failures at an index the empty histogram lacks.
    if (engines < -1 || engines > maxEngineCount || (engines == -1 && runs > 0))
        throw ERangeError();
    // Linux hands out memory it does not have and kills the program once it is touched; a
    // histogram larger than what the system can still give, with the simulation's working memory,
    // is one that cannot be allocated. The system is asked only where that is large enough to
    // matter.
    const std::uint64_t threshold = failureThreshold(failureProbability(reliability));
    const std::uint64_t bytes = static_cast<std::uint64_t>(engines + 1) * sizeof(FailureCount) +
                                simulationScratchBytes(engines, runs, threshold, settings);
    std::optional<std::uint64_t> room = settings.availableMemory;
    if (!room && bytes >= askedMemoryFrom)
        room = platform::availableMemory();
    if (room && bytes > *room)
        throw EOutOfMemory();
    try {
        const auto count = static_cast<std::size_t>(engines + 1);
        if (histogram.capacity() < count) {
            FailureHistogram counts;
            counts.reserve(count);
            platform::adviseHugePages(counts.data(), count * sizeof(FailureCount));
            histogram = std::move(counts);
        }
        histogram.assign(count, 0);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
    return simulateRuns(startState, engines, runs, threshold, histogram.data(), settings);
}
