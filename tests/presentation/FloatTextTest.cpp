#include "presentation/FloatText.h"

#include <gtest/gtest.h>

TEST(FloatToDigits, cutsAtTheFirstDroppedDigitAndCarries)
{
    struct Case
    {
        long double value;
        int decimals;
        const char* digits;
        int exponent;
        bool negative;
    };
    const Case cases[] = {
        {0.0L, 6, "", 0, false},        {1.0L / 128, 6, "7813", -2, false},
        {0.9999995L, 3, "1", 1, false}, {-0.0000006L, 6, "1", -5, true},
        {-0.0000004L, 6, "", 0, false}, {123.456L, 1, "1235", 3, false},
        {5.0L, 0, "5", 1, false},       {0.05L, 0, "", 0, false},
        {0.5L, 0, "1", 1, false},
    };
    for (const Case& c : cases) {
        const FloatDigits digits = floatToDigits(c.value, c.decimals);
        EXPECT_EQ(digits.kind, FloatDigits::Kind::Finite);
        EXPECT_EQ(digits.digits, c.digits) << static_cast<double>(c.value);
        EXPECT_EQ(digits.exponent, c.exponent) << static_cast<double>(c.value);
        EXPECT_EQ(digits.negative, c.negative) << static_cast<double>(c.value);
    }
}

TEST(GroupedFixedText, groupsTheIntegerDigitsInThrees)
{
    struct Case
    {
        long double value;
        int decimals;
        char16_t thousands;
        const char* text;
    };
    const Case cases[] = {
        {1234.5L, 5, u'.', "1.234,50000"},
        {0.999L, 5, u'.', "0,99900"},
        {999.0L, 0, u'.', "999"},
        {1000.0L, 0, u'.', "1.000"},
        {-1234567.25L, 2, u'.', "-1.234.567,25"},
        {123456.0L, 1, u'\u00A0', "123\u00A0456,0"},
        {1234.5L, 1, u'\0', "1234,5"},
        {0.0L, 5, u'.', "0,00000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(groupedFixedText(c.value, c.decimals, u',', c.thousands), c.text)
            << static_cast<double>(c.value);
}
