#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The rules of the validated number field as plain functions on its texts: which characters it
// accepts, how it filters a committed text, how it reads and shows the number. The widget feeds
// them its state; tests drive them from tables.

enum class NumberFormat { Integer, Float, Decimal };

// What the rules need to know of the field and the locale at one moment.
struct NumberFieldContext
{
    NumberFormat displayFormat = NumberFormat::Integer;
    std::u16string checkChars = u"01234567890";
    char16_t decimalSeparator = u'.';
    char16_t thousandSeparator = u',';
    std::u16string currencySymbol;
    std::u16string displayPrefix;
    std::u16string displaySuffix;
    bool keepPrefixSuffixIntact = false;
    bool hidePrefixSuffixIfEmpty = true;
    bool trimDecimals = false;
    unsigned decimalPlaces = 0;
};

namespace NumberFieldRules {

// The characters a format accepts besides signs: the digits, and for the formats with decimals the
// decimal separator.
std::u16string checkCharsFor(NumberFormat format, char16_t decimalSeparator);

// Whether `character` may go to the 1-based `position` of a text whose (unfiltered) content is
// `context`. `keypadDecimal` says the character comes from the numeric keypad's decimal key in a
// layout where it differs from the locale's separator: it is replaced by that separator, and the
// caller sees the replacement. `selectionEmpty` is the box's selection state, whatever the context.
bool acceptsChar(const NumberFieldContext& field, std::u16string_view context, char16_t& character,
                 std::size_t position, bool selectionEmpty, bool keypadDecimal = false);

// Keeps the characters of `text` that acceptsChar takes at their place in the unfiltered text.
std::u16string filterEditText(const NumberFieldContext& field, std::u16string_view text);

// Removes the display suffix, then prefix, then a trailing, then a leading currency symbol.
std::u16string stripDecorationsOf(const NumberFieldContext& field, std::u16string_view text);

// The field's integer value: 0 for an empty or unreadable text.
std::int64_t integerValue(std::u16string_view editText);

// The field's floating-point value before it is rounded to double: 0 for an unreadable text.
long double floatValue(std::u16string_view editText);

// The text shown for a committed edit text (throws EOverflow when a Float value lies beyond the
// double range), before trimming and decorations.
std::u16string displayValue(const NumberFieldContext& field, std::u16string_view editText);

// Drops trailing zero decimals (and a separator left alone) when trimDecimals is on, then adds
// prefix and suffix unless the text is empty and they are to be hidden then.
std::u16string decorateDisplayText(const NumberFieldContext& field, std::u16string_view text);

} // namespace NumberFieldRules
