#include "simulation/SimulationEngine.h"

#include "ReferenceSimulation.h"
#include "SimulationLog.h"
#include "simulation/FailureSimulation.h"
#include "simulation/Generator.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct PathCase
{
    InstructionSet instructionSet;
    unsigned threads;
};

std::string nameOf(const PathCase& path)
{
    const char* set = path.instructionSet == InstructionSet::Avx512 ? "Avx512"
                      : path.instructionSet == InstructionSet::Avx2 ? "Avx2"
                                                                    : "Scalar";
    return std::string(set) + "Threads" + std::to_string(path.threads);
}

// Every instruction set the machine has, each forced in turn, on one thread and shared out.
std::vector<PathCase> availablePaths()
{
    std::vector<PathCase> paths;
    for (const InstructionSet set :
         {InstructionSet::Scalar, InstructionSet::Avx2, InstructionSet::Avx512})
        if (isSupported(set))
            for (const unsigned threads : {1u, 2u, 3u})
                paths.push_back({set, threads});
    return paths;
}

class SimulationPathTest : public ::testing::TestWithParam<PathCase>
{
protected:
    // Small simulations are shared out too, so that thread blocks and their borders get tested.
    SimulationSettings settings() const
    {
        return {GetParam().instructionSet, GetParam().threads, 1000};
    }
};

double reliabilityForThreshold(std::uint32_t m)
{
    // 1 - m / 2^32 is exact, and so is p = m / 2^32 again.
    return 1.0 - static_cast<double>(m) * 0x1p-32;
}

} // namespace

TEST_P(SimulationPathTest, matchesThePlainLoopInHistogramAndFinalState)
{
    const std::int32_t engineCounts[] = {0, 1, 2, 3, 9, 15, 16, 31, 100, 257, 1000};
    const std::int32_t runCounts[] = {-5, 0, 1, 127, 129, 1000, 4099, 20011};
    const double reliabilities[] = {0.999,
                                    0.0,
                                    1.0,
                                    99.9,
                                    150.0,
                                    -1.0,
                                    0.5,
                                    0.97,
                                    reliabilityForThreshold(3000000000u),
                                    reliabilityForThreshold(1u)};
    const std::uint32_t seeds[] = {0u, 1u, 0xFFFFFFFFu, 649090867u, 0x9E3779B9u};

    int index = 0;
    for (const std::int32_t engines : engineCounts) {
        for (const std::int32_t runs : runCounts) {
            if (static_cast<std::int64_t>(engines) * runs > 3'000'000)
                continue;
            for (int variant = 0; variant < 3; ++variant, ++index) {
                const double reliability = reliabilities[index % std::size(reliabilities)];
                const std::uint32_t seed = seeds[index % std::size(seeds)];

                std::uint32_t expectedState = seed;
                const FailureHistogram expected =
                    referenceSimulation(expectedState, engines, std::max(runs, 0), reliability);

                FailureHistogram histogram(static_cast<std::size_t>(engines) + 1, 0);
                const std::uint32_t state = simulateRuns(
                    seed, engines, runs, failureThreshold(failureProbability(reliability)),
                    histogram.data(), settings());
                ASSERT_EQ(histogram, expected) << engines << " engines, " << runs
                                               << " runs, r = " << reliability << ", seed " << seed;
                ASSERT_EQ(state, expectedState) << engines << " engines, " << runs << " runs";
            }
        }
    }
}

TEST_P(SimulationPathTest, sharesOutLargeSimulationsWithoutChangingTheResult)
{
    for (const auto& [engines, runs] : {std::pair{9, 1'000'003}, std::pair{1, 3'000'017},
                                        std::pair{3, 1'500'001}, std::pair{40, 200'003}}) {
        std::uint32_t expectedState = 777u;
        const FailureHistogram expected = referenceSimulation(expectedState, engines, runs, 0.9);
        FailureHistogram histogram(static_cast<std::size_t>(engines) + 1, 0);
        const std::uint32_t state =
            simulateRuns(777u, engines, runs, failureThreshold(failureProbability(0.9)),
                         histogram.data(), {GetParam().instructionSet, GetParam().threads});
        EXPECT_EQ(histogram, expected) << engines << " engines";
        EXPECT_EQ(state, expectedState) << engines << " engines";
    }
}

// Runs of more than 2^20 engines, fewer than the lanes or left over beyond their shares, are cut
// into stretches of draws; the stretches' borders and the draws after the last must add up.
TEST_P(SimulationPathTest, cutsRunsOfVeryManyEnginesIntoStretches)
{
    struct Case
    {
        std::int32_t engines;
        std::int32_t runs;
        double reliability;
    };
    const Case cases[] = {{(1 << 20) + 1, 1, 0.5},
                          {(1 << 20) + 1, 67, 0.999},
                          {(1 << 20) + 999, 3, 0.97},
                          {3'000'017, 2, 0.9999}};
    SimulationLog log;
    for (const Case& c : cases) {
        log.clear();
        std::uint32_t expectedState = 4711u;
        const FailureHistogram expected =
            referenceSimulation(expectedState, c.engines, c.runs, c.reliability);
        FailureHistogram histogram(static_cast<std::size_t>(c.engines) + 1, 0);
        const std::uint32_t state = simulateRuns(
            4711u, c.engines, c.runs, failureThreshold(failureProbability(c.reliability)),
            histogram.data(), {GetParam().instructionSet, GetParam().threads});
        EXPECT_EQ(histogram, expected) << c.engines << " engines, " << c.runs << " runs";
        EXPECT_EQ(state, expectedState) << c.engines << " engines, " << c.runs << " runs";
        EXPECT_TRUE(log.text().contains(QStringLiteral("cut into stretches")))
            << log.text().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPath, SimulationPathTest, ::testing::ValuesIn(availablePaths()),
                         [](const auto& info) { return nameOf(info.param); });

// A set the machine lacks falls back to scalar code; either way the counts are the plain loop's.
TEST(SimulationSettings, everyRequestedInstructionSetGivesThePlainLoopsCounts)
{
    EXPECT_TRUE(isSupported(InstructionSet::Scalar));
    EXPECT_TRUE(isSupported(bestInstructionSet()));
    for (const InstructionSet set : {InstructionSet::Avx2, InstructionSet::Avx512}) {
        FailureHistogram histogram(10, 0);
        std::uint32_t state = 5u;
        const FailureHistogram expected = referenceSimulation(state, 9, 1000, 0.9);
        simulateRuns(5u, 9, 1000, failureThreshold(0.1), histogram.data(), {set, 1});
        EXPECT_EQ(histogram, expected);
    }
}

// The settings a caller passes reach the engine: three scalar threads sharing even a small
// simulation still give the plain loop's counts and end state.
TEST(SimulationSettings, simulateFailuresRunsWithTheSettingsItIsGiven)
{
    std::uint32_t expectedState = 99u;
    const FailureHistogram expected = referenceSimulation(expectedState, 9, 20011, 0.97);
    FailureHistogram histogram;
    const std::uint32_t state =
        simulateFailures(9, 20011, histogram, 0.97, 99u, {InstructionSet::Scalar, 3, 77});
    EXPECT_EQ(histogram, expected);
    EXPECT_EQ(state, expectedState);
}
