#include "presentation/NumberReading.h"

#include "platform/Locale.h"
#include "presentation/PowersOfTen.h"

#include <cmath>
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

std::optional<long double> parseDecimal(std::u16string_view text, char16_t separator)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    long double value = 0;
    bool anyDigit = false;
    long fractionDigits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - u'0');
        anyDigit = true;
    }
    bool anySeparator = false;
    if (i < text.size() && text[i] == separator) {
        anySeparator = true;
        for (++i; i < text.size() && isDigit(text[i]); ++i) {
            value = value * 10 + (text[i] - u'0');
            ++fractionDigits;
            anyDigit = true;
        }
    }
    if (!anyDigit && !anySeparator)
        return std::nullopt;

    long exponent = 0;
    if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ++i;
        }
        if (i == text.size() || !isDigit(text[i]))
            return std::nullopt;
        for (; i < text.size() && isDigit(text[i]); ++i) {
            // Beyond this every non-zero value overflows or vanishes; stop counting.
            if (exponent < 1'000'000)
                exponent = exponent * 10 + (text[i] - u'0');
        }
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != text.size() || std::isinf(value))
        return std::nullopt;

    const long power = exponent - fractionDigits;
    if (value != 0 && power != 0) {
        if (power > 2 * maxSinglePowerOfTen)
            return std::nullopt;
        if (power < -4 * maxSinglePowerOfTen)
            value = 0;
        else
            value = scaleByPowerOfTen(value, static_cast<int>(power));
    }
    if (std::isinf(value) || std::isnan(value))
        return std::nullopt;
    return negative ? -value : value;
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

long double ParseFloatLenient(std::u16string_view text, long double defaultValue)
{
    return tryParseFloatLenient(text).value_or(defaultValue);
}
