#pragma once

// The largest exponent that one scaling applies in at most three table factors.
inline constexpr int maxSinglePowerOfTen = 5119;

// value x 10^exponent (division for a negative exponent), applied as up to three factors
// 10^(n mod 32), 10^(32 x ((n div 32) mod 16)) and 10^(512 x (n div 512)) for n = |exponent|, in
// this order, each operation rounded to nearest with a 64-bit significand.
long double scaleByPowerOfTen(long double value, int exponent);
