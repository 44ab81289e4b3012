#include "simulation/CyclePass.h"

#include "simulation/Generator.h"
#include "simulation/ShareOut.h"
#include "simulation/SimulationLogging.h"

#include <algorithm>
#include <array>
#include <new>
#include <vector>

namespace {

using SimulationKernel::CycleKernel;

constexpr std::uint64_t cycleLength = Lcg::period;

// The cycle is cut into stretches of equal length, one per lane of a kernel call, and the calls are
// shared out to the threads: enough of them that two threads finish together even when one is
// held up, few enough that a stretch's first window, counted on its own, stays cheap.
constexpr std::uint32_t stretchCount = SimulationKernel::cycleStretchCount;
constexpr std::uint32_t stretchLength = static_cast<std::uint32_t>(cycleLength / stretchCount);

// Every thread has a tally window and a ring of its own, up to 8.5 MiB; beyond some 16 threads
// the share of each is too small to make up for the memory.
constexpr unsigned maxThreads = 16;

// A thread tallies into a window of the histogram of its own, added in at the end; a level
// outside it goes straight to the histogram, atomically. 2^17 counts (512 KiB) hold every level
// of up to 131,071 engines and for more engines the levels within some 6 standard deviations of
// the mean count; few engines get several copies of the window, so that the lanes' additions to
// the same level do not wait for each other.
constexpr std::uint32_t windowBudget = std::uint32_t{1} << 17;
constexpr std::uint32_t maxWindowCopies = 8;

// The runs a thread gathers between two emptyings into its window: room for an entry of every
// lane of the widest loop, and for a compressing store's register beyond the last.
constexpr std::size_t entryCapacity = 4096 + 16;
static_assert(entryCapacity >= 2 * SimulationKernel::maxLanes);

// Windows of these lengths keep their draws in a ring (at most 8 MiB a thread) instead of drawing
// them a second time; shorter rings wrap around too often to save anything.
constexpr std::uint32_t minRingedEngines = 64;
constexpr std::uint32_t maxRingedEngines = std::uint32_t{1} << 20;

// 2^-2.5: see cyclePassCostInDraws().
constexpr double scalarStoredRunsCost = 0.17677669529663688;

// From this stride on (engines a multiple of 2^12), only every 4096th position begins runs: the
// counts of the blocks between them, kept in memory (at most 2^20 of them), give every run's
// count from one stream of draws instead of two.
constexpr int blockStrideLog = 12;
// The strided loops walk a stretch in whole strides.
static_assert(stretchLength % (std::uint32_t{1} << (blockStrideLog - 1)) == 0);

// Where the runs begin. With engines = 2^v x e, e odd, run r begins at position r x engines modulo
// 2^32, a multiple of 2^v; of the 2^(32 - v) such positions 2^v x t the runs r < R begin at are
// those with r = t x e^-1 modulo 2^(32 - v): R div 2^(32 - v) of them, and one more where the key
// t x e^-1 mod 2^(32 - v) lies below R mod 2^(32 - v).
struct RunStarts
{
    int strideLog;
    std::uint64_t positions;
    std::uint32_t keyStep;
    std::uint32_t keyMask;
    std::uint32_t baseWeight;
    std::uint32_t extraBelow;

