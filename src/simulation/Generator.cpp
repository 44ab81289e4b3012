#include "simulation/Generator.h"

#include "platform/Clock.h"

std::uint32_t seedFrom(std::optional<std::uint64_t> monotonicTicks,
                       std::uint32_t millisecondsSinceBoot)
{
    return monotonicTicks ? static_cast<std::uint32_t>(*monotonicTicks) : millisecondsSinceBoot;
}

std::uint32_t seedFromClock()
{
    return seedFrom(platform::monotonicTicks(), platform::millisecondsSinceBoot());
}
