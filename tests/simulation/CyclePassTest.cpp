#include "simulation/CyclePass.h"

#include "ReferenceSimulation.h"
#include "SimulationLog.h"
#include "simulation/FailureHistogram.h"
#include "simulation/Generator.h"
#include "simulation/SimulationEngine.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Every cycle pass goes once around the generator's whole cycle of 2^32 states, a second or so
// in an optimised build and several under the sanitizers; a build defining
// TRIEBWERKE_FEW_CYCLE_PASSES keeps to a few of them.

namespace {

constexpr std::uint64_t cycle = std::uint64_t{1} << 32;

struct Input
{
    std::int32_t engines;
    std::int32_t runs;
    std::uint64_t threshold;
    std::uint32_t seed;
};

std::string describe(const Input& input)
{
    return std::to_string(input.engines) + " engines, " + std::to_string(input.runs) +
           " runs, threshold " + std::to_string(input.threshold) + ", seed " +
           std::to_string(input.seed);
}

struct Outcome
{
    FailureHistogram histogram;
    std::uint32_t state;
};

Outcome simulate(const Input& input, SimulationMethod method,
                 InstructionSet instructionSet = bestInstructionSet(), unsigned threads = 0)
{
    Outcome outcome{FailureHistogram(static_cast<std::size_t>(input.engines) + 1, 0), 0};
    SimulationSettings settings;
    settings.instructionSet = instructionSet;
    settings.threads = threads;
    settings.method = method;
    outcome.state = simulateRuns(input.seed, input.engines, input.runs, input.threshold,
                                 outcome.histogram.data(), settings);
    return outcome;
}

// The failures among the `count` draws after `state`, drawn in sixteen stretches side by side,
// each counting its own, so that their multiplications overlap.
std::uint64_t failuresAmong(std::uint32_t state, std::uint64_t count, std::uint64_t threshold)
{
    if (threshold > 0xFFFF'FFFFu)
        return count;
    const auto below = static_cast<std::uint32_t>(threshold);
    constexpr int ways = 16;
    const std::uint64_t share = count / ways;
    std::uint32_t states[ways];
    std::uint32_t failed[ways] = {};
    for (int way = 0; way < ways; ++way)
        states[way] = Lcg::jump(state, static_cast<std::uint64_t>(way) * share);
    for (std::uint64_t i = 0; i < share; ++i) {
        for (int way = 0; way < ways; ++way) {
            states[way] = Lcg::next(states[way]);
            failed[way] += states[way] < below ? 1 : 0;
        }
    }
    std::uint64_t failures = 0;
    for (const std::uint32_t stretch : failed)
        failures += stretch;
    std::uint32_t last = Lcg::jump(state, ways * share);
    for (std::uint64_t i = ways * share; i < count; ++i) {
        last = Lcg::next(last);
        failures += last < below ? 1 : 0;
    }
    return failures;
}

// Every run counted from the failures before the borders between runs, with no window sliding:
// run r draws numbers r x engines + 1 to (r + 1) x engines after the seed. One walk along the
// cycle, border to border in ascending order, gives the failures before every border; a run that
// reaches past the end of the cycle has drawn every state once on the way, and as many of them
// fail as the threshold counts. One walk around the cycle at most, whatever the engine count.
Outcome countBetweenBorders(const Input& input)
{
    const auto engines = static_cast<std::uint64_t>(input.engines);
    std::vector<std::uint32_t> borders;
    for (std::int64_t run = 0; run <= input.runs; ++run)
        borders.push_back(static_cast<std::uint32_t>(static_cast<std::uint64_t>(run) * engines));
    std::sort(borders.begin(), borders.end());
    borders.erase(std::unique(borders.begin(), borders.end()), borders.end());
    std::vector<std::uint64_t> failuresBefore(borders.size(), 0);
    for (std::size_t i = 1; i < borders.size(); ++i)
        failuresBefore[i] =
            failuresBefore[i - 1] + failuresAmong(Lcg::jump(input.seed, borders[i - 1]),
                                                  borders[i] - borders[i - 1], input.threshold);
    auto failuresUpTo = [&](std::uint64_t draws) {
        const auto border = std::lower_bound(borders.begin(), borders.end(),
                                             static_cast<std::uint32_t>(draws % cycle));
        return draws / cycle * input.threshold +
               failuresBefore[static_cast<std::size_t>(border - borders.begin())];
    };
    Outcome outcome{FailureHistogram(engines + 1, 0),
                    Lcg::jump(input.seed, static_cast<std::uint64_t>(input.runs) * engines)};
    for (std::int64_t run = 0; run < input.runs; ++run) {
        const std::uint64_t first = static_cast<std::uint64_t>(run) * engines % cycle;
        ++outcome.histogram[failuresUpTo(first + engines) - failuresUpTo(first)];
    }
    return outcome;
}

// The plain loop where it is quick enough; otherwise, up to 2^20 engines, every run drawn by the
// direct kernels' lanes, which SimulationEngineTest holds to the plain loop on every instruction
// set; beyond that, where the direct loop cuts runs with the cycle pass's counting loop, every run
// counted between its borders.
Outcome drawEveryRun(const Input& input)
{
    const std::uint64_t draws =
        static_cast<std::uint64_t>(input.engines) * static_cast<std::uint64_t>(input.runs);
    if (draws > 300'000'000) {
        if (input.engines <= 1 << 20)
            return simulate(input, SimulationMethod::Direct);
        return countBetweenBorders(input);
    }
    // 1 - m / 2^32 is exact, and so is p = m / 2^32 again; 2^32 gives p = 1.
    const double reliability = 1.0 - static_cast<double>(input.threshold) * 0x1p-32;
    std::uint32_t state = input.seed;
    Outcome outcome{referenceSimulation(state, input.engines, input.runs, reliability), 0};
    outcome.state = state;
    return outcome;
}

void expectSameAsDrawingEveryRun(const Input& input, InstructionSet instructionSet,
                                 unsigned threads)
{
    const Outcome expected = drawEveryRun(input);
    const Outcome cyclePass = simulate(input, SimulationMethod::CyclePass, instructionSet, threads);
    EXPECT_EQ(cyclePass.histogram, expected.histogram) << describe(input);
    EXPECT_EQ(cyclePass.state, expected.state) << describe(input);
}

// The failures among the first `draws` draws after `seed`, counted without windows: a whole cycle
// draws every state once, and the rest is counted draw by draw from the front, or from the back
// of the cycle when that is shorter.
std::uint64_t failuresAmongFirst(std::uint32_t seed, std::uint64_t draws, std::uint64_t threshold)
{
    const std::uint64_t cycles = draws / cycle;
    const std::uint64_t rest = draws % cycle;
    if (rest <= cycle - rest)
        return cycles * threshold + failuresAmong(Lcg::jump(seed, cycles * cycle), rest, threshold);
    return (cycles + 1) * threshold -
           failuresAmong(Lcg::jump(seed, draws), cycle - rest, threshold);
}

// Too many draws for any loop: the runs must add up to `runs` and their failures to the failures
// among all the draws of the call; and the end state is the one after them. The histogram of the
// largest input has half a billion counts, so it comes from calloc: the pages no count reaches stay
// the kernel's zero pages instead of being cleared one by one.
void expectConsistentTotals(const Input& input)
{
    const auto counts = static_cast<std::size_t>(input.engines) + 1;
    const std::unique_ptr<std::int32_t, decltype(&std::free)> histogram(
        static_cast<std::int32_t*>(std::calloc(counts, sizeof(std::int32_t))), &std::free);
    ASSERT_NE(histogram, nullptr);
    SimulationSettings settings;
    settings.method = SimulationMethod::CyclePass;
    const std::uint32_t state = simulateRuns(input.seed, input.engines, input.runs, input.threshold,
                                             histogram.get(), settings);
    const std::uint64_t draws =
        static_cast<std::uint64_t>(input.engines) * static_cast<std::uint64_t>(input.runs);
    std::uint64_t runs = 0;
    std::uint64_t failures = 0;
    std::size_t negative = 0;
    for (std::size_t k = 0; k < counts; ++k) {
        const std::int32_t count = histogram.get()[k];
        negative += count < 0 ? 1 : 0;
        runs += static_cast<std::uint64_t>(static_cast<std::uint32_t>(count));
        failures += k * static_cast<std::uint64_t>(static_cast<std::uint32_t>(count));
    }
    EXPECT_EQ(negative, 0u) << describe(input);
    EXPECT_EQ(runs, static_cast<std::uint64_t>(input.runs)) << describe(input);
    EXPECT_EQ(failures, failuresAmongFirst(input.seed, draws, input.threshold)) << describe(input);
    EXPECT_EQ(state, Lcg::jump(input.seed, draws)) << describe(input);
}

// Runs of windows longer than 2^22 draws; under the sanitizers few, whose reference is then the
// plain loop instead of a walk around the cycle.
#ifdef TRIEBWERKE_FEW_CYCLE_PASSES
constexpr std::int32_t longWindowRuns = 40;
#else
constexpr std::int32_t longWindowRuns = 2'000;
#endif

} // namespace

// Each case a pass around the cycle, against every run drawn. engines = 2^v x e with e odd; runs
// begin at 2^(32 - v) positions, so runs above that count repeat windows.
TEST(CyclePass, givesTheHistogramAndEndStateOfDrawingEveryRun)
{
    const Input cases[] = {
        // Few engines, v = 0, runs far below 2^32; the level seldom moves, and the runs at one
        // level are gathered before they are written.
        {9, 1'000'000'000, 4'294'968, 1},
        // v = 3, a failure probability of 1/2: the level moves at every other draw. The window's
        // draws kept in a ring.
        {1000, 10'000'000, std::uint64_t{1} << 31, 7},
        // Windows longer than 2^32 / 1024, which wrap around the end of the cycle and start from a
        // pass that counts the stretches; more levels than a thread's tally window holds.
        {5'000'001, longWindowRuns, (std::uint64_t{1} << 31) + 12'345, 3},
        // The longest window kept in a ring, with more levels than the tally window holds.
        {1'048'575, 4'000, 1'288'490'189, 19},
#ifndef TRIEBWERKE_FEW_CYCLE_PASSES
        // v = 12, runs above 2^20: every window of the cycle twice or three times, by blocks.
        {4096, 3'000'000, 429'496'730, 5},
        // Threshold 1: only the state 0 fails.
        {33, 100'000'000, 1, 42},
        // Threshold 2^32 - 1: every state but the last fails; v = 1.
        {30, 100'000'000, 0xFFFF'FFFFu, 9},
        // v = 6, windows too long for a ring, each stretch's first one counted on its own.
        {3'000'000, 1'500, std::uint64_t{1} << 31, 23},
        // One engine, and v = 2 with runs above 2^30.
        {1, 1'000'000, std::uint64_t{1} << 31, 13},
        {4, 2'147'483'647, 858'993'459, 17},
#endif
    };
    for (const Input& input : cases)
        expectSameAsDrawingEveryRun(input, bestInstructionSet(), 0);
}

// The shapes of input where the runs' starts or the windows are easiest to get wrong, each against
// every run drawn or counted between its borders. M = 2^(32 - v) is the number of positions runs
// begin at; more runs than that (R > M, more than 2^32 draws) visit positions several times, and
// e^-1 is the key's step.
TEST(CyclePass, givesTheHistogramOfDrawingEveryRunOnEveryShape)
{
    const Input cases[] = {
        // R > M with e = 3: the key steps by 3^-1; v = 12 by blocks, v = 2 with two streams, v = 6
        // with a ring.
        {3 << 12, (1 << 20) + 7, 858'993'459, 41},
#ifndef TRIEBWERKE_FEW_CYCLE_PASSES
        {12, (1 << 30) + 5, 429'496'730, 31},
        {192, (1 << 26) + 3, std::uint64_t{1} << 31, 37},
        // R an exact multiple of M: every key below R mod M = 0, no position gets an extra run.
        {24, 1 << 30, 1'288'490'189, 43},
        {3 << 14, 1 << 19, 4'294'968, 47},
        // v = 23: blocks longer than a stretch, R > M = 512, windows wrapping round the cycle.
        {3 << 23, 1'029, std::uint64_t{1} << 31, 53},
        // Odd and longer than a ring holds, the stretches' first windows counted one by one.
        {(1 << 21) + 1, 3'001, 1'288'490'189, 59},
        // Thresholds at both ends: one state fails, or every state but one.
        {1, 2'147'483'647, 1, 61},
        {7, 300'000'007, 0xFFFF'FFFFu, 67},
#endif
        // None fails or all do, and no engine at all: no pass, nothing drawn.
        {12, (1 << 30) + 5, 0, 71},
        {192, (1 << 26) + 3, cycle, 73},
        {0, 1'000'000, 1'000, 79},
    };
    for (const Input& input : cases)
        expectSameAsDrawingEveryRun(input, bestInstructionSet(), 0);
}

// The determined cases never draw, whatever the method asked for.
TEST(CyclePass, leavesTheDeterminedCasesToTheirCounts)
{
    const Input cases[] = {
        {0, 1'000, 123, 1}, {7, 1'000, 0, 2},       {7, 1'000, cycle, 3},
        {100'000, 5, 0, 4}, {100'000, 5, cycle, 5},
    };
    for (const Input& input : cases) {
        FailureHistogram expected(static_cast<std::size_t>(input.engines) + 1, 0);
        expected[input.threshold == 0 ? 0 : static_cast<std::size_t>(input.engines)] = input.runs;
        const Outcome cyclePass = simulate(input, SimulationMethod::CyclePass);
        EXPECT_EQ(cyclePass.histogram, expected) << describe(input);
        EXPECT_EQ(cyclePass.state,
                  Lcg::jump(input.seed, static_cast<std::uint64_t>(input.engines) *
                                            static_cast<std::uint64_t>(input.runs)))
            << describe(input);
    }
}

#ifndef TRIEBWERKE_FEW_CYCLE_PASSES
// Every instruction set and thread count walks the cycle differently and must count alike.
TEST(CyclePass, countsAlikeOnEveryInstructionSetAndThreadCount)
{
    const Input input{257, 3'000'000, 42'949'673, 0x9E37'79B9u};
    for (const InstructionSet set : {InstructionSet::Scalar, InstructionSet::Avx2})
        if (isSupported(set))
            expectSameAsDrawingEveryRun(input, set, 2);
    expectSameAsDrawingEveryRun(input, bestInstructionSet(), 3);
}

// Each loop of the cycle pass, forced onto every instruction set the machine has.
TEST(CyclePass, runsEveryLoopAlikeOnEveryInstructionSet)
{
    const Input cases[] = {
        // Odd engine counts: each run written on its own, with two streams (with a ring above).
        {9, 3'000'001, std::uint64_t{1} << 31, 89},
        // Odd, a failure probability of 0.001 and more than 2^29 runs: the runs at one level
        // gathered, with two streams and with a ring.
        {3, 600'000'001, 4'294'968, 97},
        {65, 600'000'001, 4'294'968, 101},
        // Runs every 2^v-th position: with a ring, with two streams, by blocks.
        {192, 150'001, 429'496'730, 103},
        {12, 2'000'001, 429'496'730, 107},
        {3 << 12, 3'001, 858'993'459, 109},
    };
    for (const Input& input : cases) {
        const Outcome expected = drawEveryRun(input);
        for (const InstructionSet set :
             {InstructionSet::Scalar, InstructionSet::Avx2, InstructionSet::Avx512}) {
            if (!isSupported(set))
                continue;
            const Outcome cyclePass = simulate(input, SimulationMethod::CyclePass, set, 2);
            EXPECT_EQ(cyclePass.histogram, expected.histogram) << describe(input);
            EXPECT_EQ(cyclePass.state, expected.state) << describe(input);
        }
    }
}
#endif

// Inputs far beyond any loop, among them the largest there is.
TEST(CyclePass, keepsTheTotalsOfInputsTooLargeToDraw)
{
    const Input cases[] = {
        // 10,000 x (2^31 - 1) draws are 5,000 cycles less 10,000 draws; v = 4.
        {10'000, 2'147'483'647, 4'294'968, 1},
#ifndef TRIEBWERKE_FEW_CYCLE_PASSES
        // 65 x 2,114,445,438 draws are 32 cycles less 2 draws; v = 0, the window in a ring, the
        // runs at one level gathered.
        {65, 2'114'445'438, 4'294'968, 5},
        // v = 28: 16 windows, each 64 times.
        {1 << 28, 1'024, 1'717'986'918, 8},
        // The largest input: its draws end one window before a whole number of cycles.
        {536'870'908, 2'147'483'647, 4'294'968, 1},
#endif
    };
    for (const Input& input : cases)
        expectConsistentTotals(input);
}

// Below the break-even every run is drawn; above it, the cycle pass takes over, as the log says,
// and either way the counts are those of the other way, or of the plain loop.
TEST(CyclePass, automaticChoiceGivesTheSameCountsOnBothSidesOfTheBreakEven)
{
    const InstructionSet best = bestInstructionSet();
    const Input below{1'000, 300'000, 4'294'968, 21};
    EXPECT_FALSE(cyclePassIsCheaper(below.engines, below.runs, 4'294'968, best, 2));
    const Outcome expectedBelow = drawEveryRun(below);
    SimulationLog log;
    const Outcome automaticBelow = simulate(below, SimulationMethod::Automatic, best, 2);
    EXPECT_TRUE(log.text().startsWith(QStringLiteral("direct,"))) << log.text().toStdString();
    EXPECT_EQ(automaticBelow.histogram, expectedBelow.histogram);
    EXPECT_EQ(automaticBelow.state, expectedBelow.state);

    const Input above{1'000, 10'000'000, 4'294'968, 22};
    EXPECT_TRUE(cyclePassIsCheaper(above.engines, above.runs, 4'294'968, best, 2));
#ifndef TRIEBWERKE_FEW_CYCLE_PASSES
    const Outcome expectedAbove = simulate(above, SimulationMethod::Direct, best, 2);
    log.clear();
    const Outcome automaticAbove = simulate(above, SimulationMethod::Automatic, best, 2);
    EXPECT_TRUE(log.text().startsWith(QStringLiteral("cycle pass,"))) << log.text().toStdString();
    EXPECT_EQ(automaticAbove.histogram, expectedAbove.histogram);
    EXPECT_EQ(automaticAbove.state, expectedAbove.state);
#endif
}

// The break-even lies higher where the cycle pass has more to do: where runs begin at every
// position or close together, and where a failure probability near 1/2 moves the level at every
// other draw; from 2^12 on, blocks are cheap. As measured with AVX-512 on two cores.
TEST(CyclePass, breakEvenFollowsWhatThePassHasToDo)
{
    struct Case
    {
        std::int32_t engines;
        std::int32_t runs;
        std::uint32_t threshold;
        bool cheaper;
    };
    const Case cases[] = {
        {9, 1'000'000, 4'294'968, false},      {1'000, 8'000'000, 4'294'968, false},
        {1'000, 10'000'000, 4'294'968, true},  {1'000, 10'000'000, 0x8000'0000u, true},
        {100, 100'000'000, 4'294'968, false},  {99, 100'000'000, 4'294'968, false},
        {99, 200'000'000, 4'294'968, true},    {99, 200'000'000, 0x8000'0000u, false},
        {99, 400'000'000, 0x8000'0000u, true}, {4'096, 1'500'000, 4'294'968, false},
        {4'096, 2'000'000, 4'294'968, true},   {4'098, 2'000'000, 4'294'968, false},
        {536'870'908, 2'147'483'647, 1, true}, {1, 2'147'483'647, 0x8000'0000u, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cyclePassIsCheaper(c.engines, c.runs, c.threshold, InstructionSet::Avx512, 2),
                  c.cheaper)
            << c.engines << " engines, " << c.runs << " runs, threshold " << c.threshold;
}

// The break-even of the other instruction sets and of many threads, as cycle_pass_benchmark's
// break_even entries measured them against AVX-512's: AVX2 breaks even where AVX-512 does; scalar
// code 2^2.5 lower for runs of 16 engines and more (2^30.5 draws where runs begin every 8th
// position, 2^30.1 by blocks), where AVX-512 does for fewer; one thread where two do; beyond the
// 16 threads the pass takes, the direct loop gains on it thread by thread.
TEST(CyclePass, breakEvenFollowsTheInstructionSetAndTheThreads)
{
    struct Case
    {
        InstructionSet instructionSet;
        unsigned threads;
        std::int32_t engines;
        std::int32_t runs;
        bool cheaper;
    };
    const Case cases[] = {
        {InstructionSet::Avx2, 2, 1'000, 8'000'000, false},
        {InstructionSet::Avx2, 2, 1'000, 10'000'000, true},
        {InstructionSet::Scalar, 2, 1'000, 2'000'000, true},
        {InstructionSet::Scalar, 2, 1'000, 1'000'000, false},
        {InstructionSet::Scalar, 1, 4'096, 300'000, true},
        {InstructionSet::Scalar, 1, 4'096, 200'000, false},
        {InstructionSet::Scalar, 2, 9, 1'000'000'000, false},
        {InstructionSet::Scalar, 2, 9, 2'000'000'000, true},
        {InstructionSet::Avx512, 1, 1'000, 10'000'000, true},
        {InstructionSet::Avx512, 64, 1'000, 30'000'000, false},
        {InstructionSet::Avx512, 64, 1'000, 40'000'000, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cyclePassIsCheaper(c.engines, c.runs, 4'294'968, c.instructionSet, c.threads),
                  c.cheaper)
            << c.engines << " engines, " << c.runs << " runs, " << c.threads << " threads";
}
