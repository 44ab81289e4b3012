#pragma once

// The simulation loop, written once for any register width and instantiated once per instruction
// set, each in a translation unit of its own compiled for that set. Everything here has internal
// linkage, so no function compiled for a wider set can stand in for another translation unit's.
//
// The runs are dealt out to lanes = width x Chains, each lane a contiguous share of them starting
// from the generator state that the plain sequence reaches there (the caller jumps ahead to it).
// The chains are independent dependency chains: while one waits for its multiply, the others
// proceed.

#include "simulation/Generator.h"
#include "simulation/KernelInterface.h"

#include <cstdint>

namespace SimulationKernel {
namespace {

// The state-and-compare operations that the instruction set traits provide:
//   Reg            the register type, `width` 32-bit lanes
//   broadcast(v)   every lane v
//   loadStates(p)  generator states into the register's own encoding of them
//   threshold(t)   the threshold in the same encoding
//   countFailure(k, s, t)  k + 1 in the lanes whose state lies below the threshold
//   add, mul       lane-wise, modulo 2^32
//   shiftLeft(a, b), shiftRight(a, b)  lane-wise by the counts in b
//   bitAnd(a, b)
//   store(p, r)    the register's lanes as plain numbers

template <class Isa, int Chains> class Block
{
public:
    using Reg = typename Isa::Reg;
    static constexpr int lanes = Isa::width * Chains;
    // The callers' lane arrays hold the widest kernel's.
    static_assert(lanes <= maxLanes);

    // See LaneKernel::simulate.
    static void simulate(const std::uint32_t* laneStarts, std::int32_t engines,
                         std::int64_t runsPerLane, std::uint32_t threshold,
                         const LaneHistograms& histograms)
    {
        const Reg t = Isa::threshold(threshold);
        if (engines == 1)
            totals(laneStarts, runsPerLane, t, histograms.counts);
        else if (engines < packedEngineLimit)
            packed(laneStarts, engines, runsPerLane, t, histograms.counts);
        else
            stored(laneStarts, engines, runsPerLane, t, histograms);
    }

private:
    // Each path keeps the chains in local variables of its own, so that they live in registers.
    static void load(Reg (&chains)[Chains], const std::uint32_t* laneStarts)
    {
#pragma GCC unroll 16
        for (int c = 0; c < Chains; ++c)
            chains[c] = Isa::loadStates(laneStarts + c * Isa::width);
    }

    static Reg step(Reg state)
    {
        return Isa::add(Isa::mul(state, Isa::broadcast(Lcg::multiplier)),
                        Isa::broadcast(Lcg::increment));
    }

    static void clear(Reg (&registers)[Chains])
    {
#pragma GCC unroll 16
        for (int c = 0; c < Chains; ++c)
            registers[c] = Isa::broadcast(0);
    }

    // The next draw of every lane of every chain, counting the failures. Inlined into the loops,
    // so that the chains stay in registers.
    __attribute__((always_inline)) static void drawOnce(Reg (&chains)[Chains],
                                                        Reg (&failed)[Chains], Reg t)
    {
#pragma GCC unroll 16
        for (int c = 0; c < Chains; ++c) {
            chains[c] = step(chains[c]);
            failed[c] = Isa::countFailure(failed[c], chains[c], t);
        }
    }

    // The draws of one run in every lane, its failures counted from zero.
    __attribute__((always_inline)) static void drawRun(Reg (&chains)[Chains], Reg (&failed)[Chains],
                                                       std::int32_t engines, Reg t)
    {
        clear(failed);
        for (std::int32_t engine = 0; engine < engines; ++engine)
            drawOnce(chains, failed, t);
    }

    static std::uint64_t laneSum(Reg value)
    {
        alignas(64) std::uint32_t values[Isa::width];
        Isa::store(values, value);
        std::uint64_t sum = 0;
        for (const std::uint32_t v : values)
            sum += v;
        return sum;
    }

    // One engine per run: the histogram is the failure total and the rest.
    static void totals(const std::uint32_t* laneStarts, std::int64_t runs, Reg t,
                       FailureCount* histogram)
    {
        Reg chains[Chains];
        load(chains, laneStarts);
        Reg failed[Chains];
        clear(failed);
        for (std::int64_t run = 0; run < runs; ++run) {
            drawOnce(chains, failed, t);
        }
        std::uint64_t total = 0;
        for (int c = 0; c < Chains; ++c)
            total += laneSum(failed[c]);
        histogram[1] += static_cast<std::uint32_t>(total);
        histogram[0] +=
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(runs) * lanes - total);
    }

