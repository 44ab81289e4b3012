#include "presentation/NumberReading.h"

#include "platform/Locale.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>

TEST(ParseInteger, readsOnlySignedDecimalIntegersOfSixtyFourBits)
{
    struct Case
    {
        const char16_t* text;
        std::optional<std::int64_t> value;
    };
    const Case cases[] = {
        {u"9", 9},
        {u"007", 7},
        {u"+12", 12},
        {u"-5", -5},
        {u"   42", 42},
        {u"5000000000", 5000000000},
        {u"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {u"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {u"9223372036854775808", std::nullopt},
        {u"-9223372036854775809", std::nullopt},
        {u"12345678901234567890", std::nullopt},
        {u"", std::nullopt},
        {u"-", std::nullopt},
        {u"+", std::nullopt},
        {u"   ", std::nullopt},
        {u"42 ", std::nullopt},
        {u"1000000,5", std::nullopt},
        {u"1.000", std::nullopt},
        {u"--5", std::nullopt},
        {u"3-5", std::nullopt},
        {u"\t5", std::nullopt},
        {u"١٢", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseInteger(c.text), c.value);
}

namespace {

struct FloatCase
{
    const char16_t* text;
    std::optional<long double> value;
};

void expectReadings(const platform::LocaleFormats& locale, std::initializer_list<FloatCase> cases)
{
    platform::ScopedLocale scoped(locale);
    for (const FloatCase& c : cases) {
        const std::optional<long double> value = tryParseFloatLenient(c.text);
        ASSERT_EQ(value.has_value(), c.value.has_value())
            << std::u16string_view(c.text).size() << " characters";
        if (value) {
            EXPECT_EQ(*value, *c.value);
            EXPECT_EQ(std::signbit(*value), std::signbit(*c.value));
        }
    }
}

} // namespace

TEST(ParseFloatLenient, readsTheCommaLocale)
{
    expectReadings({u",", u".", u"€"}, {
                                           {u"0,999", 999.0L / 1000},
                                           {u"0.999", 999.0L / 1000},
                                           {u"1.234,5", 12345.0L / 10},
                                           {u"1.234.567", std::nullopt},
                                           {u"99,9", 999.0L / 10},
                                           {u"-0,5", -5.0L / 10},
                                           {u"-", -0.0L},
                                           {u",", 0.0L},
                                           {u"5,", 5.0L},
                                           {u",5", 5.0L / 10},
                                           {u"12,34 €", 1234.0L / 100},
                                           {u"abc12,3", 123.0L / 10},
                                           {u"1e3", 1000.0L},
                                           {u"2,5E-2", 25.0L / 1000},
                                           {u"1E-", 1.0L},
                                           {u"", std::nullopt},
                                           {u"abc", std::nullopt},
                                           {u"1,2,3", std::nullopt},
                                           {u"1-2", std::nullopt},
                                           {u"E5", std::nullopt},
                                           {u"1E", std::nullopt},
                                           {u"--1", std::nullopt},
                                           {u"1e99999", std::nullopt},
                                           {u"1e-99999", 0.0L},
                                           {u"0e99999", 0.0L},
                                       });
}

TEST(ParseFloatLenient, readsThePointLocaleWhereTheCommaIsDropped)
{
    expectReadings({u".", u",", u""}, {
                                          {u"0.999", 999.0L / 1000},
                                          {u"0,999", 999.0L},
                                          {u"1,234.5", 12345.0L / 10},
                                          {u"-0.5", -5.0L / 10},
                                      });
}

TEST(ParseFloatLenient, keepsADecimalSeparatorBeyondLatin1)
{
    expectReadings({u"\u066B", u"\u066C", u""}, {{u"0\u066B5", 5.0L / 10}, {u"0.25", 25.0L / 100}});
}

TEST(ParseFloatLenient, accumulatesDigitsAndScalesWithExtendedRounding)
{
    platform::ScopedLocale scoped({u",", u".", u""});
    EXPECT_EQ(parseFloatLenient(u"0,1234567", 0), 1234567.0L / 1e7L);
    EXPECT_EQ(parseFloatLenient(u"1,5e4000", 0), 15.0L * 1e3999L);
    EXPECT_EQ(parseFloatLenient(u"1e5000", 7), 7);
    EXPECT_EQ(parseFloatLenient(std::u16string(6000, u'9'), -1), -1);
    EXPECT_EQ(parseFloatLenient(u"", 3), 3);
    EXPECT_EQ(parseFloatLenient(u"x", 3), 3);
}

// The command line's reading: every well-formed text has a value, whatever its length; beyond the
// extended range it is an infinity of its sign.
TEST(ParseDecimalOfAnyLength, readsEveryWellFormedTextWhateverItsLength)
{
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case
    {
        std::u16string text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {u"0.999", 0.999},
        {u"0." + std::u16string(4932, u'9'), 1.0},
        {u"0." + std::u16string(4933, u'9'), 1.0},
        {u"-0." + std::u16string(20000, u'9'), -1.0},
        {u"0." + std::u16string(30, u'9') + u"5" + std::u16string(5000, u'0'), 1.0},
        {u"00000" + std::u16string(5000, u'0') + u".25", 0.25},
        {u"1" + std::u16string(4933, u'0'), infinity},
        {u"-1" + std::u16string(4933, u'0'), -infinity},
        {u"1e5000", infinity},
        {u"-1e5000", -infinity},
        {u"1e-5000", 0.0},
        {u"1" + std::u16string(5000, u'0') + u"e-5000", 1.0},
        {u"12345678901234567890123456789012345678901234567890" + std::u16string(4950, u'0') +
             u"e-4950",
         1.2345678901234567e49},
        {u"0." + std::u16string(6000, u'0'), 0.0},
        {u".", 0.0},
        {u"", std::nullopt},
        {u"-", std::nullopt},
        {u"1e", std::nullopt},
        {u"0." + std::u16string(6000, u'9') + u"x", std::nullopt},
        {std::u16string(6000, u'9') + u"e", std::nullopt},
        {u"1,5", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<long double> value = parseDecimalOfAnyLength(c.text, u'.');
        ASSERT_EQ(value.has_value(), c.value.has_value()) << c.text.size() << " characters";
        if (value) {
            EXPECT_EQ(static_cast<double>(*value), *c.value) << c.text.size() << " characters";
        }
    }
}

// Where the field reads a value the command line reads the same one; 10^4932 lies within the
// extended range and beyond the double range.
TEST(ParseDecimalOfAnyLength, agreesWithTheFieldWhereTheFieldReadsAValue)
{
    for (const std::u16string& text :
         {std::u16string(u"0.1234567"), std::u16string(u"1.5e4000"),
          u"1" + std::u16string(4932, u'0'), u"0." + std::u16string(4932, u'9')}) {
        const std::optional<long double> field = parseDecimal(text, u'.');
        ASSERT_TRUE(field.has_value()) << text.size() << " characters";
        EXPECT_EQ(parseDecimalOfAnyLength(text, u'.'), field) << text.size() << " characters";
    }
    const long double largest = *parseDecimalOfAnyLength(u"1" + std::u16string(4932, u'0'), u'.');
    EXPECT_TRUE(std::isfinite(largest));
    EXPECT_GT(largest, std::numeric_limits<double>::max());
}
