#include "simulation/SimulationEngine.h"

#include "ReferenceSimulation.h"
#include "simulation/Generator.h"
#include "simulation/SimuliereAusfaelle.h"

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

                GeneratorSeed = seed;
                const TAusFallarray expected =
                    referenceSimulation(engines, std::max(runs, 0), reliability);
                const std::uint32_t expectedState = GeneratorSeed;

                TAusFallarray histogram(static_cast<std::size_t>(engines) + 1, 0);
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
        GeneratorSeed = 777u;
        const TAusFallarray expected = referenceSimulation(engines, runs, 0.9);
        const std::uint32_t expectedState = GeneratorSeed;
        TAusFallarray histogram(static_cast<std::size_t>(engines) + 1, 0);
        const std::uint32_t state =
            simulateRuns(777u, engines, runs, failureThreshold(failureProbability(0.9)),
                         histogram.data(), {GetParam().instructionSet, GetParam().threads});
        EXPECT_EQ(histogram, expected) << engines << " engines";
        EXPECT_EQ(state, expectedState) << engines << " engines";
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
        TAusFallarray histogram(10, 0);
        GeneratorSeed = 5u;
        const TAusFallarray expected = referenceSimulation(9, 1000, 0.9);
        simulateRuns(5u, 9, 1000, failureThreshold(0.1), histogram.data(), {set, 1});
        EXPECT_EQ(histogram, expected);
    }
}

TEST(SimulationSettings, scopedSettingsApplyAndAreRestored)
{
    const SimulationSettings before = simulationSettings();
    {
        ScopedSimulationSettings scoped({InstructionSet::Scalar, 3, 77});
        EXPECT_EQ(simulationSettings().instructionSet, InstructionSet::Scalar);
        EXPECT_EQ(simulationSettings().threads, 3u);
        EXPECT_EQ(simulationSettings().minDrawsPerThread, 77u);
    }
    EXPECT_EQ(simulationSettings().instructionSet, before.instructionSet);
    EXPECT_EQ(simulationSettings().threads, before.threads);
}