    std::uint32_t keyAt(std::uint64_t position) const
    {
        return static_cast<std::uint32_t>(position >> strideLog) * keyStep & keyMask;
    }
};

std::uint32_t inverseOfOdd(std::uint32_t odd)
{
    // Newton's iteration doubles the correct low bits, from the 3 that odd x odd = 1 (mod 8) gives.
    std::uint32_t inverse = odd;
    for (int i = 0; i < 4; ++i)
        inverse *= 2 - odd * inverse;
    return inverse;
}

RunStarts runStarts(std::uint32_t engines, std::int32_t runs)
{
    const int strideLog = __builtin_ctz(engines);
    const std::uint64_t positions = cycleLength >> strideLog;
    return {.strideLog = strideLog,
            .positions = positions,
            .keyStep = inverseOfOdd(engines >> strideLog),
            .keyMask = static_cast<std::uint32_t>(positions - 1),
            .baseWeight = static_cast<std::uint32_t>(static_cast<std::uint64_t>(runs) / positions),
            .extraBelow = static_cast<std::uint32_t>(static_cast<std::uint64_t>(runs) % positions)};
}

// How a pass uses memory: the threads, each with scratch of its own, and whether windows of a
// ring's length are kept in rings.
struct PassPlan
{
    unsigned threads;
    bool rings;
};

bool keepsRings(const PassPlan& plan, std::uint32_t engines)
{
    return plan.rings && engines >= minRingedEngines && engines <= maxRingedEngines;
}

// Where a thread tallies: `copies` copies of `size` levels from `base` on.
struct WindowShape
{
    std::uint32_t base;
    std::uint32_t size;
    std::uint32_t copies;

    std::size_t length() const { return std::size_t{size} * copies; }
};

WindowShape windowShape(std::uint32_t engines, std::uint32_t threshold)
{
    const std::uint64_t levels = std::uint64_t{engines} + 1;
    if (levels <= windowBudget) {
        const auto copies = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(maxWindowCopies, windowBudget / levels));
        return {.base = 0, .size = static_cast<std::uint32_t>(levels), .copies = copies};
    }
    // Centred on the mean count, engines x threshold / 2^32.
    const std::uint64_t mean = (std::uint64_t{engines} * threshold) >> 32;
    const std::uint64_t lowest = mean > windowBudget / 2 ? mean - windowBudget / 2 : 0;
    const std::uint64_t base = std::min(lowest, levels - windowBudget);
    return {.base = static_cast<std::uint32_t>(base), .size = windowBudget, .copies = 1};
}

std::size_t ringWords(const CycleKernel& kernel, std::uint32_t engines)
{
    return (std::size_t{engines} * static_cast<std::size_t>(kernel.ringBytes) +
            sizeof(std::uint64_t) - 1) /
           sizeof(std::uint64_t);
}

// What one thread of the sliding window works in.
struct ThreadScratch
{
    std::vector<std::uint32_t> window;
    std::vector<std::uint32_t> entryLevels;
    std::vector<std::uint32_t> entryWeights;
    std::vector<std::uint64_t> ring;
};

std::uint64_t threadScratchBytes(const CycleKernel& kernel, const PassPlan& plan,
                                 std::uint32_t engines, std::uint32_t threshold)
{
    const std::uint64_t ring =
        keepsRings(plan, engines) ? ringWords(kernel, engines) * sizeof(std::uint64_t) : 0;
    return (windowShape(engines, threshold).length() + 2 * entryCapacity) * sizeof(std::uint32_t) +
           ring;
}

std::vector<ThreadScratch> allocateScratch(const CycleKernel& kernel, const PassPlan& plan,
                                           std::uint32_t engines, const WindowShape& shape)
{
    std::vector<ThreadScratch> scratch(plan.threads);
    for (ThreadScratch& thread : scratch) {
        thread.window.assign(shape.length(), 0);
        thread.entryLevels.resize(entryCapacity);
        thread.entryWeights.resize(entryCapacity);
        if (keepsRings(plan, engines))
            thread.ring.resize(ringWords(kernel, engines));
    }
    return scratch;
}

// The failures each lane of the counting kernel draws from the start of its stretch up to each of
// the checkpoints, for the stretches of kernel call `group`.
void countStretches(const CycleKernel& kernel, std::uint32_t state, std::uint32_t threshold,
                    std::uint32_t group, const std::uint32_t* checkpoints, int checkpointCount,
                    std::uint32_t* counts)
{
    const auto lanes = static_cast<std::uint32_t>(kernel.countLanes);
    const SimulationKernel::LaneStates starts = SimulationKernel::laneStarts(
        state, std::uint64_t{group} * lanes * stretchLength, stretchLength, kernel.countLanes);
    kernel.count({.laneStarts = starts.data(),
                  .threshold = threshold,
                  .checkpoints = checkpoints,
                  .checkpointCount = checkpointCount,
                  .counts = counts});
}

