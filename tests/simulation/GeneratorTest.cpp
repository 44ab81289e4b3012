#include "simulation/Generator.h"

#include "support/FakeClock.h"

#include <gtest/gtest.h>

TEST(NextUniform, followsTheGeneratorFromStateZero)
{
    GeneratorSeed = 0;
    const std::uint32_t states[] = {1u, 134775814u, 3698175007u, 870078620u, 1172187917u};
    const double values[] = {2.3283064365386963e-10, 0.031379939522594213, 0.8610484672244638,
                             0.20258096512407064, 0.2729212671983987};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(NextUniform(), values[i]) << "draw " << i;
        EXPECT_EQ(GeneratorSeed, states[i]) << "draw " << i;
    }
}

TEST(NextUniform, readsTheStateAsUnsigned)
{
    GeneratorSeed = 0xFFFFFFFFu;
    EXPECT_EQ(NextUniform(), 0.9686200609430671);
    EXPECT_EQ(GeneratorSeed, 0xF7F77BFCu);
}

TEST(NextUniform, returnsZeroOnlyForStateZeroAndNeverOne)
{
    GeneratorSeed = 649090867u;
    EXPECT_EQ(NextUniform(), 0.0);
    EXPECT_EQ(GeneratorSeed, 0u);

    // The state before 0xFFFFFFFF gives the largest value.
    GeneratorSeed = Lcg::jump(0xFFFFFFFFu, (std::uint64_t{1} << 32) - 1);
    EXPECT_EQ(NextUniform(), 1.0 - 0x1p-32);
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

TEST(SeedFromClock, takesTheLow32BitsOfTheCounter)
{
    FakeClock clock;
    clock.counter = (std::uint64_t{1} << 32) + 5;
    clock.ticks = 999;
    platform::ScopedClockSource scoped(clock);
    GeneratorSeed = 42;
    SeedFromClock();
    EXPECT_EQ(GeneratorSeed, 5u);
}

TEST(SeedFromClock, fallsBackToTheTickCountWhenTheCounterFails)
{
    FakeClock clock;
    clock.counterWorks = false;
    clock.counter = 123;
    clock.ticks = 0xCAFEu;
    platform::ScopedClockSource scoped(clock);
    SeedFromClock();
    EXPECT_EQ(GeneratorSeed, 0xCAFEu);
}
