#include "ui/field/ValidateEditRules.h"

#include "platform/Exceptions.h"
#include "platform/Locale.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using Format = TValidateEditDisplayFormat;

// The three fields of the window under a comma locale (decimal ",", thousands ".").
ValidateEditContext field(Format format, char16_t decimal = u',', char16_t thousand = u'.')
{
    ValidateEditContext context;
    context.displayFormat = format;
    context.decimalSeparator = decimal;
    context.thousandSeparator = thousand;
    context.currencySymbol = u"€";
    if (format == Format::dfInteger) {
        context.checkChars = u"01234567890";
    } else {
        context.checkChars = ValidateEditRules::checkCharsFor(format, decimal);
    }
    if (format == Format::dfFloat) {
        context.decimalPlaces = 5;
        context.trimDecimals = true;
    }
    return context;
}

std::u16string shown(const ValidateEditContext& context, std::u16string_view editText)
{
    return ValidateEditRules::decorateDisplayText(
        context, ValidateEditRules::displayValue(context, editText));
}

// The lenient reading asks the user's locale itself; it is the comma locale here too.
class ValidateEditRulesTest : public ::testing::Test
{
private:
    platform::ScopedLocale m_locale{{u",", u".", u"€"}};
};

} // namespace

TEST_F(ValidateEditRulesTest, acceptCharactersByFormatPositionAndSelection)
{
    struct Case
    {
        Format format;
        const char16_t* context;
        char16_t character;
        std::size_t position;
        bool selectionEmpty;
        bool accepted;
    };
    const Case cases[] = {
        {Format::dfInteger, u"12", u'7', 3, true, true},
        {Format::dfInteger, u"12", u',', 3, true, false},
        {Format::dfDecimal, u"12", u',', 3, true, true},
        {Format::dfFloat, u"12", u',', 3, true, true},
        {Format::dfFloat, u"1,2", u',', 4, true, false},
        {Format::dfFloat, u"1,2", u',', 1, false,
         false}, // the separator in the selection still counts
        {Format::dfFloat, u"12", u'.', 3, true, false},
        {Format::dfInteger, u"", u'a', 1, true, false},
        {Format::dfFloat, u"1", u'e', 2, true, false},
        {Format::dfFloat, u"1", u'E', 2, true, false},
        {Format::dfDecimal, u"1", u' ', 2, true, false},
        {Format::dfInteger, u"5", u'-', 1, true, true},
        {Format::dfInteger, u"-5", u'-', 1, true, false},
        {Format::dfInteger, u"-5", u'-', 1, false, true},
        {Format::dfInteger, u"5", u'-', 2, true, false},
        {Format::dfFloat, u"12", u'+', 1, true, true},
        {Format::dfFloat, u"+12", u'+', 1, true, false},
        {Format::dfDecimal, u"-5", u'3', 1, true, true}, // digits have no position rule
        {Format::dfInteger, u"", u'\u0663', 1, true, false},
    };
    for (const Case& c : cases) {
        char16_t character = c.character;
        EXPECT_EQ(ValidateEditRules::AcceptsChar(field(c.format), c.context, character, c.position,
                                                 c.selectionEmpty),
                  c.accepted)
            << static_cast<int>(c.format) << " '" << static_cast<int>(c.character) << "' at "
            << c.position;
        EXPECT_EQ(character, c.character);
    }
}

TEST_F(ValidateEditRulesTest, keypadDecimalKeyBecomesTheLocaleSeparator)
{
    char16_t character = u'.';
    EXPECT_TRUE(
        ValidateEditRules::AcceptsChar(field(Format::dfFloat), u"0", character, 2, true, true));
    EXPECT_EQ(character, u',');
    character = u'.';
    EXPECT_FALSE(
        ValidateEditRules::AcceptsChar(field(Format::dfFloat), u"0,5", character, 4, true, true));
    character = u'.';
    EXPECT_FALSE(
        ValidateEditRules::AcceptsChar(field(Format::dfInteger), u"0", character, 2, true, true));
}

