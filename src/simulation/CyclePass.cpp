#include "simulation/CyclePass.h"

#include "simulation/Generator.h"
#include "simulation/ShareOut.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr std::uint64_t cycleLength = Lcg::period;

// The cycle is cut into stretches of equal length, one per lane of a kernel call, and the calls are
// shared out to the threads: enough of them that two threads finish together even when one is
// held up, few enough that a stretch's first window, counted on its own, stays cheap.
constexpr std::uint32_t stretchCount = 1024;
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

// Windows of these lengths keep their draws in a ring (at most 8 MiB a thread) instead of drawing
// them a second time; shorter rings wrap around too often to save anything.
constexpr std::uint32_t minRingedEngines = 64;
constexpr std::uint32_t maxRingedEngines = std::uint32_t{1} << 20;

// From this stride on (engines a multiple of 2^12), only every 4096th position begins runs: the
// counts of the blocks between them, kept in memory (at most 2^20 of them), give every run's
// count from one stream of draws instead of two.
constexpr int blockStrideLog = 12;

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

RunStarts runStarts(std::int32_t engines, std::int32_t runs)
{
    const auto e = static_cast<std::uint32_t>(engines);
    const int strideLog = __builtin_ctz(e);
    const std::uint64_t positions = cycleLength >> strideLog;
    return {strideLog,
            positions,
            inverseOfOdd(e >> strideLog),
            static_cast<std::uint32_t>(positions - 1),
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(runs) / positions),
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(runs) % positions)};
}

