#include "presentation/FormatText.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>

namespace {

struct Example
{
    const char* pattern;
    long double value;
    const char* comma; // the text with the decimal comma; "," becomes the locale's separator
};

constexpr long double infinity = std::numeric_limits<long double>::infinity();

const Example examples[] = {
    {"%.6f", 1.0L / 128, "0,007813"},
    {"%.3f", 4500.0L / 1000000, "0,005"},
    {"%.3f", 0.0045, "0,004"},
    {"%.0f", 2.5L, "3"},
    {"%.2f", 0.125L, "0,13"},
    {"%.6f", 0.0L, "0,000000"},
    {"%.6f", -0.0L, "0,000000"},
    {"%.6f", 0.0000004, "0,000000"},
    {"%.6f", -0.0000004, "0,000000"},
    {"%.6f", -0.0000006, "-0,000001"},
    {"%.6f", 1.0L / 3, "0,333333"},
    {"%.6f", 2.0L / 3, "0,666667"},
    {"%.6f", 0.999, "0,999000"},
    {"%.6f", 1.0L, "1,000000"},
    {"%.3f", 100.0L, "100,000"},
    {"%.6f", 123456789012345.678901, "123456789012345,672000"},
    {"%.6f", 1.5e20L, "1,5E20"},
    {"%.3f", 1.5e20L, "1,5E020"},
    {"%.6f", 1e18L, "1E18"},
    {"%.6f", infinity, "INF"},
    {"%.6f", -infinity, "-INF"},
    {"%.6f", std::numeric_limits<long double>::quiet_NaN(), "NAN"},
    {"%.6f", -std::numeric_limits<long double>::quiet_NaN(), "NAN"},
    {"%.6f", std::numeric_limits<long double>::denorm_min(), "0,000000"},
    {"%.6f", -std::numeric_limits<long double>::denorm_min(), "0,000000"},
    {"%.6f", 0.9999995L, "1,000000"},
    {"%.3f", 99.9995L, "100,000"},
    {"%.6f", 999999.9999999L, "1000000,000000"},
    {"%.0f", 0.5L, "1"},
    {"%.0f", 0.4L, "0"},
    {"%.0f", -0.5L, "-1"},
    {"%.6f", 99.9, "99,900000"},
    {"%.18f", 0.1L, "0,100000000000000000"},
    {"%.6f", 1e17L, "100000000000000000,000000"},
    {"%.3f", 1.5e200L, "1,5E200"},
    {"%.3f", 1e-300L, "0,000"},
    {"%.0f", 1e20L, "1E20"},
};

std::string withSeparator(std::string text, const std::string& separator)
{
    // The E notation keeps its separator too; every comma in these examples is the separator.
    std::string result;
    for (const char c : text)
        result += c == ',' ? separator : std::string(1, c);
    return result;
}

FormatSettings settingsWith(char16_t decimalSeparator)
{
    FormatSettings settings;
    settings.decimalSeparator = decimalSeparator;
    return settings;
}

} // namespace

TEST(FormatText, writesEveryExampleWithTheCommaAndThePoint)
{
    for (const auto& [separator, utf8] :
         {std::pair{u',', std::string(",")}, std::pair{u'.', std::string(".")}}) {
        const FormatSettings settings = settingsWith(separator);
        for (const Example& example : examples) {
            EXPECT_EQ(formatText(example.pattern, {example.value}, settings),
                      withSeparator(example.comma, utf8))
                << example.pattern << " of " << static_cast<double>(example.value);
        }
    }
}

TEST(FormatText, usesTheSeparatorOfTheGlobalSettings)
{
    const FormatSettings saved = formatSettings;
    formatSettings.decimalSeparator = u'٫';
    EXPECT_EQ(formatText("%.3f", {0.25L}), "0٫250");
    formatSettings = saved;
}

TEST(FormatText, leavesOutANulSeparatorExceptInExponentNotation)
{
    const FormatSettings settings = settingsWith(u'\0');
    EXPECT_EQ(formatText("%.3f", {0.25L}, settings), "0250");
    EXPECT_EQ(formatText("%.6f", {1.5e20L}, settings), std::string("1\0"
                                                                   "5E20",
                                                                   6));
    EXPECT_EQ(formatText("%.6f", {1e20L}, settings), "1E20");
}

TEST(FormatText, expandsIntegersWithoutGrouping)
{
    struct Case
    {
        std::int32_t value;
        const char* text;
    };
    const Case cases[] = {{0, "0"},
                          {1000000, "1000000"},
                          {-5, "-5"},
                          {std::numeric_limits<std::int32_t>::min(), "-2147483648"},
                          {std::numeric_limits<std::int32_t>::max(), "2147483647"}};
    for (const Case& c : cases)
        EXPECT_EQ(formatText("%d", {c.value}), c.text);
}

TEST(FormatText, copiesTheRestOfThePatternAndTakesArgumentsInOrder)
{
    const FormatSettings settings = settingsWith(u',');
    EXPECT_EQ(formatText("%d Triebwerke, Ausfallwahrscheinlichekit %.6f = %.3f Prozent",
                         {1, 0.25L, 25.0L}, settings),
              "1 Triebwerke, Ausfallwahrscheinlichekit 0,250000 = 25,000 Prozent");
    EXPECT_EQ(formatText("Durchläufe: %d, 100%%", {4}, settings), "Durchläufe: 4, 100%");
    EXPECT_EQ(formatText("ohne Direktive", {}, settings), "ohne Direktive");
}

TEST(FormatText, refusesPatternsItDoesNotKnow)
{
    const char* patterns[] = {"%d", "%.6f", "%s", "%.19f", "%.f", "%5d", "%"};
    for (const char* pattern : patterns) {
        EXPECT_THROW(formatText(pattern, {}), std::logic_error) << pattern;
    }
    EXPECT_THROW(formatText("%d", {0.5L}), std::logic_error);
    EXPECT_THROW(formatText("%.3f", {3}), std::logic_error);
}

TEST(FormatText, matchesTheReferenceTextsOfQuotients)
{
    std::ifstream file(TRIEBWERKE_TEST_DATA "/format-quotients.tsv");
    ASSERT_TRUE(file) << "format-quotients.tsv is missing";
    const FormatSettings settings = settingsWith(u',');
    std::string line;
    int compared = 0;
    while (std::getline(file, line)) {
        if (line.empty() || line.front() == '#')
            continue;
        std::istringstream fields(line);
        long long numerator = 0;
        long long denominator = 0;
        int decimals = 0;
        std::string expected;
        fields >> numerator >> denominator >> decimals >> expected;
        const long double quotient = static_cast<long double>(numerator) / denominator;
        const std::string pattern = "%." + std::to_string(decimals) + "f";
        EXPECT_EQ(formatText(pattern, {quotient}, settings), expected) << line;
        ++compared;
    }
    EXPECT_GT(compared, 1000) << "the reference file was cut short";
}