// The failure count of the window at the start of every stretch, for windows longer than 2^22
// draws: one pass counts the failures of every stretch and of its first `part` positions; a window
// is the stretches it covers whole and the beginning of the next one.
std::vector<std::uint32_t> firstWindowsFromStretches(const CycleKernel& kernel, unsigned threads,
                                                     std::uint32_t state, std::uint32_t engines,
                                                     std::uint32_t threshold)
{
    const auto lanes = static_cast<std::uint32_t>(kernel.countLanes);
    const std::uint32_t whole = engines / stretchLength;
    const std::uint32_t part = engines % stretchLength;
    const std::array<std::uint32_t, 2> checkpoints{part, stretchLength};
    const int first = part == 0 ? 1 : 0;
    const int points = 2 - first;
    std::vector<std::uint32_t> counts(std::size_t{stretchCount} * 2);
    std::vector<std::uint32_t> starts(stretchCount);
    shareOut(threads, stretchCount / lanes, [&](std::uint32_t group, unsigned) {
        countStretches(kernel, state, threshold, group, checkpoints.data() + first, points,
                       counts.data() + std::size_t{group} * lanes * 2);
    });
    auto countOf = [&](std::uint32_t stretch, int point) {
        const std::uint32_t group = stretch / lanes;
        return counts[(std::size_t{group} * 2 + static_cast<std::size_t>(point)) * lanes +
                      stretch % lanes];
    };
    auto total = [&](std::uint32_t stretch) { return countOf(stretch, points - 1); };
    auto beginning = [&](std::uint32_t stretch) { return part == 0 ? 0 : countOf(stretch, 0); };

    std::uint32_t wholeSum = 0;
    for (std::uint32_t stretch = 0; stretch < whole; ++stretch)
        wholeSum += total(stretch);
    for (std::uint32_t stretch = 0; stretch < stretchCount; ++stretch) {
        const std::uint32_t next = (stretch + whole) % stretchCount;
        starts[stretch] = wholeSum + beginning(next);
        wholeSum += total(next) - total(stretch);
    }
    return starts;
}

// The failure count of the window at the start of every stretch.
std::vector<std::uint32_t> firstWindows(const CycleKernel& kernel, unsigned threads,
                                        std::uint32_t state, std::uint32_t engines,
                                        std::uint32_t threshold)
{
    if (std::uint64_t{stretchCount} * engines > cycleLength)
        return firstWindowsFromStretches(kernel, threads, state, engines, threshold);
    // Few engines: each window counted on its own costs less than a pass around the cycle.
    std::vector<std::uint32_t> starts(stretchCount);
    const auto lanes = static_cast<std::uint32_t>(kernel.countLanes);
    shareOut(threads, stretchCount / lanes, [&](std::uint32_t group, unsigned) {
        countStretches(kernel, state, threshold, group, &engines, 1, starts.data() + group * lanes);
    });
    return starts;
}

// Gathering the runs at one level until it moves saves writes only while the level seldom moves
// (in at most one of 128 steps) and runs are many (more than 2^29): otherwise the lanes are looked
// at in unforeseeable steps, and writing each run on its own is cheaper.
bool writesEachRun(const RunStarts& runs, std::uint32_t threshold)
{
    const double p = static_cast<double>(threshold) * 0x1p-32;
    return runs.strideLog == 0 &&
           (2 * p * (1 - p) > 1.0 / 128 || runs.extraBelow <= std::uint32_t{1} << 29);
}