TEST_F(ValidateEditRulesTest, filterKeepsWhatTypingWouldHaveTaken)
{
    struct Case
    {
        Format format;
        const char16_t* text;
        const char16_t* filtered;
    };
    const Case cases[] = {
        {Format::dfInteger, u"x-5", u"5"},      {Format::dfInteger, u"3-5", u"35"},
        {Format::dfInteger, u"-5", u"-5"},      {Format::dfInteger, u"+12", u"+12"},
        {Format::dfInteger, u"1.234", u"1234"}, {Format::dfFloat, u"abc12,3,4", u"12,34"},
        {Format::dfFloat, u"-0,5", u"-0,5"},    {Format::dfFloat, u"1.234,5", u"1234,5"},
        {Format::dfFloat, u"0,999", u"0,999"},  {Format::dfFloat, u"1e5", u"15"},
        {Format::dfFloat, u"--1", u"-1"},       {Format::dfDecimal, u"1000000,5", u"1000000,5"},
        {Format::dfDecimal, u" 12 ", u"12"},    {Format::dfDecimal, u"", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ValidateEditRules::FilterEditText(field(c.format), c.text), c.filtered);
}

TEST_F(ValidateEditRulesTest, aPointLocaleDropsTheCommaOfAnInitialText)
{
    const ValidateEditContext point = field(Format::dfFloat, u'.', u',');
    const std::u16string edit = ValidateEditRules::FilterEditText(point, u"0,999");
    EXPECT_EQ(edit, u"0999");
    EXPECT_EQ(shown(point, edit), u"999");
}

TEST_F(ValidateEditRulesTest, showTheCommittedNumberInTheFormatsWay)
{
    struct Case
    {
        Format format;
        const char16_t* editText;
        const char16_t* shown;
    };
    const Case cases[] = {
        {Format::dfInteger, u"007", u"7"},
        {Format::dfInteger, u"", u"0"},
        {Format::dfInteger, u"-", u"0"},
        {Format::dfInteger, u"-5", u"-5"},
        {Format::dfInteger, u"+12", u"12"},
        {Format::dfInteger, u"12345678901234567890", u"0"},
        {Format::dfFloat, u"1234,5", u"1.234,5"},
        {Format::dfFloat, u"0,99900", u"0,999"},
        {Format::dfFloat, u"2,000", u"2"},
        {Format::dfFloat, u"0,1234567", u"0,12346"},
        {Format::dfFloat, u"-0,5", u"-0,5"},
        {Format::dfFloat, u"-", u"0"},
        {Format::dfFloat, u"", u"0"},
        {Format::dfFloat, u"1234567,000001", u"1.234.567"},
        {Format::dfFloat, u"99,9", u"99,9"},
        {Format::dfDecimal, u"+12", u"+12"},
        {Format::dfDecimal, u"-", u"-"},
        {Format::dfDecimal, u"", u""},
        {Format::dfDecimal, u"1000000,5", u"1000000,5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shown(field(c.format), c.editText), c.shown) << static_cast<int>(c.format);
}

TEST_F(ValidateEditRulesTest, readTheCommittedText)
{
    EXPECT_EQ(ValidateEditRules::integerValue(u"5000000000"), 5000000000);
    EXPECT_EQ(ValidateEditRules::integerValue(u"1000000,5"), 0);
    EXPECT_EQ(ValidateEditRules::integerValue(u"3-5"), 0);
    EXPECT_EQ(ValidateEditRules::integerValue(u"12345678901234567890"), 0);
    EXPECT_TRUE(std::signbit(ValidateEditRules::floatValue(u"-")));
    EXPECT_EQ(ValidateEditRules::floatValue(u""), 0);
}

TEST_F(ValidateEditRulesTest, aFloatBeyondTheDoubleRangeOverflowsWhenShown)
{
    const std::u16string huge = u"1" + std::u16string(400, u'0');
    EXPECT_THROW(ValidateEditRules::displayValue(field(Format::dfFloat), huge), EOverflow);
    // Beyond even the extended range the reading gives up and the value is 0.
    const std::u16string hopeless = u"1" + std::u16string(5000, u'0');
    EXPECT_EQ(shown(field(Format::dfFloat), hopeless), u"0");
}

TEST_F(ValidateEditRulesTest, stripCurrencyAndAffixesOnceEach)
{
    ValidateEditContext context = field(Format::dfFloat);
    EXPECT_EQ(ValidateEditRules::StripDecorations(context, u"€12,5€"), u"12,5");
    EXPECT_EQ(ValidateEditRules::StripDecorations(context, u"12,5 €"), u"12,5 ");
    EXPECT_EQ(ValidateEditRules::StripDecorations(context, u"€€1"), u"€1");
    context.displayPrefix = u"ca. ";
    context.displaySuffix = u" %";
    EXPECT_EQ(ValidateEditRules::StripDecorations(context, u"ca. 5 %"), u"5");
    EXPECT_EQ(ValidateEditRules::decorateDisplayText(context, u"5,00"), u"ca. 5 %");
    EXPECT_EQ(ValidateEditRules::decorateDisplayText(context, u""), u"");
    context.keepPrefixSuffixIntact = true;
    EXPECT_EQ(ValidateEditRules::StripDecorations(context, u"ca. 5 %"), u"ca. 5 %");
}
