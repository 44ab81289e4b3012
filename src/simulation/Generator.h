#pragma once

#include <cstdint>

// The one process-wide state of the random number generator, a 32-bit linear congruential
// generator with full period 2^32. Only the user-interface thread touches it.
extern std::uint32_t GeneratorSeed;

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

// The state the clock gives: the high-resolution counter, or the millisecond tick count when the
// counter cannot be read. Only the low 32 bits of the counter count.
std::uint32_t clockSeed();

// Seeds the generator with clockSeed().
void SeedFromClock();

// Advances the generator one step and returns the new state divided by 2^32, 0 <= v <= 1 - 2^-32.
double NextUniform();
