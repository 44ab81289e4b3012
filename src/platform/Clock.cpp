#include "platform/Clock.h"

#include <ctime>

namespace platform {
namespace {

class SystemClock final : public ClockSource
{
public:
    bool queryPerformanceCounter(std::uint64_t& counter) override
    {
        timespec now{};
        if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
            return false;
        counter = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
                  static_cast<std::uint64_t>(now.tv_nsec);
        return true;
    }

    std::uint32_t tickCount() override
    {
        timespec now{};
        if (clock_gettime(CLOCK_BOOTTIME, &now) != 0)
            return 0;
        const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                  static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
        return static_cast<std::uint32_t>(milliseconds);
    }
};

SystemClock g_systemClock;
ClockSource* g_clock = &g_systemClock;

} // namespace

bool QueryPerformanceCounter(std::uint64_t& counter)
{
    return g_clock->queryPerformanceCounter(counter);
}

std::uint32_t GetTickCount()
{
    return g_clock->tickCount();
}

ScopedClockSource::ScopedClockSource(ClockSource& source)
    : ScopedReplacement(g_clock, source)
{}

} // namespace platform
