#pragma once

// The loops of the cycle pass (CyclePass.h), written once for any register width and instantiated
// once per instruction set next to KernelBlock.h's, with the same traits and the same internal
// linkage. Besides the operations KernelBlock.h lists, the traits provide:
//   Mask                  a set of lanes
//   discountFailure(k, s, t)  k - 1 in the lanes whose state lies below the threshold
//   loadValues(p), storeValues(p, r)  plain numbers, unaligned
//   sub                   lane-wise, modulo 2^32
//   lessThan(a, b), notEqual(a, b), both(m, n)  lane-wise, unsigned
//   any(m)                whether m holds a lane
//   addWhere(a, m, b)     a + b in the lanes of m, a elsewhere
//   select(m, a, b)       a in the lanes of m, b elsewhere
//   compress(p, m, r)     the lanes of m stored one after another from p, returning how many;
//                         it may write up to `width` numbers

#include "simulation/Generator.h"
#include "simulation/KernelInterface.h"

#include <atomic>
#include <cstdint>

namespace SimulationKernel {
namespace {

template <class Isa, int CountChains, int TallyChains> class CycleBlock
{
public:
    using Reg = typename Isa::Reg;
    using Mask = typename Isa::Mask;
    static constexpr int countLanes = Isa::width * CountChains;
    static constexpr int tallyLanes = Isa::width * TallyChains;

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

    // See TallyJob. A lane keeps the runs of consecutive positions at one level together and
    // writes them out only when its level moves: with a small or a large failure probability the
    // level stays put for long stretches, and the memory sees few writes. The runs are counted
    // cumulatively, so that a position whose level stays costs no more than its weight.
    static void tally(const TallyJob& job)
    {
        Reg a[TallyChains];
        Reg b[TallyChains];
        Reg level[TallyChains];
        Reg key[TallyChains];
        Reg pendingLevel[TallyChains];
        Reg counted[TallyChains];
        Reg written[TallyChains];
#pragma GCC unroll 16
        for (int c = 0; c < TallyChains; ++c) {
            a[c] = Isa::loadStates(job.statesA + c * Isa::width);
            b[c] = Isa::loadStates(job.statesB + c * Isa::width);
            level[c] = Isa::loadValues(job.startLevels + c * Isa::width);
            key[c] = Isa::loadValues(job.startKeys + c * Isa::width);
            pendingLevel[c] = level[c];
            counted[c] = Isa::broadcast(0);
            written[c] = Isa::broadcast(0);
        }
        const Reg t = Isa::threshold(job.threshold);
        const Reg one = Isa::broadcast(1);
        const Reg baseWeight = Isa::broadcast(job.baseWeight);
        const Reg extraBelow = Isa::broadcast(job.extraBelow);
        const Reg keyStep = Isa::broadcast(job.keyStep);
        const Reg keyMask = Isa::broadcast(job.keyMask);
        const std::uint32_t stride = std::uint32_t{1} << job.strideLog;
        const std::uint32_t tallies = job.steps >> job.strideLog;
        // Every tally of every lane may write an entry; the compressing stores write a register's
        // width beyond their last entry.
        const std::uint32_t perChunk =
            static_cast<std::uint32_t>((job.entryCapacity - Isa::width) / tallyLanes);
        std::uint32_t* const entryLevels = job.entryLevels;
        std::uint32_t* const entryWeights = job.entryWeights;

        for (std::uint32_t done = 0; done < tallies;) {
            const std::uint32_t now = tallies - done < perChunk ? tallies - done : perChunk;
            std::size_t entries = 0;
            for (std::uint32_t i = 0; i < now; ++i) {
                Mask moved[TallyChains];
                bool anyMoved = false;
#pragma GCC unroll 16
                for (int c = 0; c < TallyChains; ++c) {
                    moved[c] = Isa::notEqual(level[c], pendingLevel[c]);
                    anyMoved |= Isa::any(moved[c]);
                }
                if (anyMoved) {
#pragma GCC unroll 16
                    for (int c = 0; c < TallyChains; ++c) {
                        const Mask flush =
                            Isa::both(moved[c], Isa::notEqual(counted[c], written[c]));
                        const int n = Isa::compress(entryLevels + entries, flush, pendingLevel[c]);
                        Isa::compress(entryWeights + entries, flush,
                                      Isa::sub(counted[c], written[c]));
                        entries += static_cast<std::size_t>(n);
                        written[c] = Isa::select(moved[c], counted[c], written[c]);
                        pendingLevel[c] = level[c];
                    }
                }
#pragma GCC unroll 16
                for (int c = 0; c < TallyChains; ++c) {
                    counted[c] =
                        Isa::add(counted[c],
                                 Isa::addWhere(baseWeight, Isa::lessThan(key[c], extraBelow), one));
                    key[c] = Isa::bitAnd(Isa::add(key[c], keyStep), keyMask);
                }
                for (std::uint32_t k = 0; k < stride; ++k) {
#pragma GCC unroll 16
                    for (int c = 0; c < TallyChains; ++c) {
                        a[c] = step(a[c]);
                        b[c] = step(b[c]);
                        level[c] = Isa::countFailure(level[c], b[c], t);
                        level[c] = Isa::discountFailure(level[c], a[c], t);
                    }
                }
            }
            empty(job, entries);
            done += now;
        }
        std::size_t entries = 0;
#pragma GCC unroll 16
        for (int c = 0; c < TallyChains; ++c) {
            const Mask flush = Isa::notEqual(counted[c], written[c]);
            const int n = Isa::compress(entryLevels + entries, flush, pendingLevel[c]);
            Isa::compress(entryWeights + entries, flush, Isa::sub(counted[c], written[c]));
            entries += static_cast<std::size_t>(n);
        }
        empty(job, entries);
    }

private:
    static Reg step(Reg state)
    {
        return Isa::add(Isa::mul(state, Isa::broadcast(Lcg::multiplier)),
                        Isa::broadcast(Lcg::increment));
    }

    static void empty(const TallyJob& job, std::size_t entries)
    {
        // Held in locals: the stores to the window could otherwise be the job's own fields.
        const std::uint32_t* const levels = job.entryLevels;
        const std::uint32_t* const weights = job.entryWeights;
        std::uint32_t* const window = job.window;
        const std::uint32_t windowSize = job.windowSize;
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint32_t level = levels[i];
            if (level < windowSize) {
                window[level] += weights[i];
            } else {
                // Rare: a level outside the window, where other threads may add too.
                std::atomic_ref<std::uint32_t>(job.histogram[level + job.windowBase])
                    .fetch_add(weights[i], std::memory_order_relaxed);
            }
        }
    }
};

} // namespace
} // namespace SimulationKernel
