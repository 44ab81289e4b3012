#pragma once

// The loops of the cycle pass (CyclePass.h), written once for any register width and instantiated
// once per instruction set next to KernelBlock.h's, with the same traits and the same internal
// linkage. Besides the operations KernelBlock.h lists, the traits provide:
//   Mask                  a set of lanes
//   MaskBits              an unsigned integer with a bit per lane; bitsOf(m), maskOf(b)
//   loadValues(p), storeValues(p, r)  plain numbers, unaligned
//   sub                   lane-wise, modulo 2^32
//   failures(s, t)        the lanes whose state lies below the threshold
//   differ(m, n), either(m, n)  the lanes in one of m and n, in m or n
//   lessThan(a, b), notEqual(a, b), both(m, n)  lane-wise, unsigned
//   any(m)                whether m holds a lane
//   addWhere(a, m, b), subWhere(a, m, b)  a + b, a - b in the lanes of m, a elsewhere
//   select(m, a, b)       a in the lanes of m, b elsewhere
//   compress(p, m, r)     the lanes of m stored one after another from p, returning how many;
//                         it may write up to `width` numbers

#include "simulation/Generator.h"
#include "simulation/KernelInterface.h"

#include <atomic>
#include <cstdint>

namespace SimulationKernel {
namespace {

template <class Isa, int CountChains, int EveryChains, int StridedChains> class CycleBlock
{
public:
    using Reg = typename Isa::Reg;
    using Mask = typename Isa::Mask;
    using MaskBits = typename Isa::MaskBits;
    static constexpr int countLanes = Isa::width * CountChains;
    static constexpr int everyLanes = Isa::width * EveryChains;
    static constexpr int stridedLanes = Isa::width * StridedChains;
    static constexpr int ringBytes = static_cast<int>(sizeof(MaskBits)) *
                                     (EveryChains > StridedChains ? EveryChains : StridedChains);
    // Each call of a loop takes whole stretches, one per lane, and its lanes fit the callers'
    // arrays.
    static_assert(cycleStretchCount % countLanes == 0 && cycleStretchCount % everyLanes == 0 &&
                  cycleStretchCount % stridedLanes == 0);
    static_assert(countLanes <= maxLanes && everyLanes <= maxLanes && stridedLanes <= maxLanes);

    // The loops as the pass calls them.
    static CycleKernel kernel()
    {
        return {.countLanes = countLanes,
                .count = &count,
                .everyLanes = everyLanes,
                .tallyEvery = &tallyEveryPosition,
                .stridedLanes = stridedLanes,
                .tallyStrided = &tallyStrided,
                .ringBytes = ringBytes};
    }

    // See CountJob.
    static void count(const CountJob& job)
    {
        Reg chains[CountChains];
        Reg failed[CountChains];
#pragma GCC unroll 16
        for (int c = 0; c < CountChains; ++c) {
            chains[c] = Isa::loadStates(job.laneStarts + c * Isa::width);
            failed[c] = Isa::broadcast(0);
        }
        const Reg t = Isa::threshold(job.threshold);
        std::uint32_t done = 0;
        for (int point = 0; point < job.checkpointCount; ++point) {
            for (; done < job.checkpoints[point]; ++done) {
#pragma GCC unroll 16
                for (int c = 0; c < CountChains; ++c) {
                    chains[c] = step(chains[c]);
                    failed[c] = Isa::countFailure(failed[c], chains[c], t);
                }
            }
            std::uint32_t* target = job.counts + static_cast<std::size_t>(point) * countLanes;
#pragma GCC unroll 16
            for (int c = 0; c < CountChains; ++c)
                Isa::storeValues(target + c * Isa::width, failed[c]);
        }
    }

    // See TallyJob, for strideLog 0.
    static void tallyEveryPosition(const TallyJob& job)
    {
        if (job.eachRun)
            job.ring != nullptr ? eachRun<true>(job) : eachRun<false>(job);
        else
            job.ring != nullptr ? everyPosition<true>(job) : everyPosition<false>(job);
    }

    // See TallyJob, for strideLog >= 1.
    static void tallyStrided(const TallyJob& job)
    {
        if (job.ring != nullptr)
            strided<true>(job);
        else
            strided<false>(job);
    }

private:
    // A window's leaving draw comes from a second stream of draws, `engines` behind the entering
    // one, or, with a ring, from the entering draws themselves, kept from `engines` steps ago: one
    // multiplication less per draw for a memory access the prefetcher sees coming. The ring holds
    // a lane's first window after the first `engines` steps, which also count its first level.
    template <int Chains> struct Ring
    {
        MaskBits* slots;
        std::uint32_t length;
        std::uint32_t next;

        // How many of `steps` steps go before the ring wraps around.
        std::uint32_t span(std::uint32_t steps) const
        {
            return length - next < steps ? length - next : steps;
        }
        MaskBits* at(std::uint32_t step) const
        {
            return slots + static_cast<std::size_t>(next + step) * Chains;
        }
        void advance(std::uint32_t steps)
        {
            next += steps;
            if (next == length)
                next = 0;
        }
    };

    template <int Chains>
    __attribute__((always_inline)) static Ring<Chains>
    fill(const TallyJob& job, Reg (&enteringState)[Chains], Reg (&level)[Chains], Reg t)
    {
        Ring<Chains> ring{static_cast<MaskBits*>(job.ring), job.engines, 0};
        const Reg one = Isa::broadcast(1);
        for (std::uint32_t slot = 0; slot < job.engines; ++slot) {
#pragma GCC unroll 16
            for (int c = 0; c < Chains; ++c) {
                enteringState[c] = step(enteringState[c]);
                const Mask entering = Isa::failures(enteringState[c], t);
                ring.at(slot)[c] = Isa::bitsOf(entering);
                level[c] = Isa::addWhere(level[c], entering, one);
            }
        }
        return ring;
    }

    // A tally loop's lanes as the job hands them over: the states before the draws leaving and
    // entering the window (one state for both where a ring holds the draws), levels and keys.
    template <bool Ringed, int Chains>
    __attribute__((always_inline)) static void
    loadLanes(const TallyJob& job, Reg (&leavingState)[Chains], Reg (&enteringState)[Chains],
              Reg (&level)[Chains], Reg (&key)[Chains])
    {
        const std::uint32_t* const entering = Ringed ? job.leavingStates : job.enteringStates;
#pragma GCC unroll 16
        for (int c = 0; c < Chains; ++c) {
            leavingState[c] = Isa::loadStates(job.leavingStates + c * Isa::width);
            enteringState[c] = Isa::loadStates(entering + c * Isa::width);
            level[c] = Isa::loadValues(job.startLevels + c * Isa::width);
            key[c] = Isa::loadValues(job.startKeys + c * Isa::width);
        }
    }

    // One step of a chain's window: the draw entering it and the one leaving it, the latter from
    // the chain's slot of the step's ring entry where there is a ring.
    template <bool Ringed>
    __attribute__((always_inline)) static void slide(Reg& leavingState, Reg& enteringState,
                                                     MaskBits* entry, int chain, Reg t,
                                                     Mask& leaving, Mask& entering)
    {
        enteringState = step(enteringState);
        entering = Isa::failures(enteringState, t);
        if constexpr (Ringed) {
            MaskBits* const slot = entry + chain;
            leaving = Isa::maskOf(*slot);
            *slot = Isa::bitsOf(entering);
        } else {
            leavingState = step(leavingState);
            leaving = Isa::failures(leavingState, t);
        }
    }

    // One step of a chain's window that moves its level by the draws entering and leaving.
    template <bool Ringed>
    __attribute__((always_inline)) static void slideLevel(Reg& leavingState, Reg& enteringState,
                                                          MaskBits* entry, int chain, Reg t,
                                                          Reg one, Reg& level)
    {
        Mask leaving;
        Mask entering;
        slide<Ringed>(leavingState, enteringState, entry, chain, t, leaving, entering);
        level = Isa::subWhere(Isa::addWhere(level, entering, one), leaving, one);
    }

    // The skeleton of every tally loop: `tallies` tallies cut into chunks of at most `perChunk`,
    // so that the entries every lane may write fit between two emptyings. chunk(n) does n tallies
    // and returns the entries they wrote; emptyEntries(entries) takes them to the window.
    template <class Chunk, class EmptyEntries>
    __attribute__((always_inline)) static void inChunks(std::uint32_t tallies,
                                                        std::uint32_t perChunk, Chunk&& chunk,
                                                        EmptyEntries&& emptyEntries)
    {
        for (std::uint32_t done = 0; done < tallies;) {
            const std::uint32_t now = tallies - done < perChunk ? tallies - done : perChunk;
            emptyEntries(chunk(now));
            done += now;
        }
    }

    // `steps` steps of the windows, cut where the ring wraps around; stepOnce(entry) does one,
    // `entry` the step's ring entry (none without a ring).
    template <bool Ringed, int Chains, class Step>
    __attribute__((always_inline)) static void walk(Ring<Chains>& ring, std::uint32_t steps,
                                                    Step&& stepOnce)
    {
        for (std::uint32_t i = 0; i < steps;) {
            const std::uint32_t span = Ringed ? ring.span(steps - i) : steps - i;
            for (std::uint32_t j = 0; j < span; ++j)
                stepOnce(Ringed ? ring.at(j) : nullptr);
            i += span;
            if constexpr (Ringed)
                ring.advance(span);
        }
    }

    // Runs begin at every position (engines odd), where they are rarer than moves of the level:
    // each run is an entry of its own, one compressing store per chain and step.
    template <bool Ringed> static void eachRun(const TallyJob& job)
    {
        Reg leavingState[EveryChains];
        Reg enteringState[EveryChains];
        Reg level[EveryChains];
        Reg key[EveryChains];
        loadLanes<Ringed>(job, leavingState, enteringState, level, key);
        const Reg t = Isa::threshold(job.threshold);
        const Reg one = Isa::broadcast(1);
        const Reg extraBelow = Isa::broadcast(job.extraBelow);
        const Reg keyStep = Isa::broadcast(job.keyStep);
        std::uint32_t* const entryLevels = job.entryLevels;
        Ring<EveryChains> ring{};
        if constexpr (Ringed)
            ring = fill(job, enteringState, level, t);

        auto chunk = [&](std::uint32_t steps) __attribute__((always_inline))
        {
            std::size_t entries = 0;
            walk<Ringed>(
                ring, steps, [&](MaskBits * entry) __attribute__((always_inline)) {
#pragma GCC unroll 16
                    for (int c = 0; c < EveryChains; ++c) {
                        const Mask begins = Isa::lessThan(key[c], extraBelow);
                        key[c] = Isa::add(key[c], keyStep);
                        entries += static_cast<std::size_t>(
                            Isa::compress(entryLevels + entries, begins, level[c]));
                        slideLevel<Ringed>(leavingState[c], enteringState[c], entry, c, t, one,
                                           level[c]);
                    }
                });
            return entries;
        };
        inChunks(job.steps, chunkTallies(job, everyLanes), chunk,
                 [&](std::size_t entries) { emptyRuns(job, entries); });
    }

    // Runs begin at every position (engines odd). The level moves exactly where the draw entering
    // the window and the draw leaving it differ, which with a small or a large failure probability
    // is seldom: only then are the lanes looked at one by one. The 2^32 positions outnumber the
    // runs, so each begins one run or none (baseWeight is 0).
    // Longer than the rest of the house: the chains' registers live in this one scope, which the
    // steps reach as inlined lambdas; functions of their own would pass them through memory.
    template <bool Ringed> static void everyPosition(const TallyJob& job)
    {
        Reg leavingState[EveryChains];
        Reg enteringState[EveryChains];
        Reg level[EveryChains];
        Reg key[EveryChains];
        Reg counted[EveryChains];
        Reg written[EveryChains];
        loadLanes<Ringed>(job, leavingState, enteringState, level, key);
#pragma GCC unroll 16
        for (int c = 0; c < EveryChains; ++c) {
            counted[c] = Isa::broadcast(0);
            written[c] = Isa::broadcast(0);
        }
        const Reg t = Isa::threshold(job.threshold);
        const Reg one = Isa::broadcast(1);
        const Reg extraBelow = Isa::broadcast(job.extraBelow);
        const Reg keyStep = Isa::broadcast(job.keyStep);
        std::uint32_t* const entryLevels = job.entryLevels;
        std::uint32_t* const entryWeights = job.entryWeights;
        Ring<EveryChains> ring{};
        if constexpr (Ringed)
            ring = fill(job, enteringState, level, t);

        auto chunk = [&](std::uint32_t steps) __attribute__((always_inline))
        {
            std::size_t entries = 0;
            walk<Ringed>(
                ring, steps, [&](MaskBits * entry) __attribute__((always_inline)) {
                    Mask moved[EveryChains];
                    Mask rose[EveryChains];
#pragma GCC unroll 16
                    for (int c = 0; c < EveryChains; ++c) {
                        counted[c] =
                            Isa::addWhere(counted[c], Isa::lessThan(key[c], extraBelow), one);
                        key[c] = Isa::add(key[c], keyStep);
                        Mask leaving;
                        slide<Ringed>(leavingState[c], enteringState[c], entry, c, t, leaving,
                                      rose[c]);
                        moved[c] = Isa::differ(leaving, rose[c]);
                        level[c] =
                            Isa::subWhere(Isa::addWhere(level[c], rose[c], one), leaving, one);
                    }
                    if (!anyOf(moved))
                        return;
#pragma GCC unroll 16
                    for (int c = 0; c < EveryChains; ++c) {
                        // The level the runs so far were at, before this step moved it: one below
                        // where a failure entered, one above where one left.
                        const Reg before = Isa::subWhere(Isa::addWhere(level[c], moved[c], one),
                                                         rose[c], Isa::add(one, one));
                        entries += writeOut(entryLevels + entries, entryWeights + entries, moved[c],
                                            before, counted[c], written[c]);
                    }
                });
            return entries;
        };
        auto emptyEntries = [&](std::size_t entries) { empty(job, entries); };
        inChunks(job.steps, chunkTallies(job, everyLanes), chunk, emptyEntries);
        std::size_t entries = 0;
#pragma GCC unroll 16
        for (int c = 0; c < EveryChains; ++c)
            entries += writeOut(entryLevels + entries, entryWeights + entries, allLanes(), level[c],
                                counted[c], written[c]);
        emptyEntries(entries);
    }

    // Runs begin every 2^strideLog-th position. A lane keeps the runs of consecutive such
    // positions at one level together and writes them out only when its level has moved: with a
    // small or a large failure probability the level stays put for long stretches, and the memory
    // sees few writes. Longer than the rest of the house for the reason everyPosition() is.
    template <bool Ringed> static void strided(const TallyJob& job)
    {
        Reg leavingState[StridedChains];
        Reg enteringState[StridedChains];
        Reg level[StridedChains];
        Reg key[StridedChains];
        Reg counted[StridedChains];
        // Looked at only every 2^strideLog-th step, so kept out of the registers.
        alignas(64) std::uint32_t written[stridedLanes] = {};
        alignas(64) std::uint32_t pendingLevel[stridedLanes];
        loadLanes<Ringed>(job, leavingState, enteringState, level, key);
#pragma GCC unroll 16
        for (int c = 0; c < StridedChains; ++c)
            counted[c] = Isa::broadcast(0);
        const Reg t = Isa::threshold(job.threshold);
        const Reg one = Isa::broadcast(1);
        const Reg baseWeight = Isa::broadcast(job.baseWeight);
        const Reg extraBelow = Isa::broadcast(job.extraBelow);
        const Reg keyStep = Isa::broadcast(job.keyStep);
        const Reg keyMask = Isa::broadcast(job.keyMask);
        std::uint32_t* const entryLevels = job.entryLevels;
        std::uint32_t* const entryWeights = job.entryWeights;
        Ring<StridedChains> ring{};
        if constexpr (Ringed)
            ring = fill(job, enteringState, level, t);
#pragma GCC unroll 16
        for (int c = 0; c < StridedChains; ++c)
            Isa::storeValues(pendingLevel + c * Isa::width, level[c]);

        // One tally: the lanes whose level moved since the last write out the runs gathered
        // before, the runs beginning here are counted, and the windows slide to the next position.
        auto tallyOnce = [&](std::size_t & entries) __attribute__((always_inline))
        {
            Mask moved[StridedChains];
#pragma GCC unroll 16
            for (int c = 0; c < StridedChains; ++c)
                moved[c] = Isa::notEqual(level[c], Isa::loadValues(pendingLevel + c * Isa::width));
            if (anyOf(moved)) {
#pragma GCC unroll 16
                for (int c = 0; c < StridedChains; ++c) {
                    std::uint32_t* const pending = pendingLevel + c * Isa::width;
                    entries +=
                        writeOut(entryLevels + entries, entryWeights + entries, moved[c],
                                 Isa::loadValues(pending), counted[c], written + c * Isa::width);
                    Isa::storeValues(pending, level[c]);
                }
            }
#pragma GCC unroll 16
            for (int c = 0; c < StridedChains; ++c) {
                counted[c] = Isa::add(
                    counted[c], Isa::addWhere(baseWeight, Isa::lessThan(key[c], extraBelow), one));
                key[c] = Isa::bitAnd(Isa::add(key[c], keyStep), keyMask);
            }
            walk<Ringed>(
                ring, std::uint32_t{1} << job.strideLog,
                [&](MaskBits * entry) __attribute__((always_inline)) {
#pragma GCC unroll 16
                    for (int c = 0; c < StridedChains; ++c) {
                        slideLevel<Ringed>(leavingState[c], enteringState[c], entry, c, t, one,
                                           level[c]);
                    }
                });
        };
        auto chunk = [&](std::uint32_t tallies) __attribute__((always_inline))
        {
            std::size_t entries = 0;
            for (std::uint32_t i = 0; i < tallies; ++i)
                tallyOnce(entries);
            return entries;
        };
        auto emptyEntries = [&](std::size_t entries) { empty(job, entries); };
        inChunks(job.steps >> job.strideLog, chunkTallies(job, stridedLanes), chunk, emptyEntries);
        std::size_t entries = 0;
#pragma GCC unroll 16
        for (int c = 0; c < StridedChains; ++c)
            entries += writeOut(entryLevels + entries, entryWeights + entries, allLanes(),
                                Isa::loadValues(pendingLevel + c * Isa::width), counted[c],
                                written + c * Isa::width);
        emptyEntries(entries);
    }

    // Whether any chain's mask holds a lane.
    template <int Chains>
    __attribute__((always_inline)) static bool anyOf(const Mask (&masks)[Chains])
    {
        Mask either = masks[0];
#pragma GCC unroll 16
        for (int c = 1; c < Chains; ++c)
            either = Isa::either(either, masks[c]);
        return Isa::any(either);
    }

    static Mask allLanes()
    {
        const Reg one = Isa::broadcast(1);
        return Isa::notEqual(one, Isa::broadcast(0));
    }

    // Every tally of every lane may write an entry between two emptyings; the compressing stores
    // write a register's width beyond their last entry.
    static std::uint32_t chunkTallies(const TallyJob& job, int lanes)
    {
        return static_cast<std::uint32_t>((job.entryCapacity - Isa::width) /
                                          static_cast<std::size_t>(lanes));
    }

    // The runs counted since the lanes' last entries, as entries at `levels`, for the lanes of
    // `lanes` that have counted any; those lanes start counting afresh.
    __attribute__((always_inline)) static std::size_t writeOut(std::uint32_t* entryLevels,
                                                               std::uint32_t* entryWeights,
                                                               Mask lanes, Reg levels, Reg counted,
                                                               Reg& written)
    {
        const Mask any = Isa::both(lanes, Isa::notEqual(counted, written));
        const int n = Isa::compress(entryLevels, any, levels);
        Isa::compress(entryWeights, any, Isa::sub(counted, written));
        written = Isa::select(lanes, counted, written);
        return static_cast<std::size_t>(n);
    }

    // The same for counts kept in memory.
    __attribute__((always_inline)) static std::size_t writeOut(std::uint32_t* entryLevels,
                                                               std::uint32_t* entryWeights,
                                                               Mask lanes, Reg levels, Reg counted,
                                                               std::uint32_t* written)
    {
        Reg kept = Isa::loadValues(written);
        const std::size_t n = writeOut(entryLevels, entryWeights, lanes, levels, counted, kept);
        Isa::storeValues(written, kept);
        return n;
    }

    static Reg step(Reg state)
    {
        return Isa::add(Isa::mul(state, Isa::broadcast(Lcg::multiplier)),
                        Isa::broadcast(Lcg::increment));
    }

    // The entries of eachRun(), one run each.
    static void emptyRuns(const TallyJob& job, std::size_t entries)
    {
        const std::uint32_t* const levels = job.entryLevels;
        std::uint32_t* const window = job.window;
        const std::uint32_t windowSize = job.windowSize;
#pragma GCC unroll 4
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint32_t level = levels[i];
            if (level < windowSize)
                ++window[level];
            else
                std::atomic_ref<FailureCount>(job.histogram[level + job.windowBase])
                    .fetch_add(1, std::memory_order_relaxed);
        }
    }

    static void empty(const TallyJob& job, std::size_t entries)
    {
        // Held in locals: the stores to the window could otherwise be the job's own fields.
        const std::uint32_t* const levels = job.entryLevels;
        const std::uint32_t* const weights = job.entryWeights;
        std::uint32_t* const window = job.window;
        const std::uint32_t windowSize = job.windowSize;
#pragma GCC unroll 4
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint32_t level = levels[i];
            if (level < windowSize) {
                window[level] += weights[i];
            } else {
                // Rare: a level outside the window, where other threads may add too.
                std::atomic_ref<FailureCount>(job.histogram[level + job.windowBase])
                    .fetch_add(static_cast<FailureCount>(weights[i]), std::memory_order_relaxed);
            }
        }
    }
};

} // namespace
} // namespace SimulationKernel
