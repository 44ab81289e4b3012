#pragma once

#include <cstdint>
#include <limits>

// Every intermediate result of the program's arithmetic has a 64-bit significand: long double is
// the x87 extended type on both systems the program is built for.
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the x87 extended type (64-bit significand)");

namespace platform {

// The x87 control word the arithmetic relies on: every exception masked, a 64-bit significand,
// rounding to nearest, ties to even (0x037F).
inline constexpr std::uint16_t extendedPrecisionControlWord = 0x037F;

std::uint16_t x87ControlWord();

// Sets the control word above where a runtime or a library left another one (Windows' runtimes
// and some graphics drivers choose a 53-bit significand) and logs what it found. Call at start-up,
// before any arithmetic.
void ensureExtendedPrecision();

// Keeps the floating-point environment across a call into the system that may change it (a
// dialog loading a library, a driver); restores it when it goes.
class FloatingPointGuard
{
public:
    FloatingPointGuard();
    ~FloatingPointGuard();
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

private:
    std::uint16_t m_controlWord;
    std::uint32_t m_vectorControl;
};

} // namespace platform