// The failure count of the window at the start of every stretch.
std::vector<std::uint32_t> stretchStartCounts(const SimulationKernel::CycleKernel& kernel,
                                              unsigned threads, std::uint32_t state,
                                              std::uint32_t engines, std::uint32_t threshold)
{
    std::vector<std::uint32_t> starts(stretchCount);
    const auto lanes = static_cast<std::uint32_t>(kernel.countLanes);
    const std::uint32_t groups = stretchCount / lanes;
    auto countFrom = [&](std::uint32_t group, const std::uint32_t* checkpoints, int checkpointCount,
                         std::uint32_t* counts) {
        std::array<std::uint32_t, SimulationKernel::maxLanes> laneStarts{};
        for (std::uint32_t lane = 0; lane < lanes; ++lane)
            laneStarts[lane] =
                Lcg::jump(state, std::uint64_t{group * lanes + lane} * stretchLength);
        kernel.count({laneStarts.data(), threshold, checkpoints, checkpointCount, counts});
    };

    if (std::uint64_t{stretchCount} * engines <= cycleLength) {
        // Few engines: each window counted on its own costs less than a pass around the cycle.
        shareOut(threads, groups, [&](std::uint32_t group, unsigned) {
            countFrom(group, &engines, 1, starts.data() + group * lanes);
        });
        return starts;
    }

    // Many engines: one pass counts the failures of every stretch and of its first `part`
    // positions; a window is the stretches it covers whole and the beginning of the next one.
    const std::uint32_t whole = engines / stretchLength;
    const std::uint32_t part = engines % stretchLength;
    const std::array<std::uint32_t, 2> checkpoints{part, stretchLength};
    const int first = part == 0 ? 1 : 0;
    const int points = 2 - first;
    std::vector<std::uint32_t> counts(std::size_t{stretchCount} * 2);
    shareOut(threads, groups, [&](std::uint32_t group, unsigned) {
        countFrom(group, checkpoints.data() + first, points,
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

// Where a thread tallies: `copies` copies of `size` levels from `base` on.
struct WindowShape
{
    std::uint32_t base;
    std::uint32_t size;
    std::uint32_t copies;
};

WindowShape windowShape(std::uint32_t engines, std::uint32_t threshold)
{
    const std::uint64_t levels = std::uint64_t{engines} + 1;
    if (levels <= windowBudget) {
        const auto copies = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(maxWindowCopies, windowBudget / levels));
        return {0, static_cast<std::uint32_t>(levels), copies};
    }
    // Centred on the mean count, engines x threshold / 2^32.
    const std::uint64_t mean = (std::uint64_t{engines} * threshold) >> 32;
    const std::uint64_t lowest = mean > windowBudget / 2 ? mean - windowBudget / 2 : 0;
    const std::uint64_t base = std::min(lowest, levels - windowBudget);
    return {static_cast<std::uint32_t>(base), windowBudget, 1};
}

// The cycle pass proper: per lane a stretch of the cycle and the window sliding along it.
void tallyStretches(const SimulationKernel::CycleKernel& kernel, unsigned threads,
                    std::uint32_t state, std::uint32_t engines, std::uint32_t threshold,
                    const RunStarts& runs, std::uint32_t* histogram)
{
    // Short windows are kept in a ring, which also counts each lane's first window; longer ones
    // slide between two streams and start from counts taken beforehand.
    const bool ringed = engines >= minRingedEngines && engines <= maxRingedEngines;
    const std::vector<std::uint32_t> startCounts =
        ringed ? std::vector<std::uint32_t>(stretchCount, 0)
               : stretchStartCounts(kernel, threads, state, engines, threshold);
    const WindowShape shape = windowShape(engines, threshold);
    const std::size_t windowLength = std::size_t{shape.size} * shape.copies;
    const bool everyPosition = runs.strideLog == 0;
    const auto lanes =
        static_cast<std::uint32_t>(everyPosition ? kernel.everyLanes : kernel.stridedLanes);
    const auto tally = everyPosition ? kernel.tallyEvery : kernel.tallyStrided;
    // Gathering the runs at one level until it moves saves writes only while the level seldom
    // moves (in at most one of 128 steps) and runs are many (more than 2^29): otherwise the lanes
    // are looked at in unforeseeable steps, and writing each run on its own is cheaper.
    const double p = static_cast<double>(threshold) * 0x1p-32;
    const bool eachRun =
        everyPosition && (2 * p * (1 - p) > 1.0 / 128 || runs.extraBelow <= std::uint32_t{1} << 29);
    constexpr std::size_t entryCapacity = 4096 + 16;
    struct ThreadRoom
    {
        std::vector<std::uint32_t> window;
        std::vector<std::uint32_t> entryLevels;
        std::vector<std::uint32_t> entryWeights;
        std::vector<std::uint64_t> ring;
    };
    std::vector<ThreadRoom> rooms(std::max(1u, threads));
    for (ThreadRoom& room : rooms) {
        room.window.assign(windowLength, 0);
        room.entryLevels.resize(entryCapacity);
        room.entryWeights.resize(entryCapacity);
        if (ringed)
            room.ring.resize((std::size_t{engines} * static_cast<std::size_t>(kernel.ringBytes) +
                              sizeof(std::uint64_t) - 1) /
                             sizeof(std::uint64_t));
    }

    shareOut(threads, stretchCount / lanes, [&](std::uint32_t call, unsigned thread) {
        std::array<std::uint32_t, SimulationKernel::maxLanes> statesA{};
        std::array<std::uint32_t, SimulationKernel::maxLanes> statesB{};
        std::array<std::uint32_t, SimulationKernel::maxLanes> levels{};
        std::array<std::uint32_t, SimulationKernel::maxLanes> keys{};
        for (std::uint32_t lane = 0; lane < lanes; ++lane) {
            const std::uint32_t stretch = call * lanes + lane;
            const std::uint64_t position = std::uint64_t{stretch} * stretchLength;
            statesA[lane] = Lcg::jump(state, position);
            statesB[lane] = Lcg::jump(state, position + engines);
            levels[lane] = startCounts[stretch] - shape.base + lane % shape.copies * shape.size;
            keys[lane] = runs.keyAt(position);
        }
        ThreadRoom& room = rooms[thread];
        tally({statesA.data(),
               statesB.data(),
               levels.data(),
               keys.data(),
               threshold,
               engines,
               ringed ? room.ring.data() : nullptr,
               eachRun,
               stretchLength,
               runs.strideLog,
               runs.baseWeight,
               runs.extraBelow,
               runs.keyStep,
               runs.keyMask,
               room.window.data(),
               static_cast<std::uint32_t>(windowLength),
               shape.base,
               histogram,
               room.entryLevels.data(),
               room.entryWeights.data(),
               entryCapacity});
    });

    for (const ThreadRoom& room : rooms)
        for (std::uint32_t copy = 0; copy < shape.copies; ++copy)
            for (std::uint32_t level = 0; level < shape.size; ++level)
                histogram[shape.base + level] += room.window[copy * shape.size + level];
}

// Runs begin only every 2^v-th position, v >= blockStrideLog: one pass counts the failures of
// every block of 2^v positions, and a window is e consecutive blocks.
void tallyBlocks(const SimulationKernel::CycleKernel& kernel, unsigned threads, std::uint32_t state,
                 std::uint32_t engines, std::uint32_t threshold, const RunStarts& runs,
                 std::uint32_t* histogram)
{
    const auto blocks = static_cast<std::uint32_t>(runs.positions);
    // A lane's checkpoints fall on block borders, or at its end when blocks are longer than a
    // stretch; pieces are what lies between them.
    const std::uint32_t piece = std::min(std::uint32_t{1} << runs.strideLog, stretchLength);
    const std::uint32_t piecesPerStretch = stretchLength / piece;
    std::vector<std::uint32_t> checkpoints(piecesPerStretch);
    for (std::uint32_t i = 0; i < piecesPerStretch; ++i)
        checkpoints[i] = (i + 1) * piece;
    const auto lanes = static_cast<std::uint32_t>(kernel.countLanes);
    std::vector<std::uint32_t> counts(std::size_t{stretchCount} * piecesPerStretch);
    std::vector<std::uint32_t> blockCounts(blocks, 0);

    shareOut(threads, stretchCount / lanes, [&](std::uint32_t group, unsigned) {
        std::array<std::uint32_t, SimulationKernel::maxLanes> laneStarts{};
        for (std::uint32_t lane = 0; lane < lanes; ++lane)
            laneStarts[lane] =
                Lcg::jump(state, std::uint64_t{group * lanes + lane} * stretchLength);
        kernel.count({laneStarts.data(), threshold, checkpoints.data(),
                      static_cast<int>(piecesPerStretch),
                      counts.data() + std::size_t{group} * lanes * piecesPerStretch});
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
            blockCounts[pieceIndex / piecesPerBlock] += cumulative - before;
            before = cumulative;
        }
    }

    const std::uint32_t blocksPerWindow = engines >> runs.strideLog;
    std::uint32_t level = 0;
    for (std::uint32_t block = 0; block < blocksPerWindow; ++block)
        level += blockCounts[block];
    std::uint32_t key = 0;
    for (std::uint32_t block = 0; block < blocks; ++block) {
        histogram[level] += runs.baseWeight + (key < runs.extraBelow ? 1 : 0);
        key = (key + runs.keyStep) & runs.keyMask;
        level += blockCounts[(block + blocksPerWindow) & (blocks - 1)] - blockCounts[block];
    }
}

} // namespace

bool cyclePassIsCheaper(std::int32_t engines, std::int32_t runs, std::uint32_t threshold)
{
    // What a pass around the cycle costs in draws of the direct loop, measured on two cores with
    // AVX-512, where the direct loop draws some 75 numbers a nanosecond: as much as 2^34 draws
    // while runs begin at every position, every 2nd or every 4th, where the level is looked at
    // that often; 2^33 when they begin every 8th position or further apart; 1.5 x 2^32 from every
    // 4096th on, where a single stream counts blocks. Where the level is looked at after every
    // draw or every other, a failure probability near 1/2 moves it at every other draw and up to
    // doubles the cost; further apart the looks cost too little for that to show.
    const int strideLog = __builtin_ctz(static_cast<std::uint32_t>(engines));
    double pass = strideLog >= blockStrideLog ? 0x1.8p32 : strideLog >= 3 ? 0x1p33 : 0x1p34;
    if (strideLog <= 1) {
        const double p = static_cast<double>(threshold) * 0x1p-32;
        pass *= 1 + 4 * p * (1 - p);
    }
    return static_cast<double>(engines) * static_cast<double>(runs) > pass;
}

void cyclePassRuns(const SimulationKernel::CycleKernel& kernel, unsigned threads,
                   std::uint32_t state, std::int32_t engines, std::int32_t runs,
                   std::uint32_t threshold, std::uint32_t* histogram)
{
    const RunStarts starts = runStarts(engines, runs);
    const auto windowLength = static_cast<std::uint32_t>(engines);
    threads = std::clamp(threads, 1u, maxThreads);
    if (starts.strideLog >= blockStrideLog)
        tallyBlocks(kernel, threads, state, windowLength, threshold, starts, histogram);
    else
        tallyStretches(kernel, threads, state, windowLength, threshold, starts, histogram);
}
