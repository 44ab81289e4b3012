#pragma once

// The few operations of the program whose floating-point faults are errors, not values: they
// throw EInvalidOp, EZeroDivide or EOverflow instead of producing a NaN or an infinity.

// dividend / divisor with a 64-bit significand, rounded to nearest.
long double checkedDivide(long double dividend, long double divisor);

// The value rounded to double; EOverflow when it lies beyond the double range.
double checkedToDouble(long double value);
