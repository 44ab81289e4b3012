#include "ui/field/NumberFieldRules.h"

#include "presentation/CheckedArithmetic.h"
#include "presentation/FloatText.h"
#include "presentation/NumberReading.h"
#include "presentation/TextEncoding.h"

namespace NumberFieldRules {
namespace {

bool contains(std::u16string_view text, char16_t character)
{
    return text.find(character) != std::u16string_view::npos;
}

bool hasDecimals(NumberFormat format)
{
    return format != NumberFormat::Integer;
}

} // namespace

std::u16string checkCharsFor(NumberFormat format, char16_t decimalSeparator)
{
    std::u16string chars = u"0123456789";
    if (hasDecimals(format))
        chars += decimalSeparator;
    return chars;
}

namespace {

// What acceptsChar needs to know of its context: whether it holds a decimal separator and whether
// it holds the sign in question.
bool acceptsCharIn(const NumberFieldContext& field, char16_t character, std::size_t position,
                   bool contextHasSeparator, bool contextHasSign, bool selectionEmpty)
{
    if (contains(field.checkChars, character)) {
        if (!hasDecimals(field.displayFormat))
            return true;
        if (!(character == field.decimalSeparator && contextHasSeparator))
            return true;
    }
    return (character == u'+' || character == u'-') && position == 1 &&
           (!contextHasSign || !selectionEmpty);
}

} // namespace

bool acceptsChar(const NumberFieldContext& field, std::u16string_view context, char16_t& character,
                 std::size_t position, bool selectionEmpty, bool keypadDecimal)
{
    if (keypadDecimal)
        character = field.decimalSeparator;
    return acceptsCharIn(field, character, position, contains(context, field.decimalSeparator),
                         contains(context, character), selectionEmpty);
}

std::u16string filterEditText(const NumberFieldContext& field, std::u16string_view text)
{
    std::u16string result;
    result.reserve(text.size());
    // The context of each character is the whole unfiltered text before it. Searching it anew for
    // every character would make a long paste quadratic; what the rules ask of it is known as the
    // text is walked. A sign counts only at the first position, whose context is empty, so the
    // selection never decides here.
    bool separatorBefore = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t character = text[i];
        if (acceptsCharIn(field, character, i + 1, separatorBefore, i > 0, true))
            result += character;
        separatorBefore = separatorBefore || character == field.decimalSeparator;
    }
    return result;
}

std::u16string stripDecorationsOf(const NumberFieldContext& field, std::u16string_view text)
{
    if (field.keepPrefixSuffixIntact)
        return std::u16string(text);
    const std::u16string_view suffix = field.displaySuffix;
    const std::u16string_view prefix = field.displayPrefix;
    const std::u16string_view currency = field.currencySymbol;
    if (!suffix.empty() && text.ends_with(suffix))
        text.remove_suffix(suffix.size());
    if (!prefix.empty() && text.starts_with(prefix))
        text.remove_prefix(prefix.size());
    if (!currency.empty() && text.ends_with(currency))
        text.remove_suffix(currency.size());
    if (!currency.empty() && text.starts_with(currency))
        text.remove_prefix(currency.size());
    return std::u16string(text);
}

std::int64_t integerValue(std::u16string_view editText)
{
    return parseInteger(editText).value_or(0);
}

long double floatValue(std::u16string_view editText)
{
    return parseFloatLenient(editText, 0);
}

std::u16string displayValue(const NumberFieldContext& field, std::u16string_view editText)
{
    switch (field.displayFormat) {
    case NumberFormat::Integer: {
        const std::string digits = std::to_string(integerValue(editText));
        return std::u16string(digits.begin(), digits.end());
    }
    case NumberFormat::Float: {
        const double value = checkedToDouble(floatValue(editText));
        // The number text is UTF-8 of the program's own making, so it always decodes.
        return utf8ToUtf16(groupedFixedText(value, static_cast<int>(field.decimalPlaces),
                                            field.decimalSeparator, field.thousandSeparator))
            .value_or(std::u16string());
    }
    case NumberFormat::Decimal:
        break;
    }
    return std::u16string(editText);
}

std::u16string decorateDisplayText(const NumberFieldContext& field, std::u16string_view text)
{
    std::u16string shown(text);
    if (field.trimDecimals) {
        const std::size_t separator = shown.find(field.decimalSeparator);
        if (separator != std::u16string::npos) {
            std::size_t end = shown.size();
            while (end > separator + 1 && shown[end - 1] == u'0')
                --end;
            if (end == separator + 1)
                end = separator;
            shown.resize(end);
        }
    }
    if (!(field.hidePrefixSuffixIfEmpty && shown.empty()))
        shown = field.displayPrefix + shown + field.displaySuffix;
    return shown;
}

} // namespace NumberFieldRules
