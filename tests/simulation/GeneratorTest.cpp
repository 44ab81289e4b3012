#include "simulation/Generator.h"

#include "ReferenceSimulation.h"

#include <gtest/gtest.h>

TEST(Draw, followsTheGeneratorFromStateZero)
{
    std::uint32_t state = 0;
    const std::uint32_t states[] = {1u, 134775814u, 3698175007u, 870078620u, 1172187917u};
    const double values[] = {2.3283064365386963e-10, 0.031379939522594213, 0.8610484672244638,
                             0.20258096512407064, 0.2729212671983987};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(referenceUniform(state), values[i]) << "draw " << i;
        EXPECT_EQ(state, states[i]) << "draw " << i;
    }
}

TEST(Draw, readsTheStateAsUnsigned)
{
    std::uint32_t state = 0xFFFFFFFFu;
    EXPECT_EQ(referenceUniform(state), 0.9686200609430671);
    EXPECT_EQ(state, 0xF7F77BFCu);
}

TEST(Draw, returnsZeroOnlyForStateZeroAndNeverOne)
{
    std::uint32_t state = 649090867u;
    EXPECT_EQ(referenceUniform(state), 0.0);
    EXPECT_EQ(state, 0u);

    // The state before 0xFFFFFFFF gives the largest value.
    state = Lcg::jump(0xFFFFFFFFu, (std::uint64_t{1} << 32) - 1);
    EXPECT_EQ(referenceUniform(state), 1.0 - 0x1p-32);
}

TEST(LcgJump, equalsThatManySingleSteps)
{
    for (const std::uint32_t start : {0u, 1u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        std::uint32_t state = start;
        for (std::uint64_t steps = 0; steps < 300; ++steps) {
            EXPECT_EQ(Lcg::jump(start, steps), state) << start << " + " << steps;
            state = Lcg::next(state);
        }
    }
    // The full period returns to the start.
    EXPECT_EQ(Lcg::jump(12345u, std::uint64_t{1} << 32), 12345u);
}

TEST(SeedFrom, takesTheLow32BitsOfTheMonotonicClock)
{
    EXPECT_EQ(seedFrom((std::uint64_t{1} << 32) + 5, 999), 5u);
    EXPECT_EQ(seedFrom(0xFFFFFFFFFFFFFFFFu, 999), 0xFFFFFFFFu);
    EXPECT_EQ(seedFrom(0, 999), 0u);
}

TEST(SeedFrom, fallsBackToTheMillisecondsWhenTheClockFails)
{
    EXPECT_EQ(seedFrom(std::nullopt, 0xCAFEu), 0xCAFEu);
}
