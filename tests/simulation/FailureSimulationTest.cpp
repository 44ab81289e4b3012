#include "simulation/FailureSimulation.h"

#include "ReferenceSimulation.h"
#include "platform/Exceptions.h"
#include "simulation/Generator.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numeric>

TEST(SimulateFailures, fillsTheHistogramOfTheDeterminedCases)
{
    struct Case
    {
        std::int32_t engines;
        std::int32_t runs;
        double reliability;
        FailureHistogram expected;
    };
    const Case cases[] = {
        {3, 5, 1.0, {5, 0, 0, 0}},
        {3, 5, 0.0, {0, 0, 0, 5}},
        {3, 5, -2.5, {0, 0, 0, 5}},
        {3, 5, 150.0, {5, 0, 0, 0}},
        {3, 5, 100.0, {5, 0, 0, 0}},
        {0, 7, 0.5, {7}},
        {4, 0, 0.5, {0, 0, 0, 0, 0}},
        {4, -3, 0.5, {0, 0, 0, 0, 0}},
        {-1, 0, 0.5, {}},
        {-1, -5, 0.5, {}},
    };
    for (const Case& c : cases) {
        FailureHistogram histogram{9, 9, 9, 9, 9, 9, 9};
        simulateFailures(c.engines, c.runs, histogram, c.reliability, 1u);
        EXPECT_EQ(histogram, c.expected)
            << c.engines << " engines, " << c.runs << " runs, r = " << c.reliability;
    }
}

TEST(SimulateFailures, drawsEveryEngineOfEveryRunFromTheStartState)
{
    struct Case
    {
        std::int32_t engines;
        std::int32_t runs;
        double reliability;
        std::uint32_t seed;
    };
    const Case cases[] = {
        {9, 100000, 0.999, 12345u},   {9, 20000, 0.5, 0u},   {1, 50000, 0.9, 0xFFFFFFFFu},
        {2, 33333, 0.25, 649090867u}, {3, 1001, 99.9, 7u},   {31, 999, 0.97, 0xABCDEF01u},
        {100, 513, 0.99, 3u},         {257, 129, 0.995, 1u}, {0, 77, 0.5, 5u},
        {17, 1, 0.0001, 99u},         {5, 4099, -1.0, 11u},  {5, 4099, 150.0, 11u},
    };
    for (const Case& c : cases) {
        FailureHistogram histogram;
        const std::uint32_t finalState =
            simulateFailures(c.engines, c.runs, histogram, c.reliability, c.seed);

        std::uint32_t state = c.seed;
        EXPECT_EQ(histogram, referenceSimulation(state, c.engines, c.runs, c.reliability))
            << c.engines << " engines, " << c.runs << " runs, seed " << c.seed;
        EXPECT_EQ(finalState, state);
        EXPECT_EQ(std::accumulate(histogram.begin(), histogram.end(), std::int64_t{0}), c.runs);
    }
}

TEST(SimulateFailures, aDrawEqualToTheFailureProbabilityWorks)
{
    const std::uint32_t state = Lcg::next(1000u);
    FailureHistogram histogram;
    // p = state / 2^32 exactly: 1 - p is exact in a double for this state.
    const double equal = 1.0 - std::ldexp(static_cast<double>(state), -32);
    simulateFailures(1, 1, histogram, equal, 1000u);
    EXPECT_EQ(histogram, (FailureHistogram{1, 0}));

    const double justAbove = 1.0 - std::ldexp(static_cast<double>(state) + 1, -32);
    simulateFailures(1, 1, histogram, justAbove, 1000u);
    EXPECT_EQ(histogram, (FailureHistogram{0, 1}));
}

