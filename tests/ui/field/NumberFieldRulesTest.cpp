#include "ui/field/NumberFieldRules.h"

#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "support/FilterByDefinition.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

using Format = NumberFormat;

// The three fields of the window under a comma locale (decimal ",", thousands ".").
NumberFieldContext field(Format format, char16_t decimal = u',', char16_t thousand = u'.')
{
    NumberFieldContext context;
    context.displayFormat = format;
    context.decimalSeparator = decimal;
    context.thousandSeparator = thousand;
    context.currencySymbol = u"€";
    if (format == Format::Integer) {
        context.checkChars = u"01234567890";
    } else {
        context.checkChars = NumberFieldRules::checkCharsFor(format, decimal);
    }
    if (format == Format::Float) {
        context.decimalPlaces = 5;
        context.trimDecimals = true;
    }
    return context;
}

std::u16string shown(const NumberFieldContext& context, std::u16string_view editText)
{
    return NumberFieldRules::decorateDisplayText(context,
                                                 NumberFieldRules::displayValue(context, editText));
}

// The lenient reading asks the user's locale itself; it is the comma locale here too.
class NumberFieldRulesTest : public ::testing::Test
{
private:
    platform::ScopedLocale m_locale{{u",", u".", u"€"}};
};

} // namespace

TEST_F(NumberFieldRulesTest, acceptCharactersByFormatPositionAndSelection)
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
        {Format::Integer, u"12", u'7', 3, true, true},
        {Format::Integer, u"12", u',', 3, true, false},
        {Format::Decimal, u"12", u',', 3, true, true},
        {Format::Float, u"12", u',', 3, true, true},
        {Format::Float, u"1,2", u',', 4, true, false},
        {Format::Float, u"1,2", u',', 1, false,
         false}, // the separator in the selection still counts
        {Format::Float, u"12", u'.', 3, true, false},
        {Format::Integer, u"", u'a', 1, true, false},
        {Format::Float, u"1", u'e', 2, true, false},
        {Format::Float, u"1", u'E', 2, true, false},
        {Format::Decimal, u"1", u' ', 2, true, false},
        {Format::Integer, u"5", u'-', 1, true, true},
        {Format::Integer, u"-5", u'-', 1, true, false},
        {Format::Integer, u"-5", u'-', 1, false, true},
        {Format::Integer, u"5", u'-', 2, true, false},
        {Format::Float, u"12", u'+', 1, true, true},
        {Format::Float, u"+12", u'+', 1, true, false},
        {Format::Decimal, u"-5", u'3', 1, true, true}, // digits have no position rule
        {Format::Integer, u"", u'\u0663', 1, true, false},
    };
    for (const Case& c : cases) {
        char16_t character = c.character;
        EXPECT_EQ(NumberFieldRules::acceptsChar(field(c.format), c.context, character, c.position,
                                                c.selectionEmpty),
                  c.accepted)
            << static_cast<int>(c.format) << " '" << static_cast<int>(c.character) << "' at "
            << c.position;
        EXPECT_EQ(character, c.character);
    }
}

TEST_F(NumberFieldRulesTest, keypadDecimalKeyBecomesTheLocaleSeparator)
{
    char16_t character = u'.';
    EXPECT_TRUE(
        NumberFieldRules::acceptsChar(field(Format::Float), u"0", character, 2, true, true));
    EXPECT_EQ(character, u',');
    character = u'.';
    EXPECT_FALSE(
        NumberFieldRules::acceptsChar(field(Format::Float), u"0,5", character, 4, true, true));
    character = u'.';
    EXPECT_FALSE(
        NumberFieldRules::acceptsChar(field(Format::Integer), u"0", character, 2, true, true));
}