    // Few engines: each lane counts its runs per failure count in bit fields of one register
    // (a run with k failures adds 1 << (k x bits)), emptied into per-count totals before a field
    // can overflow. No scatter, no store per run.
    static void packed(const std::uint32_t* laneStarts, std::int32_t engines, std::int64_t runs,
                       Reg t, FailureCount* histogram)
    {
        Reg chains[Chains];
        load(chains, laneStarts);
        const int counts = engines + 1;
        const int bits = 32 / counts;
        const std::int64_t batch = (std::int64_t{1} << bits) - 1;
        const Reg bitsPerCount = Isa::broadcast(static_cast<std::uint32_t>(bits));
        const Reg one = Isa::broadcast(1);
        const Reg fieldMask = Isa::broadcast(static_cast<std::uint32_t>(batch));
        Reg totalsPerCount[packedEngineLimit];
        for (int k = 0; k < counts; ++k)
            totalsPerCount[k] = Isa::broadcast(0);

        for (std::int64_t done = 0; done < runs;) {
            const std::int64_t now = runs - done < batch ? runs - done : batch;
            Reg fields[Chains];
            clear(fields);
            for (std::int64_t run = 0; run < now; ++run) {
                Reg failed[Chains];
                drawRun(chains, failed, engines, t);
#pragma GCC unroll 16
                for (int c = 0; c < Chains; ++c)
                    fields[c] =
                        Isa::add(fields[c], Isa::shiftLeft(one, Isa::mul(failed[c], bitsPerCount)));
            }
            for (int k = 0; k < counts; ++k) {
                const Reg shift = Isa::broadcast(static_cast<std::uint32_t>(k * bits));
#pragma GCC unroll 16
                for (int c = 0; c < Chains; ++c)
                    totalsPerCount[k] =
                        Isa::add(totalsPerCount[k],
                                 Isa::bitAnd(Isa::shiftRight(fields[c], shift), fieldMask));
            }
            done += now;
        }
        for (int k = 0; k < counts; ++k)
            histogram[k] += static_cast<std::uint32_t>(laneSum(totalsPerCount[k]));
    }

    // Many engines: a run is long, so its count goes to the histogram through memory.
    static void stored(const std::uint32_t* laneStarts, std::int32_t engines, std::int64_t runs,
                       Reg t, const LaneHistograms& histograms)
    {
        FailureCount* laneHistogram[lanes];
        for (int lane = 0; lane < lanes; ++lane)
            laneHistogram[lane] =
                histograms.counts +
                static_cast<std::size_t>(lane % histograms.copies) * histograms.stride;
        Reg chains[Chains];
        load(chains, laneStarts);
        alignas(64) std::uint32_t failedPerLane[lanes];
        for (std::int64_t run = 0; run < runs; ++run) {
            Reg failed[Chains];
            drawRun(chains, failed, engines, t);
#pragma GCC unroll 16
            for (int c = 0; c < Chains; ++c)
                Isa::store(failedPerLane + c * Isa::width, failed[c]);
            // Read the counts back from memory rather than let the compiler extract lane by lane.
            asm volatile("" ::"r"(failedPerLane) : "memory");
            for (int lane = 0; lane < lanes; ++lane)
                ++laneHistogram[lane][failedPerLane[lane]];
        }
    }
};

} // namespace
} // namespace SimulationKernel
