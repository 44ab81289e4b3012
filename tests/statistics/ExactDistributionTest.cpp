#include "statistics/ExactDistribution.h"

#include "support/CaseNames.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <iomanip>
#include <numbers>
#include <ostream>

namespace {

// The binomial probability straight from its definition, n over k times p^k (1 - p)^(n - k),
// with the binomial coefficient built up as a product: fine for small n, and independent of the
// walk from the mode that the class does.
long double directBinomial(int n, int k, long double p)
{
    long double coefficient = 1;
    for (int i = 1; i <= k; ++i)
        coefficient = coefficient * (n - k + i) / i;
    return coefficient * std::pow(p, k) * std::pow(1 - p, n - k);
}

struct SmallCase
{
    int engines;
    double p;
};

void PrintTo(const SmallCase& testCase, std::ostream* os)
{
    *os << testCase.engines << " engines, p = " << std::setprecision(10) << testCase.p;
}

class SmallDistributionTest : public testing::TestWithParam<SmallCase>
{};

TEST_P(SmallDistributionTest, MatchesTheDefinitionForEveryCount)
{
    const auto [engines, p] = GetParam();
    const ExactDistribution distribution(engines, p);
    for (int k = -1; k <= engines + 1; ++k) {
        const long double expected = k < 0 || k > engines ? 0 : directBinomial(engines, k, p);
        const double actual = distribution.probability(k);
        if (expected < 1e-300L)
            EXPECT_LE(actual, 1e-290) << "k = " << k;
        else
            EXPECT_NEAR(actual / static_cast<double>(expected), 1, 1e-13) << "k = " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(statistics, SmallDistributionTest,
                         testing::Values(SmallCase{1, 0.5}, SmallCase{2, 0.5}, SmallCase{9, 0.001},
                                         SmallCase{9, 0.999}, SmallCase{17, 0.1},
                                         SmallCase{40, 0.3}, SmallCase{100, 0.01},
                                         SmallCase{300, 0.5}, SmallCase{1000, 1.0 / 4294967296},
                                         SmallCase{1000, 1 - 1.0 / 4294967296}),
                         CaseByPrintedValue());

TEST(ExactDistributionTest, CertainOutcomesAndNoEngines)
{
    EXPECT_EQ(ExactDistribution(5, 0).probability(0), 1);
    EXPECT_EQ(ExactDistribution(5, 0).probability(1), 0);
    EXPECT_EQ(ExactDistribution(5, 1).probability(5), 1);
    EXPECT_EQ(ExactDistribution(5, 1).probability(4), 0);
    EXPECT_EQ(ExactDistribution(0, 0.3).probability(0), 1);
    EXPECT_EQ(ExactDistribution(-1, 0.3).probability(0), 0);
}

struct LargeCase
{
    std::int32_t engines;
    double p;
};

void PrintTo(const LargeCase& testCase, std::ostream* os)
{
    *os << testCase.engines << " engines, p = " << testCase.p;
}

class LargeDistributionTest : public testing::TestWithParam<LargeCase>
{};

// For engine counts where factorials and powers overflow every floating-point format, the
// probabilities stay finite, add up to 1, peak at the mean and are held only where they are not
// negligible.
TEST_P(LargeDistributionTest, StaysFiniteNormalisedAndNarrow)
{
    const auto [engines, p] = GetParam();
    const ExactDistribution distribution(engines, p);
    const double mean = engines * p;
    const double deviation = std::sqrt(mean * (1 - p));
    EXPECT_LE(distribution.last() - distribution.first(), 80 * deviation + 80);
    long double total = 0;
    double largest = 0;
    std::int64_t mode = -1;
    for (std::int64_t k = distribution.first(); k <= distribution.last(); ++k) {
        const double value = distribution.probability(k);
        ASSERT_TRUE(std::isfinite(value)) << k;
        total += value;
        if (value > largest) {
            largest = value;
            mode = k;
        }
    }
    EXPECT_NEAR(static_cast<double>(total), 1, 1e-12);
    EXPECT_LE(std::abs(static_cast<double>(mode) - mean), 1);
    // The normal approximation at the mean holds to a few digits for these spreads.
    EXPECT_NEAR(largest * deviation * std::sqrt(2 * std::numbers::pi), 1, 1e-2);
}

INSTANTIATE_TEST_SUITE_P(statistics, LargeDistributionTest,
                         testing::Values(LargeCase{10'000'000, 0.0010000001639127731},
                                         LargeCase{10'000'000, 0.5}, LargeCase{536'870'908, 0.5},
                                         LargeCase{536'870'908, 0.999}),
                         CaseByPrintedValue());

} // namespace
