#pragma once

#include <cstdint>
#include <cstdlib>
#include <limits>

// The window is laid out in pixels at 96 dots per inch, and scaled from there to the display's
// DPI by the integer rule below.
inline constexpr int layoutDpi = 96;

// a × b ÷ c rounded to the nearest integer, halves away from zero, as the layout scaling does it.
// It answers -1 when c is 0 or the result does not fit 32 bits.
constexpr int scaledRound(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t quotient = product / c;
    const std::int64_t remainder = product % c;
    const std::int64_t twiceRemainder = remainder < 0 ? -2 * remainder : 2 * remainder;
    const std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    if (twiceRemainder >= divisor)
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(quotient);
}

// A length of the layout at the display's DPI.
constexpr int scaledFromLayout(int length, int dpi)
{
    return scaledRound(length, dpi, layoutDpi);
}
