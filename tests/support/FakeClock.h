#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <optional>

// A clock whose readings the test sets: by default both the counter and the tick count read
// `state`; a counter that cannot be read makes the generator fall back to the tick count.
class FakeClock final : public platform::ClockSource
{
public:
    bool queryPerformanceCounter(std::uint64_t& value) override
    {
        if (counterWorks)
            value = counter.value_or(state);
        return counterWorks;
    }
    std::uint32_t tickCount() override { return ticks.value_or(state); }

    std::uint32_t state = 0;
    bool counterWorks = true;
    std::optional<std::uint64_t> counter; // when the counter reads other than `state`
    std::optional<std::uint32_t> ticks;   // when the tick count reads other than `state`
};
