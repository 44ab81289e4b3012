#include "chart/ChartAxis.h"

#include "support/CaseNames.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The expected ticks are the nice-number rule worked by hand: the smallest step of 1, 2 or 5
// times a power of ten that reaches 1.05 x the highest value in at most maxIntervals steps, on a
// probability axis that ends at 1 at most.
struct LinearCase
{
    const char* name;
    double highest;
    int maxIntervals;
    std::vector<std::string> point; // the labels with a full stop; a comma gives the same digits
};

void PrintTo(const LinearCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class LinearTicksTest : public testing::TestWithParam<LinearCase>
{};

TEST_P(LinearTicksTest, NiceStepsWithTheDigitsTheStepNeeds)
{
    const LinearCase& c = GetParam();
    for (const std::string separator : {".", ","}) {
        const std::vector<AxisTick> ticks = linearTicks(c.highest, c.maxIntervals, separator, 1.0);
        ASSERT_EQ(ticks.size(), c.point.size()) << separator;
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            std::string expected = c.point[i];
            if (const auto dot = expected.find('.'); dot != std::string::npos)
                expected.replace(dot, 1, separator);
            EXPECT_EQ(ticks[i].text, expected);
            // The value is the double the label reads as, not a sum of rounded steps.
            EXPECT_EQ(ticks[i].value, std::stod(c.point[i])) << c.point[i];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    chart, LinearTicksTest,
    testing::Values(
        // 9 engines at 0.9: the tallest bar near 0.387; 3 x 0.1 once printed 0.30000000000000004.
        LinearCase{
            "nineEngines",
            0.3874,
            10,
            {"0.00", "0.05", "0.10", "0.15", "0.20", "0.25", "0.30", "0.35", "0.40", "0.45"}},
        LinearCase{
            "fewIntervalsTakeALargerStep", 0.3874, 5, {"0.0", "0.1", "0.2", "0.3", "0.4", "0.5"}},
        // 3 x 0.05 once printed 0.15000000000000002.
        LinearCase{"fiveHundredths", 0.16, 4, {"0.00", "0.05", "0.10", "0.15", "0.20"}},
        LinearCase{"oneThousandEngines",
                   0.1257,
                   10,
                   {"0.00", "0.02", "0.04", "0.06", "0.08", "0.10", "0.12", "0.14"}},
        LinearCase{"everyRunTheSameCount",
                   1,
                   10,
                   {"0.0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0"}},
        LinearCase{"nearlyEveryRunTheSameCount", 0.97, 4, {"0.0", "0.5", "1.0"}},
        LinearCase{"emptyChartFromZeroToOne", 0, 5, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}},
        LinearCase{"oneRunInTwoBillion",
                   4.7e-10,
                   8,
                   {"0.0000000000", "0.0000000001", "0.0000000002", "0.0000000003", "0.0000000004",
                    "0.0000000005"}},
        LinearCase{"noRoomStillTwoTicks", 0.3, 0, {"0.0", "0.5"}}),
    CaseByName());

TEST(GroupedDigitsTest, GroupsOfThreeFromTheRight)
{
    for (const std::string separator : {".", "\u202F"}) {
        const auto grouped = [&separator](std::string text) {
            for (auto at = text.find('_'); at != std::string::npos; at = text.find('_'))
                text.replace(at, 1, separator);
            return text;
        };
        EXPECT_EQ(groupedDigits(0, separator), "0");
        EXPECT_EQ(groupedDigits(999, separator), "999");
        EXPECT_EQ(groupedDigits(1000, separator), grouped("1_000"));
        EXPECT_EQ(groupedDigits(10'000'000, separator), grouped("10_000_000"));
        EXPECT_EQ(groupedDigits(2'147'483'647, separator), grouped("2_147_483_647"));
        EXPECT_EQ(groupedDigits(-1234, separator), grouped("-1_234"));
        EXPECT_EQ(groupedDigits(-123, separator), "-123");
    }
}

TEST(PowerOfTenTest, ExponentInSuperscriptDigits)
{
    EXPECT_EQ(powerOfTen(0), "10⁰");
    EXPECT_EQ(powerOfTen(-3), "10⁻³");
    EXPECT_EQ(powerOfTen(-12), "10⁻¹²");
    EXPECT_EQ(powerOfTen(5), "10⁵");
    EXPECT_EQ(powerOfTen(-120), "10⁻¹²⁰");
}

struct LogRangeCase
{
    const char* name;
    std::vector<double> values;
    LogRange expected;
};

void PrintTo(const LogRangeCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class LogRangeTest : public testing::TestWithParam<LogRangeCase>
{};

TEST_P(LogRangeTest, FromTheDecadeAboveTheLargestToTheOneBelowTheSmallest)
{
    EXPECT_EQ(logRange(GetParam().values, 12), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    chart, LogRangeTest,
    testing::Values(LogRangeCase{"nineEngines", {0.38, 6.1e-5, 2.9e-6, 0}, {-6, 0}},
                    // 33 engines at 0.95 reach 1e-43; nothing below twelve decades is drawn.
                    LogRangeCase{"cappedAtTwelveDecades", {0.31, 1e-20, 1e-43}, {-12, 0}},
                    LogRangeCase{"exactPowersBoundTheRange", {0.1, 0.001}, {-3, -1}},
                    LogRangeCase{"oneValueGetsOneDecade", {1}, {-1, 0}},
                    LogRangeCase{"nothingPositive", {0, 0}, {-1, 0}},
                    LogRangeCase{"allSmall", {3e-4, 2e-7}, {-7, -3}}),
    CaseByName());

TEST(LogTicksTest, EveryDecadeOrEveryStrideOfThem)
{
    const auto texts = [](LogRange range, int intervals) {
        std::vector<std::string> texts;
        for (const AxisTick& tick : logTicks(range, intervals))
            texts.push_back(tick.text);
        return texts;
    };
    EXPECT_EQ(texts({-6, 0}, 10),
              (std::vector<std::string>{"10⁻⁶", "10⁻⁵", "10⁻⁴", "10⁻³", "10⁻²", "10⁻¹", "10⁰"}));
    EXPECT_EQ(texts({-12, 0}, 6),
              (std::vector<std::string>{"10⁻¹²", "10⁻¹⁰", "10⁻⁸", "10⁻⁶", "10⁻⁴", "10⁻²", "10⁰"}));
    EXPECT_EQ(texts({-5, -1}, 2), (std::vector<std::string>{"10⁻⁴", "10⁻²"}));
    EXPECT_EQ(logTicks({-3, -1}, 4).front().value, 1e-3);
}

struct CountCase
{
    const char* name;
    std::int64_t first;
    std::int64_t last;
    double minStep;
    std::vector<std::int64_t> expected;
};

void PrintTo(const CountCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class CountTicksTest : public testing::TestWithParam<CountCase>
{};

TEST_P(CountTicksTest, WholeNumbersANiceStepApart)
{
    const CountCase& c = GetParam();
    EXPECT_EQ(countTicks(c.first, c.last, c.minStep), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    chart, CountTicksTest,
    testing::Values(CountCase{"everyCount", 0, 9, 0.5, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
                    CountCase{"everyFifth", 0, 23, 3.2, {0, 5, 10, 15, 20}},
                    CountCase{"fromTheFirstMultiple", 3, 17, 4, {5, 10, 15}},
                    CountCase{"aWindowOfManyEngines",
                              49'800,
                              50'150,
                              23,
                              {49'800, 49'850, 49'900, 49'950, 50'000, 50'050, 50'100, 50'150}},
                    CountCase{"exactlyTheStep", 0, 40, 20, {0, 20, 40}}),
    CaseByName());

} // namespace
