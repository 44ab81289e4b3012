#include "statistics/ChiSquare.h"

#include "support/CaseNames.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace {

struct GammaCase
{
    double a;
    double x;
    double expected;
    double tolerance = 1e-12; // relative
};

void PrintTo(const GammaCase& testCase, std::ostream* os)
{
    *os << "Q(" << testCase.a << ", " << testCase.x << ")";
}

class UpperGammaTest : public testing::TestWithParam<GammaCase>
{};

TEST_P(UpperGammaTest, MatchesClosedFormsAndTables)
{
    const auto [a, x, expected, tolerance] = GetParam();
    EXPECT_NEAR(regularizedUpperGamma(a, x) / expected, 1, tolerance);
}

// Q(1, x) = e^-x; Q(1/2, x) = erfc(sqrt x); Q(n, x) = e^-x (1 + x + ... + x^(n-1)/(n-1)!);
// Q(50, 1) differs from 1 by about 1 / 50!;
// the chi-square 5 % points of 1, 10 and 100 degrees of freedom (3.841459, 18.307038, 124.342113).
INSTANTIATE_TEST_SUITE_P(statistics, UpperGammaTest,
                         testing::Values(GammaCase{1, 0.5, std::exp(-0.5)},
                                         GammaCase{1, 30, std::exp(-30.0)},
                                         GammaCase{0.5, 0.01, std::erfc(0.1)},
                                         GammaCase{0.5, 2, std::erfc(std::sqrt(2.0))},
                                         GammaCase{0.5, 20, std::erfc(std::sqrt(20.0))},
                                         GammaCase{3, 2, std::exp(-2.0) * (1 + 2 + 2)},
                                         GammaCase{3, 10, std::exp(-10.0) * (1 + 10 + 50)},
                                         GammaCase{50, 1, 1},
                                         GammaCase{0.5, 3.841459 / 2, 0.05, 1e-6},
                                         GammaCase{5, 18.307038 / 2, 0.05, 1e-6},
                                         GammaCase{50, 124.342113 / 2, 0.05, 1e-6}),
                         CaseByPrintedValue());

struct FitCase
{
    const char* name;
    std::int32_t engines;
    double p;
    std::vector<std::int32_t> histogram;
    double statistic;
    std::int64_t degreesOfFreedom;
    double pValue; // negative: none
};

class ChiSquareFitTest : public testing::TestWithParam<FitCase>
{};

TEST_P(ChiSquareFitTest, PoolsBinsAndTests)
{
    const FitCase& fit = GetParam();
    std::int64_t runs = 0;
    for (const std::int32_t count : fit.histogram)
        runs += count;
    const ChiSquare result =
        chiSquareTest(fit.histogram, runs, ExactDistribution(fit.engines, fit.p));
    EXPECT_NEAR(result.statistic, fit.statistic, 1e-12 * (1 + fit.statistic));
    EXPECT_EQ(result.degreesOfFreedom, fit.degreesOfFreedom);
    if (fit.pValue < 0) {
        EXPECT_FALSE(result.pValue.has_value());
    } else {
        ASSERT_TRUE(result.pValue.has_value());
        EXPECT_NEAR(*result.pValue, fit.pValue, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(
    statistics, ChiSquareFitTest,
    testing::Values(
        // Two bins of 50 expected runs each.
        FitCase{"perfectFit", 1, 0.5, {50, 50}, 0, 1, 1},
        FitCase{"tenOff", 1, 0.5, {60, 40}, 4, 1, std::erfc(std::sqrt(2.0))},
        // Expected 25, 50, 25: three bins, two degrees of freedom, p = e^(-x/2).
        FitCase{"threeBins", 2, 0.5, {30, 40, 30}, 1 + 2 + 1, 2, std::exp(-2.0)},
        // Expected 7.29, 2.43, 0.27, 0.001 x 10: the three rare counts together expect 2.71
        // runs and join the first bin, which leaves no degree of freedom.
        FitCase{"rareCountsJoinTheLastFullBin", 3, 0.1, {5, 3, 1, 1}, 0, 0, -1},
        // Expected 72.9, 24.3, 2.7, 0.1: counts 2 and 3 expect 2.8 together and join count 1.
        FitCase{"tailPooledIntoItsNeighbour",
                3,
                0.1,
                {70, 20, 8, 2},
                2.9 * 2.9 / 72.9 + 2.9 * 2.9 / 27.1,
                1,
                std::erfc(std::sqrt((2.9 * 2.9 / 72.9 + 2.9 * 2.9 / 27.1) / 2))},
        FitCase{"tooFewRunsForOneBin", 3, 0.1, {2, 1, 0, 0}, 0, 0, -1}),
    CaseByName());

} // namespace
