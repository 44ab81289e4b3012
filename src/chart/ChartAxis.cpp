#include "chart/ChartAxis.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

// 10^exponent as the double nearest to it, read from its decimal: the C library's pow is not
// correctly rounded on every system (MinGW's misses 10^-3 by one unit in the last place), the
// reading of a decimal is.
double powerOfTenNearest(int exponent)
{
    const std::string text = "1e" + std::to_string(exponent);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        return exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return value;
}

constexpr std::array<std::int64_t, 3> niceMantissas = {1, 2, 5};

// 10^exponent as the nearest double. Up to 10^22 the powers are exact doubles, so dividing a
// whole number by one rounds once, and a tick of 3 x 0.1 is the double nearest 0.3, not
// 0.30000000000000004.
double scaled(std::int64_t whole, int exponent)
{
    constexpr int exactPowers = 22;
    if (exponent < 0 && -exponent <= exactPowers)
        return static_cast<double>(whole) / powerOfTenNearest(-exponent);
    return static_cast<double>(whole) * powerOfTenNearest(exponent);
}

// whole x 10^exponent written out, with -exponent decimals when the exponent is negative.
std::string decimalText(std::int64_t whole, int exponent, std::string_view separator)
{
    std::string digits = std::to_string(whole);
    if (exponent >= 0)
        return whole == 0 ? digits : digits + std::string(static_cast<std::size_t>(exponent), '0');
    const auto decimals = static_cast<std::size_t>(-exponent);
    if (digits.size() <= decimals)
        digits.insert(0, decimals + 1 - digits.size(), '0');
    digits.insert(digits.size() - decimals, separator);
    return digits;
}

int floorLog10(double value)
{
    int exponent = static_cast<int>(std::floor(std::log10(value)));
    // log10 may land a hair beside a whole number; the power itself decides.
    if (powerOfTenNearest(exponent) > value)
        --exponent;
    else if (powerOfTenNearest(exponent + 1) <= value)
        ++exponent;
    return exponent;
}

int ceilLog10(double value)
{
    const int below = floorLog10(value);
    return powerOfTenNearest(below) == value ? below : below + 1;
}

const char* superscriptDigit(int digit)
{
    static constexpr std::array<const char*, 10> digits = {"⁰", "¹", "²", "³", "⁴",
                                                           "⁵", "⁶", "⁷", "⁸", "⁹"};
    return digits[static_cast<std::size_t>(digit)];
}

} // namespace

std::vector<AxisTick> linearTicks(double highest, int maxIntervals, std::string_view separator,
                                  double ceiling)
{
    // An empty chart still gets an axis to read: 0 to 1.
    if (!(highest > 0))
        highest = 1 / 1.05;
    maxIntervals = std::max(1, maxIntervals);
    // A ceiling that is a power of ten is a whole number of every step below it, so the last
    // tick lands on it.
    const double target = std::min(highest * 1.05, ceiling);
    for (int exponent = floorLog10(target / maxIntervals) - 1;; ++exponent) {
        for (const std::int64_t mantissa : niceMantissas) {
            const double step = scaled(mantissa, exponent);
            const auto intervals = static_cast<std::int64_t>(std::ceil(target / step - 1e-9));
            if (intervals > maxIntervals)
                continue;
            std::vector<AxisTick> ticks;
            for (std::int64_t i = 0; i <= intervals; ++i) {
                const std::int64_t whole = i * mantissa;
                ticks.push_back(
                    AxisTick{scaled(whole, exponent), decimalText(whole, exponent, separator)});
            }
            return ticks;
        }
    }
}

std::string groupedDigits(std::int64_t value, std::string_view separator)
{
    const std::string digits = std::to_string(value);
    const std::size_t sign = value < 0 ? 1 : 0;
    std::string text = digits.substr(0, sign);
    for (std::size_t i = sign; i < digits.size(); ++i) {
        if (i > sign && (digits.size() - i) % 3 == 0)
            text += separator;
        text += digits[i];
    }
    return text;
}

std::string powerOfTen(int exponent)
{
    std::string text = "10";
    if (exponent < 0)
        text += "⁻";
    const std::string digits = std::to_string(std::abs(exponent));
    for (const char digit : digits)
        text += superscriptDigit(digit - '0');
    return text;
}

LogRange logRange(std::span<const double> values, int maxDecades)
{
    double largest = 0;
    double smallest = 0;
    for (const double value : values) {
        if (!(value > 0))
            continue;
        largest = std::max(largest, value);
        smallest = smallest > 0 ? std::min(smallest, value) : value;
    }
    if (largest <= 0)
        return {};
    LogRange range;
    range.high = ceilLog10(largest);
    range.low = std::max(floorLog10(smallest), range.high - maxDecades);
    range.low = std::min(range.low, range.high - 1);
    return range;
}

std::vector<AxisTick> logTicks(LogRange range, int maxIntervals)
{
    const int decades = range.high - range.low;
    maxIntervals = std::max(1, maxIntervals);
    const int stride = std::max(1, (decades + maxIntervals - 1) / maxIntervals);
    std::vector<AxisTick> ticks;
    for (int exponent = range.low; exponent <= range.high; ++exponent) {
        if (exponent % stride == 0)
            ticks.push_back(AxisTick{powerOfTenNearest(exponent), powerOfTen(exponent)});
    }
    return ticks;
}

std::vector<std::int64_t> countTicks(std::int64_t first, std::int64_t last, double minStep)
{
    std::int64_t step = 1;
    for (std::int64_t decade = 1; step < minStep; decade *= 10) {
        for (const std::int64_t mantissa : niceMantissas) {
            step = mantissa * decade;
            if (step >= minStep)
                break;
        }
    }
    std::vector<std::int64_t> ticks;
    for (std::int64_t k = (first + step - 1) / step * step; k <= last; k += step)
        ticks.push_back(k);
    return ticks;
}