// What every tally of one pass shares; the lanes' own states, levels and keys and the thread's
// scratch are filled in per call.
SimulationKernel::TallyJob sharedTally(const RunStarts& runs, std::uint32_t engines,
                                       std::uint32_t threshold, const WindowShape& shape,
                                       FailureCount* histogram)
{
    return {.leavingStates = nullptr,
            .enteringStates = nullptr,
            .startLevels = nullptr,
            .startKeys = nullptr,
            .threshold = threshold,
            .engines = engines,
            .steps = stretchLength,
            .ring = nullptr,
            .eachRun = writesEachRun(runs, threshold),
            .strideLog = runs.strideLog,
            .baseWeight = runs.baseWeight,
            .extraBelow = runs.extraBelow,
            .keyStep = runs.keyStep,
            .keyMask = runs.keyMask,
            .window = nullptr,
            .windowSize = static_cast<std::uint32_t>(shape.length()),
            .windowBase = shape.base,
            .histogram = histogram,
            .entryLevels = nullptr,
            .entryWeights = nullptr,
            .entryCapacity = entryCapacity};
}

// The cycle pass proper: per lane a stretch of the cycle and the window sliding along it. All its
// memory is taken before it counts anything.
void tallyStretches(const CycleKernel& kernel, const PassPlan& plan, std::uint32_t state,
                    std::uint32_t engines, std::uint32_t threshold, const RunStarts& runs,
                    FailureCount* histogram)
{
    const WindowShape shape = windowShape(engines, threshold);
    std::vector<ThreadScratch> scratch = allocateScratch(kernel, plan, engines, shape);
    // A ring also counts each lane's first window; two streams start from counts taken first.
    const bool ringed = keepsRings(plan, engines);
    const std::vector<std::uint32_t> startCounts =
        ringed ? std::vector<std::uint32_t>(stretchCount, 0)
               : firstWindows(kernel, plan.threads, state, engines, threshold);
    const int laneCount = runs.strideLog == 0 ? kernel.everyLanes : kernel.stridedLanes;
    const auto lanes = static_cast<std::uint32_t>(laneCount);
    const auto tally = runs.strideLog == 0 ? kernel.tallyEvery : kernel.tallyStrided;
    const SimulationKernel::TallyJob shared =
        sharedTally(runs, engines, threshold, shape, histogram);

    shareOut(plan.threads, stretchCount / lanes, [&](std::uint32_t call, unsigned thread) {
        const std::uint64_t first = std::uint64_t{call} * lanes * stretchLength;
        const SimulationKernel::LaneStates leaving =
            SimulationKernel::laneStarts(state, first, stretchLength, laneCount);
        const SimulationKernel::LaneStates entering =
            ringed ? leaving
                   : SimulationKernel::laneStarts(state, first + engines, stretchLength, laneCount);
        SimulationKernel::LaneStates levels{};
        SimulationKernel::LaneStates keys{};
        for (std::uint32_t lane = 0; lane < lanes; ++lane) {
            const std::uint32_t stretch = call * lanes + lane;
            levels[lane] = startCounts[stretch] - shape.base + lane % shape.copies * shape.size;
            keys[lane] = runs.keyAt(first + std::uint64_t{lane} * stretchLength);
        }
        ThreadScratch& own = scratch[thread];
        SimulationKernel::TallyJob job = shared;
        job.leavingStates = leaving.data();
        job.enteringStates = entering.data();
        job.startLevels = levels.data();
        job.startKeys = keys.data();
        job.ring = ringed ? own.ring.data() : nullptr;
        job.window = own.window.data();
        job.entryLevels = own.entryLevels.data();
        job.entryWeights = own.entryWeights.data();
        tally(job);
    });

    for (const ThreadScratch& own : scratch)
        for (std::uint32_t copy = 0; copy < shape.copies; ++copy)
            for (std::uint32_t level = 0; level < shape.size; ++level)
                histogram[shape.base + level] += own.window[copy * shape.size + level];
}