TEST_F(NumberFieldRulesTest, filterKeepsWhatTypingWouldHaveTaken)
{
    struct Case
    {
        Format format;
        const char16_t* text;
        const char16_t* filtered;
    };
    const Case cases[] = {
        {Format::Integer, u"x-5", u"5"},      {Format::Integer, u"3-5", u"35"},
        {Format::Integer, u"-5", u"-5"},      {Format::Integer, u"+12", u"+12"},
        {Format::Integer, u"1.234", u"1234"}, {Format::Float, u"abc12,3,4", u"12,34"},
        {Format::Float, u"-0,5", u"-0,5"},    {Format::Float, u"1.234,5", u"1234,5"},
        {Format::Float, u"0,999", u"0,999"},  {Format::Float, u"1e5", u"15"},
        {Format::Float, u"--1", u"-1"},       {Format::Decimal, u"1000000,5", u"1000000,5"},
        {Format::Decimal, u" 12 ", u"12"},    {Format::Decimal, u"", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberFieldRules::filterEditText(field(c.format), c.text), c.filtered);
}

TEST_F(NumberFieldRulesTest, aPointLocaleDropsTheCommaOfAnInitialText)
{
    const NumberFieldContext point = field(Format::Float, u'.', u',');
    const std::u16string edit = NumberFieldRules::filterEditText(point, u"0,999");
    EXPECT_EQ(edit, u"0999");
    EXPECT_EQ(shown(point, edit), u"999");
}

TEST_F(NumberFieldRulesTest, showTheCommittedNumberInTheFormatsWay)
{
    struct Case
    {
        Format format;
        const char16_t* editText;
        const char16_t* shown;
    };
    const Case cases[] = {
        {Format::Integer, u"007", u"7"},
        {Format::Integer, u"", u"0"},
        {Format::Integer, u"-", u"0"},
        {Format::Integer, u"-5", u"-5"},
        {Format::Integer, u"+12", u"12"},
        {Format::Integer, u"12345678901234567890", u"0"},
        {Format::Float, u"1234,5", u"1.234,5"},
        {Format::Float, u"0,99900", u"0,999"},
        {Format::Float, u"2,000", u"2"},
        {Format::Float, u"0,1234567", u"0,12346"},
        {Format::Float, u"-0,5", u"-0,5"},
        {Format::Float, u"-", u"0"},
        {Format::Float, u"", u"0"},
        {Format::Float, u"1234567,000001", u"1.234.567"},
        {Format::Float, u"99,9", u"99,9"},
        {Format::Decimal, u"+12", u"+12"},
        {Format::Decimal, u"-", u"-"},
        {Format::Decimal, u"", u""},
        {Format::Decimal, u"1000000,5", u"1000000,5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shown(field(c.format), c.editText), c.shown) << static_cast<int>(c.format);
}

TEST_F(NumberFieldRulesTest, readTheCommittedText)
{
    EXPECT_EQ(NumberFieldRules::integerValue(u"5000000000"), 5000000000);
    EXPECT_EQ(NumberFieldRules::integerValue(u"1000000,5"), 0);
    EXPECT_EQ(NumberFieldRules::integerValue(u"3-5"), 0);
    EXPECT_EQ(NumberFieldRules::integerValue(u"12345678901234567890"), 0);
    EXPECT_TRUE(std::signbit(NumberFieldRules::floatValue(u"-")));
    EXPECT_EQ(NumberFieldRules::floatValue(u""), 0);
}

TEST_F(NumberFieldRulesTest, aFloatBeyondTheDoubleRangeOverflowsWhenShown)
{
    const std::u16string huge = u"1" + std::u16string(400, u'0');
    EXPECT_THROW(NumberFieldRules::displayValue(field(Format::Float), huge), EOverflow);
    // Beyond even the extended range the reading gives up and the value is 0.
    const std::u16string hopeless = u"1" + std::u16string(5000, u'0');
    EXPECT_EQ(shown(field(Format::Float), hopeless), u"0");
}

TEST_F(NumberFieldRulesTest, stripCurrencyAndAffixesOnceEach)
{
    NumberFieldContext context = field(Format::Float);
    EXPECT_EQ(NumberFieldRules::stripDecorationsOf(context, u"€12,5€"), u"12,5");
    EXPECT_EQ(NumberFieldRules::stripDecorationsOf(context, u"12,5 €"), u"12,5 ");
    EXPECT_EQ(NumberFieldRules::stripDecorationsOf(context, u"€€1"), u"€1");
    context.displayPrefix = u"ca. ";
    context.displaySuffix = u" %";
    EXPECT_EQ(NumberFieldRules::stripDecorationsOf(context, u"ca. 5 %"), u"5");
    EXPECT_EQ(NumberFieldRules::decorateDisplayText(context, u"5,00"), u"ca. 5 %");
    EXPECT_EQ(NumberFieldRules::decorateDisplayText(context, u""), u"");
    context.keepPrefixSuffixIntact = true;
    EXPECT_EQ(NumberFieldRules::stripDecorationsOf(context, u"ca. 5 %"), u"ca. 5 %");
}

namespace {

// What leaving the field does to a committed value: the shown text is committed again.
std::u16string recommitted(const NumberFieldContext& context, std::u16string_view editText)
{
    return NumberFieldRules::filterEditText(
        context, NumberFieldRules::stripDecorationsOf(context, shown(context, editText)));
}

double fieldValue(std::u16string_view editText)
{
    return static_cast<double>(NumberFieldRules::floatValue(editText));
}

// The edit text a user would type for a value: every digit, the locale's separator.
std::u16string typedText(double value, char16_t decimal)
{
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.6f", value);
    std::u16string text;
    for (const char* c = buffer; *c != '\0'; ++c)
        text += *c == '.' ? decimal : static_cast<char16_t>(*c);
    return text;
}

} // namespace

TEST(NumberFieldRulesLargeValues, showEveryDigitSoThatLeavingTheFieldKeepsTheValue)
{
    struct Case
    {
        const char16_t* editText;
        const char16_t* shown;
    };
    const Case cases[] = {
        {u"150000000000000000000", u"150.000.000.000.000.000.000"},
        {u"100000000000000000000", u"100.000.000.000.000.000.000"},
        {u"999999999999999999,999", u"1.000.000.000.000.000.000"},
        {u"-1000000000000000000", u"-1.000.000.000.000.000.000"},
        {u"18446744073709551616", u"18.446.744.073.709.551.616"},
        // The double nearest 10^23 lies below it; its own digits are shown.
        {u"100000000000000000000000", u"99.999.999.999.999.991.611.392"},
        // Below 10^18 the fixed form with five decimals holds as before.
        {u"999999999999999872", u"999.999.999.999.999.872"},
    };
    const platform::ScopedLocale comma({u",", u".", u"€"});
    const NumberFieldContext context = field(Format::Float);
    for (const Case& c : cases) {
        EXPECT_EQ(shown(context, c.editText), c.shown);
        EXPECT_EQ(fieldValue(recommitted(context, c.editText)), fieldValue(c.editText));
    }
}

// Any value, shown and committed again, reads as the same value; shown once more it looks the
// same. Magnitudes from 10^-7 up to the largest double, in a comma and a point locale.
TEST(NumberFieldRulesLargeValues, aCommitOfTheShownTextKeepsEveryLargeValue)
{
    struct Locale
    {
        char16_t decimal;
        char16_t thousand;
    };
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-7, 307);
    for (const Locale locale : {Locale{u',', u'.'}, Locale{u'.', u','}}) {
        const platform::ScopedLocale scoped(
            {std::u16string(1, locale.decimal), std::u16string(1, locale.thousand), u"€"});
        const NumberFieldContext context = field(Format::Float, locale.decimal, locale.thousand);
        for (int round = 0; round < 4000; ++round) {
            const double value =
                (round % 2 == 0 ? 1 : -1) * mantissa(random) * std::pow(10.0, exponent(random));
            const std::u16string editText = typedText(value, locale.decimal);
            const std::u16string once = recommitted(context, editText);
            if (std::fabs(fieldValue(editText)) >= 1e18) {
                ASSERT_EQ(fieldValue(once), fieldValue(editText)) << value;
            }
            ASSERT_EQ(shown(context, once), shown(context, editText)) << value;
            ASSERT_EQ(recommitted(context, once), once) << value;
        }
        EXPECT_EQ(fieldValue(recommitted(context, u"1" + std::u16string(308, u'0'))), 1e308);
        const std::u16string largest =
            typedText(std::numeric_limits<double>::max(), locale.decimal);
        EXPECT_EQ(fieldValue(recommitted(context, largest)), std::numeric_limits<double>::max());
    }
}

// The filter walks the text once; what it keeps is what acceptsChar takes, character by
// character, with the whole unfiltered text before each one as its context.
TEST_F(NumberFieldRulesTest, filterAgreesWithAcceptsCharOnAnyText)
{
    const std::u16string alphabet = u"0123456789,.-+eE \u20ac\u00e4";
    std::mt19937 random(7);
    for (const Format format : {Format::Integer, Format::Float, Format::Decimal}) {
        const NumberFieldContext context = field(format);
        for (int round = 0; round < 2000; ++round) {
            std::u16string text;
            const auto length = random() % 16;
            for (unsigned i = 0; i < length; ++i)
                text += alphabet[random() % alphabet.size()];
            ASSERT_EQ(NumberFieldRules::filterEditText(context, text),
                      filterByDefinition(context, text));
        }
    }
}
