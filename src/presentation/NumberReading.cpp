#include "presentation/NumberReading.h"

#include "platform/Locale.h"
#include "presentation/PowersOfTen.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

std::optional<std::int64_t> parseInteger(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulated as a negative number, whose range reaches one further than the positive one.
    std::int64_t value = 0;
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (lowest + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == lowest)
            return std::nullopt;
        value = -value;
    }
    return value;
}

namespace {

char16_t localeDecimalSeparator()
{
    const std::u16string separator = platform::userLocaleFormats().decimalSeparator;
    return separator.size() == 1 ? separator.front() : u'.';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

namespace {

// A decimal text taken apart: its sign, its digits before and after the separator, and its
// exponent, whose digits are counted only as far as any value can be scaled.
struct DecimalText
{
    bool negative = false;
    std::u16string_view integerDigits;
    std::u16string_view fractionDigits;
    std::int64_t exponent = 0;
};

std::u16string_view digitsFrom(std::u16string_view text, std::size_t& i)
{
    const std::size_t start = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return text.substr(start, i - start);
}

std::optional<DecimalText> splitDecimal(std::u16string_view text, char16_t separator)
{
    DecimalText parts;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        parts.negative = text[i] == u'-';
        ++i;
    }
    parts.integerDigits = digitsFrom(text, i);
    bool anySeparator = false;
    if (i < text.size() && text[i] == separator) {
        anySeparator = true;
        ++i;
        parts.fractionDigits = digitsFrom(text, i);
    }
    if (parts.integerDigits.empty() && parts.fractionDigits.empty() && !anySeparator)
        return std::nullopt;

    if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ++i;
        }
        const std::u16string_view exponentDigits = digitsFrom(text, i);
        if (exponentDigits.empty())
            return std::nullopt;
        for (const char16_t digit : exponentDigits) {
            // Beyond this every non-zero value overflows or vanishes; stop counting.
            if (parts.exponent < 1'000'000)
                parts.exponent = parts.exponent * 10 + (digit - u'0');
        }
        if (negativeExponent)
            parts.exponent = -parts.exponent;
    }
    if (i != text.size())
        return std::nullopt;
    return parts;
}

// value x 10^power; an infinity where that lies beyond the extended range.
long double scaled(long double value, std::int64_t power)
{
    if (value == 0 || power == 0)
        return value;
    if (power > 2 * maxSinglePowerOfTen)
        return std::numeric_limits<long double>::infinity();
    if (power < -4 * maxSinglePowerOfTen)
        return 0;
    return scaleByPowerOfTen(value, static_cast<int>(power));
}

// Every digit accumulated as value x 10 + digit, then scaled: the field's reading. An infinity
// where the digits or the scaled value leave the extended range.
long double accumulatedValue(const DecimalText& parts)
{
    long double value = 0;
    for (const std::u16string_view digits : {parts.integerDigits, parts.fractionDigits})
        for (const char16_t digit : digits)
            value = value * 10 + (digit - u'0');
    if (std::isinf(value))
        return value;
    return scaled(value, parts.exponent - static_cast<std::int64_t>(parts.fractionDigits.size()));
}

// More significant digits than these change an extended value by far less than its last bit.
constexpr std::size_t significantDigits = 40;

// The value from the first significant digits alone, scaled by the rest's count; for texts whose
// digits overflow the accumulation.
long double valueOfSignificantDigits(const DecimalText& parts)
{
    std::u16string digits(parts.integerDigits);
    digits += parts.fractionDigits;
    const std::size_t first = std::min(digits.find_first_not_of(u'0'), digits.size());
    const std::size_t kept = std::min(significantDigits, digits.size() - first);
    long double value = 0;
    for (std::size_t k = first; k < first + kept; ++k)
        value = value * 10 + (digits[k] - u'0');
    const auto dropped = static_cast<std::int64_t>(digits.size() - first - kept);
    return scaled(value, parts.exponent - static_cast<std::int64_t>(parts.fractionDigits.size()) +
                             dropped);
}

} // namespace

std::optional<long double> parseDecimal(std::u16string_view text, char16_t separator)
{
    const std::optional<DecimalText> parts = splitDecimal(text, separator);
    if (!parts)
        return std::nullopt;
    const long double value = accumulatedValue(*parts);
    if (std::isinf(value) || std::isnan(value))
        return std::nullopt;
    return parts->negative ? -value : value;
}

std::optional<long double> parseDecimalOfAnyLength(std::u16string_view text, char16_t separator)
{
    const std::optional<DecimalText> parts = splitDecimal(text, separator);
    if (!parts)
        return std::nullopt;
    long double value = accumulatedValue(*parts);
    if (std::isinf(value))
        value = valueOfSignificantDigits(*parts);
    return parts->negative ? -value : value;
}

std::optional<long double> tryParseFloatLenient(std::u16string_view text)
{
    if (text.empty())
        return std::nullopt;
    char16_t separator = localeDecimalSeparator();
    if (text.find(u'.') != std::u16string_view::npos &&
        text.find(separator) == std::u16string_view::npos)
        separator = u'.';

    std::u16string kept;
    for (const char16_t c : text) {
        if (isDigit(c) || c == u'+' || c == u'-' || c == u'E' || c == u'e' || c == separator)
            kept += c;
    }
    if (kept.empty())
        return std::nullopt;
    if (kept.back() == u'-')
        kept += u'0';
    if (kept.back() == separator)
        kept += u'0';
    return parseDecimal(kept, separator);
}

long double parseFloatLenient(std::u16string_view text, long double defaultValue)
{
    return tryParseFloatLenient(text).value_or(defaultValue);
}