// A lane's checkpoints fall on block borders, or at its end when blocks are longer than a
// stretch; pieces are what lies between them.
std::uint32_t pieceLength(const RunStarts& runs)
{
    return std::min(std::uint32_t{1} << runs.strideLog, stretchLength);
}

std::uint64_t blockScratchBytes(const RunStarts& runs)
{
    const std::uint64_t pieces = stretchLength / pieceLength(runs);
    return (pieces + std::uint64_t{stretchCount} * pieces + runs.positions) * 4;
}

// The failures of every block of 2^v positions, from one pass that counts the pieces.
std::vector<std::uint32_t> blockCounts(const CycleKernel& kernel, unsigned threads,
                                       std::uint32_t state, std::uint32_t threshold,
                                       const RunStarts& runs)
{
    const std::uint32_t piece = pieceLength(runs);
    const std::uint32_t piecesPerStretch = stretchLength / piece;
    std::vector<std::uint32_t> checkpoints(piecesPerStretch);
    for (std::uint32_t i = 0; i < piecesPerStretch; ++i)
        checkpoints[i] = (i + 1) * piece;
    const auto lanes = static_cast<std::uint32_t>(kernel.countLanes);
    std::vector<std::uint32_t> counts(std::size_t{stretchCount} * piecesPerStretch);
    std::vector<std::uint32_t> blocks(runs.positions, 0);

    shareOut(threads, stretchCount / lanes, [&](std::uint32_t group, unsigned) {
        countStretches(kernel, state, threshold, group, checkpoints.data(),
                       static_cast<int>(piecesPerStretch),
                       counts.data() + std::size_t{group} * lanes * piecesPerStretch);
    });
    const std::uint32_t piecesPerBlock = (std::uint32_t{1} << runs.strideLog) / piece;
    for (std::uint32_t stretch = 0; stretch < stretchCount; ++stretch) {
        const std::uint32_t group = stretch / lanes;
        const std::uint32_t lane = stretch % lanes;
        std::uint32_t before = 0;
        for (std::uint32_t i = 0; i < piecesPerStretch; ++i) {
            const std::uint32_t cumulative =
                counts[(std::size_t{group} * piecesPerStretch + i) * lanes + lane];
            const std::uint64_t pieceIndex = std::uint64_t{stretch} * piecesPerStretch + i;
            blocks[pieceIndex / piecesPerBlock] += cumulative - before;
            before = cumulative;
        }
    }
    return blocks;
}

// Runs begin only every 2^v-th position, v >= blockStrideLog: a window is e consecutive blocks.
void tallyBlocks(const CycleKernel& kernel, unsigned threads, std::uint32_t state,
                 std::uint32_t engines, std::uint32_t threshold, const RunStarts& runs,
                 FailureCount* histogram)
{
    const std::vector<std::uint32_t> blocks = blockCounts(kernel, threads, state, threshold, runs);
    const auto blockCount = static_cast<std::uint32_t>(runs.positions);
    const std::uint32_t blocksPerWindow = engines >> runs.strideLog;
    std::uint32_t level = 0;
    for (std::uint32_t block = 0; block < blocksPerWindow; ++block)
        level += blocks[block];
    std::uint32_t key = 0;
    for (std::uint32_t block = 0; block < blockCount; ++block) {
        histogram[level] += runs.baseWeight + (key < runs.extraBelow ? 1 : 0);
        key = (key + runs.keyStep) & runs.keyMask;
        level += blocks[(block + blocksPerWindow) & (blockCount - 1)] - blocks[block];
    }
}

void pass(const CycleKernel& kernel, const PassPlan& plan, std::uint32_t state,
          std::uint32_t engines, std::uint32_t threshold, const RunStarts& runs,
          FailureCount* histogram)
{
    if (runs.strideLog >= blockStrideLog)
        tallyBlocks(kernel, plan.threads, state, engines, threshold, runs, histogram);
    else
        tallyStretches(kernel, plan, state, engines, threshold, runs, histogram);
}

} // namespace

