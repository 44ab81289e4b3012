#pragma once

#include <cstdint>
#include <optional>

// The random number generator: a 32-bit linear congruential generator with full period 2^32. Its
// state is a plain number that every caller holds and passes on; a draw is the state after one
// step, read as a fraction of 2^32.
namespace Lcg {
inline constexpr std::uint32_t multiplier = 134775813u; // 0x08088405
inline constexpr std::uint32_t increment = 1u;
inline constexpr std::uint64_t period = std::uint64_t{1} << 32;

constexpr std::uint32_t next(std::uint32_t state)
{
    return state * multiplier + increment;
}

// The state k steps after `state`, by composing the affine step with itself in O(log k).
constexpr std::uint32_t jump(std::uint32_t state, std::uint64_t steps)
{
    std::uint32_t a = multiplier;
    std::uint32_t c = increment;
    std::uint32_t totalA = 1;
    std::uint32_t totalC = 0;
    while (steps != 0) {
        if (steps & 1u) {
            totalA *= a;
            totalC = totalC * a + c;
        }
        c = c * a + c;
        a *= a;
        steps >>= 1;
    }
    return state * totalA + totalC;
}
} // namespace Lcg

// The state a simulation starts from when no one chooses it: the low 32 bits of the monotonic
// clock's nanoseconds, or its milliseconds since boot when that clock cannot be read.
std::uint32_t seedFromClock();
std::uint32_t seedFrom(std::optional<std::uint64_t> monotonicTicks,
                       std::uint32_t millisecondsSinceBoot);
