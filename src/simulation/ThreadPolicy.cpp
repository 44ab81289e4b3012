#include "simulation/ThreadPolicy.h"

#include <algorithm>
#include <thread>

unsigned wantedThreads(const SimulationSettings& settings)
{
    return settings.threads != 0 ? settings.threads
                                 : std::max(1u, std::thread::hardware_concurrency());
}

unsigned directThreads(const SimulationSettings& settings, std::int32_t engines, std::int32_t runs,
                       int lanes)
{
    const std::uint64_t draws =
        static_cast<std::uint64_t>(engines) * static_cast<std::uint64_t>(runs);
    const std::uint64_t minDraws = std::max<std::uint64_t>(1, settings.minDrawsPerThread);
    if (draws < 2 * minDraws || engines > maxEnginesForThreads)
        return 1;
    const unsigned wanted = wantedThreads(settings);
    const std::uint64_t byDraws = draws / minDraws;
    const std::uint64_t byRuns =
        static_cast<std::uint64_t>(runs) / static_cast<std::uint64_t>(lanes);
    return static_cast<unsigned>(
        std::max<std::uint64_t>(1, std::min({std::uint64_t{wanted}, byDraws, byRuns})));
}