double cyclePassCostInDraws(std::int32_t engines, std::uint32_t threshold,
                            InstructionSet instructionSet, unsigned threads)
{
    // Measured on two cores with AVX-512, where the direct loop draws some 75 numbers a
    // nanosecond: as much as 2^34 draws while runs begin at every position, every 2nd or every
    // 4th, where the level is looked at that often; 2^33 when they begin every 8th position or
    // further apart; 1.5 x 2^32 from every 4096th on, where a single stream counts blocks. Where
    // the level is looked at after every draw or every other, a failure probability near 1/2
    // moves it at every other draw and up to doubles the cost; further apart the looks cost too
    // little for that to show.
    const int strideLog = __builtin_ctz(static_cast<std::uint32_t>(engines));
    double pass = strideLog >= blockStrideLog ? 0x1.8p32 : strideLog >= 3 ? 0x1p33 : 0x1p34;
    if (strideLog <= 1) {
        const double p = static_cast<double>(threshold) * 0x1p-32;
        pass *= 1 + 4 * p * (1 - p);
    }
    // AVX2 draws and passes at half AVX-512's speed and breaks even where it does. Scalar code
    // passes 12 to 15 times slower than AVX-512 and draws runs of fewer engines than
    // packedEngineLimit as much slower, but longer runs, whose counts go through memory, some 60
    // times slower: for those its break-even lies 2^2.5 lower.
    if (instructionSet == InstructionSet::Scalar && engines >= SimulationKernel::packedEngineLimit)
        pass *= scalarStoredRunsCost;
    // On one thread and on two the break-even is the same; the pass takes at most maxThreads,
    // while the direct loop goes on gaining from every thread.
    if (threads > maxThreads)
        pass *= static_cast<double>(threads) / maxThreads;
    return pass;
}

bool cyclePassIsCheaper(std::int32_t engines, std::int32_t runs, std::uint32_t threshold,
                        InstructionSet instructionSet, unsigned threads)
{
    return static_cast<double>(engines) * static_cast<double>(runs) >
           cyclePassCostInDraws(engines, threshold, instructionSet, threads);
}

std::uint64_t cyclePassScratchBytes(const CycleKernel& kernel, unsigned threads,
                                    std::int32_t engines, std::int32_t runs,
                                    std::uint32_t threshold)
{
    const auto windowLength = static_cast<std::uint32_t>(engines);
    const RunStarts starts = runStarts(windowLength, runs);
    const PassPlan plan{.threads = std::clamp(threads, 1u, maxThreads), .rings = true};
    if (starts.strideLog >= blockStrideLog)
        return blockScratchBytes(starts);
    // The first windows and the counts they come from, when they are not counted in rings.
    const std::uint64_t firstWindows = std::uint64_t{stretchCount} * 3 * 4;
    return plan.threads * threadScratchBytes(kernel, plan, windowLength, threshold) + firstWindows;
}

void cyclePassRuns(const CycleKernel& kernel, unsigned threads, std::uint32_t state,
                   std::int32_t engines, std::int32_t runs, std::uint32_t threshold,
                   FailureCount* histogram)
{
    const auto windowLength = static_cast<std::uint32_t>(engines);
    const RunStarts starts = runStarts(windowLength, runs);
    const PassPlan plan{.threads = std::clamp(threads, 1u, maxThreads), .rings = true};
    try {
        pass(kernel, plan, state, windowLength, threshold, starts, histogram);
        return;
    } catch (const std::bad_alloc&) {
        // Nothing is counted before the scratch is had: the least the pass can do with is tried.
        qCWarning(lcSimulation, "cycle pass short of memory: on one thread, without rings");
    }
    pass(kernel, {.threads = 1, .rings = false}, state, windowLength, threshold, starts, histogram);
}
