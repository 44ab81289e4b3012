#include "chart/ChartLayout.h"

#include "statistics/ExactDistribution.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

// Of 100,000 engines at reliability 0.5 only a few hundred counts around 50,000 ever occur; the
// axis spans those, not the whole range.
TEST(ChartLayoutTest, ManyEnginesShowOnlyTheCountsThatCarryProbability)
{
    std::vector<std::int32_t> histogram(100'001, 0);
    histogram[49'800] = 1;
    histogram[50'000] = 3;
    histogram[50'150] = 1;
    ChartRequest request;
    request.histogram = histogram;
    request.runs = 5;
    const ChartLayout simulated(request);
    EXPECT_EQ(simulated.firstShown(), 49'800);
    EXPECT_EQ(simulated.lastShown(), 50'150);
    EXPECT_FALSE(simulated.showsEveryCount());

    const ExactDistribution exact(100'000, 0.5);
    request.exact = &exact;
    const ChartLayout withExact(request);
    EXPECT_LT(withExact.firstShown(), 49'800);
    EXPECT_GT(withExact.lastShown(), 50'150);
    // Probabilities of 1e-12 lie about 7.4 standard deviations (of 158 counts) from the mean.
    EXPECT_LT(withExact.lastShown() - withExact.firstShown(), 16 * 158);
    EXPECT_LT(exact.probability(withExact.firstShown() - 1), 1e-12);

    std::vector<std::int32_t> few = {0, 5, 0, 0};
    request.histogram = few;
    request.exact = nullptr;
    EXPECT_TRUE(ChartLayout(request).showsEveryCount());
}
