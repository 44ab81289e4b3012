#pragma once

#include "simulation/FailureHistogram.h"
#include "simulation/Generator.h"

#include <cstdint>

// One draw in its plainest form: the generator steps, and the new state read as a fraction of
// 2^32 is the draw.
inline double referenceUniform(std::uint32_t& state)
{
    state = Lcg::next(state);
    return static_cast<double>(state) * 0x1p-32;
}

// The simulation loop in its plainest form, one draw per engine and run compared with the failure
// probability as a double, from `state`, which it leaves after the last draw. The fast simulation
// must reproduce its histogram and final state exactly.
inline FailureHistogram referenceSimulation(std::uint32_t& state, std::int32_t engines,
                                            std::int32_t runs, double reliability)
{
    if (1 < reliability)
        reliability = static_cast<double>(static_cast<long double>(reliability) / 100);
    const auto p = static_cast<double>(1 - static_cast<long double>(reliability));
    FailureHistogram histogram(static_cast<std::size_t>(engines + 1), 0);
    for (std::int32_t run = 0; run < runs; ++run) {
        std::int32_t k = 0;
        for (std::int32_t engine = 0; engine < engines; ++engine) {
            const double v = referenceUniform(state);
            if (v < p)
                ++k;
        }
        ++histogram[static_cast<std::size_t>(k)];
    }
    return histogram;
}