TEST(SimulateFailures, refusesNegativeAndOversizedEngineCounts)
{
    struct Case
    {
        std::int32_t engines;
        std::int32_t runs;
    };
    const Case cases[] = {{-2, 5},
                          {-2, 0},
                          {std::numeric_limits<std::int32_t>::min(), 1},
                          {-1, 1},
                          {-1, std::numeric_limits<std::int32_t>::max()},
                          {maxEngineCount + 1, 1},
                          {std::numeric_limits<std::int32_t>::max(), 0}};
    for (const Case& c : cases) {
        FailureHistogram histogram{1, 2, 3};
        try {
            simulateFailures(c.engines, c.runs, histogram, 0.5, 4242u);
            ADD_FAILURE() << c.engines << " engines were accepted";
        } catch (const ERangeError& error) {
            EXPECT_EQ(error.message(), "Fehler bei Bereichsprüfung");
        }
        EXPECT_EQ(histogram, (FailureHistogram{1, 2, 3})) << c.engines;
    }
}

// A histogram the system cannot give is refused before it is touched, not left to the kernel's
// out-of-memory killer: 1001 counts take 4004 bytes.
TEST(SimulateFailures, refusesAHistogramLargerThanTheAvailableMemory)
{
    SimulationSettings settings;
    settings.availableMemory = 4003;
    FailureHistogram histogram{1, 2, 3};
    EXPECT_THROW(simulateFailures(1000, 10, histogram, 0.5, 4242u, settings), EOutOfMemory);
    EXPECT_EQ(histogram, (FailureHistogram{1, 2, 3}));
    settings.availableMemory = 4004;
    simulateFailures(1000, 10, histogram, 0.5, 4242u, settings);
    EXPECT_EQ(histogram.size(), 1001u);
    settings.availableMemory.reset();
    simulateFailures(maxEngineCount / 64, 1, histogram, 0.5, 4242u, settings);
    EXPECT_EQ(histogram.size(), static_cast<std::size_t>(maxEngineCount / 64 + 1));
}

TEST(SimulateFailuresLimits, theLongestHistogramHas536870909Elements)
{
    EXPECT_EQ(maxEngineCount + 1, 536'870'909);
}

TEST(FailureProbability, appliesThePercentageRuleWithRoundingToDouble)
{
    EXPECT_EQ(failureProbability(1.0), 0.0);
    EXPECT_EQ(failureProbability(100.0), 0.0);
    EXPECT_EQ(failureProbability(0.0), 1.0);
    EXPECT_LT(failureProbability(150.0), 0.0);
    // 99.9 / 100 rounds to 0.9990000000000001, so its p differs from that of 0.999 ...
    EXPECT_NE(failureProbability(99.9), failureProbability(0.999));
    // ... while both select the same failing states.
    EXPECT_EQ(failureThreshold(failureProbability(99.9)), 4294968u);
    EXPECT_EQ(failureThreshold(failureProbability(0.999)), 4294968u);
}

TEST(FailureThreshold, countsTheStatesBelowTheProbability)
{
    struct Case
    {
        double p;
        std::uint64_t threshold;
    };
    const double m = 123456789.0;
    const Case cases[] = {
        {0.0, 0u},
        {-0.0, 0u},
        {-1.0, 0u},
        {-std::numeric_limits<double>::infinity(), 0u},
        {std::numeric_limits<double>::quiet_NaN(), 0u},
        {std::numeric_limits<double>::denorm_min(), 1u},
        {0x1p-32, 1u},
        {m * 0x1p-32, 123456789u},
        {std::nextafter(m * 0x1p-32, 1.0), 123456790u},
        {std::nextafter(m * 0x1p-32, 0.0), 123456789u},
        {1.0 - 0x1p-32, 0xFFFFFFFFu},
        {std::nextafter(1.0, 0.0), std::uint64_t{1} << 32},
        {1.0, std::uint64_t{1} << 32},
        {2.0, std::uint64_t{1} << 32},
        {std::numeric_limits<double>::infinity(), std::uint64_t{1} << 32},
    };
    for (const Case& c : cases)
        EXPECT_EQ(failureThreshold(c.p), c.threshold) << c.p;
}
