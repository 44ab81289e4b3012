#include "cli/ChartTitle.h"

#include "support/CaseNames.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// The title of a picture: the inputs in words, the counts grouped in threes, the reliability as
// typed with the picture's decimal separator. Each case is written with "," for the decimal
// separator and "." between digit groups, and checked with those and with "." and a narrow
// no-break space.
struct TitleCase
{
    const char* name;
    std::int32_t engines;
    std::int32_t runs;
    std::string_view reliabilityText;
    long double reliability;
    bool explicitPercent;
    std::uint32_t seed;
    std::string expected;
};

void PrintTo(const TitleCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class ChartTitleTest : public testing::TestWithParam<TitleCase>
{};

TEST_P(ChartTitleTest, SaysTheInputsInWords)
{
    const TitleCase& c = GetParam();
    ReportRequest request;
    request.reliability = c.reliability;
    request.engines = c.engines;
    request.runs = c.runs;
    request.reliabilityText = c.reliabilityText;
    request.explicitPercent = c.explicitPercent;
    for (const ChartSeparators& separators :
         {ChartSeparators{",", "."}, ChartSeparators{".", "\u202F"}}) {
        std::string expected;
        for (const char character : c.expected) {
            if (character == ',')
                expected += separators.decimal;
            else if (character == '.')
                expected += separators.digitGroup;
            else
                expected += character;
        }
        EXPECT_EQ(chartTitle(request, c.seed, separators), expected) << separators.decimal;
    }
}

INSTANTIATE_TEST_SUITE_P(
    cli, ChartTitleTest,
    testing::Values(
        TitleCase{"fraction", 33, 10'000'000, "0.999", 0.999L, false, 42,
                  "10.000.000 Durchläufe mit je 33 Triebwerken der Zuverlässigkeit 0,999 "
                  "(Startwert 42)"},
        TitleCase{"barePercentage", 9, 1'234'567, "99,9", 99.9L, false, 4'294'967'295,
                  "1.234.567 Durchläufe mit je 9 Triebwerken der Zuverlässigkeit 99,9\u202F% "
                  "(Startwert 4.294.967.295)"},
        TitleCase{"percentSignWithASpace", 1'000, 1, "0,5 %", 0.005L, true, 0,
                  "1 Durchlauf mit je 1.000 Triebwerken der Zuverlässigkeit 0,5\u202F% "
                  "(Startwert 0)"},
        TitleCase{"oneEngine", 1, 999, "1", 1.0L, false, 7,
                  "999 Durchläufe mit je 1 Triebwerk der Zuverlässigkeit 1 (Startwert 7)"},
        TitleCase{"exponent", 536'870'908, 2'147'483'647, "9,99e-1", 0.999L, false, 1,
                  "2.147.483.647 Durchläufe mit je 536.870.908 Triebwerken der Zuverlässigkeit "
                  "9,99e-1 (Startwert 1)"}),
    CaseByName());

} // namespace
