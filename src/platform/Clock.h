#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// Ticks of the system's high-resolution monotonic counter (nanoseconds on Linux, the performance
// counter's own unit on Windows), fine enough that two clicks never read the same; nothing when it
// cannot be read.
std::optional<std::uint64_t> monotonicTicks();

// Milliseconds since the system started, truncated to 32 bits; 0 when unreadable.
std::uint32_t millisecondsSinceBoot();

} // namespace platform
