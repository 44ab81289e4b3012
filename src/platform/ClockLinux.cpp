#include "platform/Clock.h"

#include <ctime>

namespace platform {

std::optional<std::uint64_t> monotonicTicks()
{
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
           static_cast<std::uint64_t>(now.tv_nsec);
}

std::uint32_t millisecondsSinceBoot()
{
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return 0;
    const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                              static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
    return static_cast<std::uint32_t>(milliseconds);
}

} // namespace platform
