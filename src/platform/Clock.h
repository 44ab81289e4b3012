#pragma once

#include "platform/ScopedReplacement.h"

#include <cstdint>

namespace platform {

// The clock that seeds the random number generator. Tests and the report tool install their own
// source to make a simulation start from a chosen state.
class ClockSource
{
public:
    virtual ~ClockSource() = default;
    // A high-resolution, monotonically increasing counter; false when it cannot be read.
    virtual bool queryPerformanceCounter(std::uint64_t& counter) = 0;
    // Milliseconds since the system started, truncated to 32 bits.
    virtual std::uint32_t tickCount() = 0;
};

bool QueryPerformanceCounter(std::uint64_t& counter);
std::uint32_t GetTickCount();

// Routes the two clock functions to another source for as long as it lives.
class ScopedClockSource : public ScopedReplacement<ClockSource>
{
public:
    explicit ScopedClockSource(ClockSource& source);
};

} // namespace platform
