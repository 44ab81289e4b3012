#include "presentation/CheckedArithmetic.h"

#include "platform/Exceptions.h"

#include <cmath>

long double checkedDivide(long double dividend, long double divisor)
{
    if (std::isnan(dividend) || std::isnan(divisor))
        throw EInvalidOp();
    if (divisor == 0) {
        if (dividend == 0)
            throw EInvalidOp();
        if (!std::isinf(dividend))
            throw EZeroDivide();
    }
    if (std::isinf(dividend) && std::isinf(divisor))
        throw EInvalidOp();
    const long double quotient = dividend / divisor;
    if (std::isinf(quotient) && !std::isinf(dividend))
        throw EOverflow();
    return quotient;
}

double checkedToDouble(long double value)
{
    const auto rounded = static_cast<double>(value);
    if (std::isinf(rounded) && !std::isinf(value))
        throw EOverflow();
    return rounded;
}
