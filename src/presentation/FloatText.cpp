#include "presentation/FloatText.h"

#include "presentation/PowersOfTen.h"
#include "presentation/TextEncoding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int significantDigits = 18;

void dropTrailingZeros(std::string& digits)
{
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
}

std::string eighteenDigits(long double magnitude, int& exponent)
{
    // Estimate the decimal exponent from the binary one: 19728 / 65536 lies just below log10(2).
    const int binaryExponent = std::ilogb(magnitude);
    exponent = ((binaryExponent * 19728) >> 16) + 1;
    long double scaled = std::rint(scaleByPowerOfTen(magnitude, significantDigits - exponent));
    while (scaled >= 1e18L) {
        scaled = std::rint(scaled / 10);
        ++exponent;
    }
    auto number = static_cast<std::uint64_t>(scaled);
    std::string digits(significantDigits, '0');
    for (auto position = digits.rbegin(); position != digits.rend(); ++position) {
        *position = static_cast<char>('0' + number % 10);
        number /= 10;
    }
    return digits;
}

void appendDigitsFrom(std::string& text, const std::string& digits, int from, int count)
{
    for (int position = from; position < from + count; ++position)
        text += position < static_cast<int>(digits.size())
                    ? digits[static_cast<std::size_t>(position)]
                    : '0';
}

std::string specialText(const FloatDigits& digits)
{
    switch (digits.kind) {
    case FloatDigits::Kind::PositiveInfinity:
        return "INF";
    case FloatDigits::Kind::NegativeInfinity:
        return "-INF";
    case FloatDigits::Kind::NaN:
        return "NAN";
    case FloatDigits::Kind::Finite:
        break;
    }
    return {};
}

std::string exponentText(const FloatDigits& number, int decimals, char16_t decimalSeparator)
{
    std::string text = number.negative ? "-" : "";
    text += number.digits.front();
    if (number.digits.size() > 1) {
        // The separator is written even when it is NUL, as the number's own text demands.
        if (decimalSeparator == u'\0')
            text += '\0';
        else
            appendUtf8(text, decimalSeparator);
        text.append(number.digits, 1);
    }
    std::string power = std::to_string(number.exponent - 1);
    if (decimals <= 4 && static_cast<int>(power.size()) < decimals)
        power.insert(0, static_cast<std::size_t>(decimals) - power.size(), '0');
    return text + 'E' + power;
}

// Every decimal digit of the value rounded to a whole number, half away from zero. A long double
// is m x 2^e with a 64-bit m, so its digits come from m doubled e times, in base 10^9.
FloatDigits wholeNumberDigits(long double value)
{
    FloatDigits result;
    int binaryExponent = 0;
    const long double fraction = std::frexp(std::fabs(value), &binaryExponent);
    std::uint64_t mantissa = 0;
    int shift = binaryExponent - 64;
    if (shift >= 0) {
        mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    } else {
        mantissa = static_cast<std::uint64_t>(std::round(std::ldexp(fraction, binaryExponent)));
        shift = 0;
    }
    constexpr std::uint64_t limbBase = 1000000000;
    std::vector<std::uint64_t> limbs; // little-endian, each below limbBase
    for (; mantissa != 0; mantissa /= limbBase)
        limbs.push_back(mantissa % limbBase);
    while (shift > 0) {
        const int step = std::min(shift, 29);
        std::uint64_t carry = 0;
        for (std::uint64_t& limb : limbs) {
            const std::uint64_t product = (limb << step) + carry;
            limb = product % limbBase;
            carry = product / limbBase;
        }
        for (; carry != 0; carry /= limbBase)
            limbs.push_back(carry % limbBase);
        shift -= step;
    }
    for (auto limb = limbs.rbegin(); limb != limbs.rend(); ++limb) {
        const std::string part = std::to_string(*limb);
        if (limb != limbs.rbegin())
            result.digits.append(9 - part.size(), '0');
        result.digits += part;
    }
    result.exponent = static_cast<int>(result.digits.size());
    dropTrailingZeros(result.digits);
    result.negative = value < 0 && !result.digits.empty();
    return result;
}

std::string fixedLayout(const FloatDigits& number, int decimals, char16_t decimalSeparator,
                        char16_t thousandSeparator)
{
    std::string integerPart;
    if (number.exponent <= 0)
        integerPart = "0";
    else
        appendDigitsFrom(integerPart, number.digits, 0, number.exponent);

    std::string text = number.negative ? "-" : "";
    if (thousandSeparator == u'\0') {
        text += integerPart;
    } else {
        for (std::size_t i = 0; i < integerPart.size(); ++i) {
            if (i > 0 && (integerPart.size() - i) % 3 == 0)
                appendUtf8(text, thousandSeparator);
            text += integerPart[i];
        }
    }

    if (decimals > 0) {
        if (decimalSeparator != u'\0')
            appendUtf8(text, decimalSeparator);
        int leadingZeros = 0;
        if (number.exponent < 0) {
            leadingZeros = std::min(decimals, -number.exponent);
            text.append(static_cast<std::size_t>(leadingZeros), '0');
        }
        appendDigitsFrom(text, number.digits, std::max(number.exponent, 0),
                         decimals - leadingZeros);
    }
    return text;
}

} // namespace

FloatDigits floatToDigits(long double value, int decimals)
{
    FloatDigits result;
    if (std::isnan(value)) {
        result.kind = FloatDigits::Kind::NaN;
        return result;
    }
    if (std::isinf(value)) {
        result.kind =
            value < 0 ? FloatDigits::Kind::NegativeInfinity : FloatDigits::Kind::PositiveInfinity;
        return result;
    }
    const int category = std::fpclassify(value);
    if (category == FP_ZERO || category == FP_SUBNORMAL)
        return result;

    int exponent = 0;
    std::string digits = eighteenDigits(std::fabs(value), exponent);
    const int keep = exponent + decimals;
    if (keep < 0)
        return result;
    if (keep >= significantDigits) {
        dropTrailingZeros(digits);
    } else if (digits[static_cast<std::size_t>(keep)] >= '5') {
        // Half away from zero, decided by the first dropped digit alone.
        digits.resize(static_cast<std::size_t>(keep));
        while (!digits.empty() && digits.back() == '9')
            digits.pop_back();
        if (digits.empty()) {
            digits = "1";
            ++exponent;
        } else {
            ++digits.back();
        }
    } else {
        digits.resize(static_cast<std::size_t>(keep));
        dropTrailingZeros(digits);
        if (digits.empty())
            return result;
    }
    result.negative = value < 0;
    result.digits = std::move(digits);
    result.exponent = exponent;
    return result;
}

std::string fixedText(long double value, int decimals, char16_t decimalSeparator)
{
    const FloatDigits number = floatToDigits(value, decimals);
    if (number.kind != FloatDigits::Kind::Finite)
        return specialText(number);
    if (number.exponent > significantDigits)
        return exponentText(number, decimals, decimalSeparator);
    return fixedLayout(number, decimals, decimalSeparator, u'\0');
}

std::string groupedFixedText(long double value, int decimals, char16_t decimalSeparator,
                             char16_t thousandSeparator)
{
    const FloatDigits number = floatToDigits(value, decimals);
    if (number.kind != FloatDigits::Kind::Finite)
        return specialText(number);
    if (number.exponent > significantDigits)
        return fixedLayout(wholeNumberDigits(value), decimals, decimalSeparator, thousandSeparator);
    return fixedLayout(number, decimals, decimalSeparator, thousandSeparator);
}
