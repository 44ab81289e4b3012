// Fixed notation of any extended-precision value with any number of decimals, plain and grouped:
// nothing may crash, the text is made of what the notation allows, and it reads back as the value
// within the rounding the notation promises.

#include "presentation/FloatText.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The value the text stands for, read exactly enough by the C library: the grouping marks are
// dropped and the comma becomes the C locale's point.
long double readBack(const std::string& text)
{
    std::string plain;
    for (const char c : text) {
        if (c == '.')
            continue;
        plain += c == ',' ? '.' : c;
    }
    return std::strtold(plain.c_str(), nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < sizeof(long double) + 1)
        return 0;
    long double value = 0;
    std::memcpy(&value, data, 10);
    const int decimals = data[sizeof(long double)] % 21;

    const std::string plain = fixedText(value, decimals, u',');
    const std::string grouped = groupedFixedText(value, decimals, u',', u'.');
    if (!std::isfinite(value)) {
        if (plain != grouped || (plain != "NAN" && plain != "INF" && plain != "-INF"))
            std::abort();
        return 0;
    }
    for (const char c : grouped)
        if (!(c == '-' || c == ',' || c == '.' || (c >= '0' && c <= '9')))
            std::abort();

    const long double shown = readBack(grouped);
    if (std::fabs(value) < 1e18L) {
        // Eighteen significant digits, rounded, then cut to the decimals by the first dropped
        // digit: off by at most half a unit of the eighteenth digit plus half a unit of the last
        // decimal (the two roundings may add up, as they do in -1.99999999812098394|7 with 16
        // decimals, shown as -1,9999999981209840).
        const long double unit = 0.5L * std::pow(10.0L, -decimals) + std::fabs(value) * 1e-17L;
        if (std::fabs(shown - value) > unit * 1.0001L + LDBL_TRUE_MIN)
            std::abort();
    } else {
        // From 10^18 on every digit is written: a double comes back as itself.
        const double asDouble = static_cast<double>(value);
        if (std::isfinite(asDouble) && static_cast<long double>(asDouble) == value &&
            static_cast<double>(readBack(groupedFixedText(asDouble, decimals, u',', u'.'))) !=
                asDouble)
            std::abort();
    }
    return 0;
}
