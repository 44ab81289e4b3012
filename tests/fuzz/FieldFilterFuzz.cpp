// The field's filter and its integer reading on any text, in all three formats: the filter keeps
// exactly what typing would have taken, filtering twice changes nothing more, and the value of a
// filtered text is readable wherever its shape allows.

#include "support/FilterByDefinition.h"
#include "ui/field/NumberFieldRules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    NumberFieldContext field;
    field.displayFormat = static_cast<NumberFormat>(data[0] % 3);
    field.decimalSeparator = (data[0] & 4) != 0 ? u',' : u'.';
    field.thousandSeparator = field.decimalSeparator == u',' ? u'.' : u',';
    field.checkChars =
        field.displayFormat == NumberFormat::Integer
            ? u"01234567890"
            : NumberFieldRules::checkCharsFor(field.displayFormat, field.decimalSeparator);
    std::u16string text;
    for (std::size_t i = 1; i < size && text.size() < 4096; ++i) {
        // Mostly the characters the rules care about, now and then any code unit.
        const char16_t interesting[] = u"0123456789,.+-eE €";
        text += data[i] < 0xF0 ? interesting[data[i] % 18] : static_cast<char16_t>(data[i] << 4);
    }

    const std::u16string filtered = NumberFieldRules::filterEditText(field, text);
    if (text.size() <= 256 && filtered != filterByDefinition(field, text))
        std::abort();
    if (NumberFieldRules::filterEditText(field, filtered) != filtered)
        std::abort();

    // Digits alone, up to 18 of them and at most one leading sign, always read as themselves.
    const std::int64_t value = NumberFieldRules::integerValue(filtered);
    const bool plain = !filtered.empty() && filtered.size() <= 18 &&
                       filtered.find_first_not_of(u"0123456789", 1) == std::u16string::npos &&
                       filtered.find_first_of(u"0123456789") != std::u16string::npos;
    if (plain) {
        const std::string digits(filtered.begin(), filtered.end());
        if (value != std::strtoll(digits.c_str(), nullptr, 10))
            std::abort();
    }
    return 0;
}
