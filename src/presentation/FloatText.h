#pragma once

#include <string>

// The decimal digits of a floating-point value, cut for a given number of decimals.
struct FloatDigits
{
    enum class Kind { Finite, PositiveInfinity, NegativeInfinity, NaN };

    Kind kind = Kind::Finite;
    bool negative = false; // never set for a value that comes out as zero
    std::string digits;    // at most 18 significant digits; empty for zero
    int exponent = 0;      // the value is 0.d1d2d3... x 10^exponent
};

// Turns the value into at most 18 significant digits (scaling with a 64-bit significand and
// rounding the cut digits half away from zero, by the first dropped digit only), as fixed
// notation with `decimals` decimals shows them.
FloatDigits floatToDigits(long double value, int decimals);

// The value's text in fixed notation with `decimals` decimals, UTF-8. A NUL separator is left
// out. Values of 10^18 and more switch to exponent notation ("1,5E20").
std::string fixedText(long double value, int decimals, char16_t decimalSeparator);

// The same with the integer digits grouped in threes, each boundary marked by the thousands
// separator unless that is NUL. Values of 10^18 and more keep the fixed form too, with every digit
// of the value rounded to a whole number (every double of that size is one), so that the text
// reads back as the same double.
std::string groupedFixedText(long double value, int decimals, char16_t decimalSeparator,
                             char16_t thousandSeparator);
