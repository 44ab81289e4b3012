// Lenient number reading and integer reading of any text, in a comma and a point locale: nothing
// may crash, and whatever is read is a number a field could hold.

#include "platform/Locale.h"
#include "presentation/NumberReading.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool comma = (data[0] & 1) != 0;
    const platform::ScopedLocale locale(comma ? platform::LocaleFormats{u",", u".", u"€"}
                                              : platform::LocaleFormats{u".", u",", u"$"});
    std::u16string text;
    for (std::size_t i = 1; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));

    if (const auto value = tryParseFloatLenient(text)) {
        // An overflow is refused; what comes back is finite.
        if (!std::isfinite(*value))
            std::abort();
    }
    if (const auto integer = parseInteger(text)) {
        // A readable integer is made of spaces, one sign and digits, and reads the same again
        // without its leading spaces and plus sign.
        const std::string digits = std::to_string(*integer);
        const auto again = parseInteger(std::u16string(digits.begin(), digits.end()));
        if (!again || *again != *integer)
            std::abort();
    }
    return 0;
}
