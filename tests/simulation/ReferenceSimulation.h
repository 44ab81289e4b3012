#pragma once

#include "simulation/Generator.h"
#include "simulation/TAusFallarray.h"

#include <cstdint>

// The simulation loop in its plainest form, one NextUniform per engine and run compared with the
// failure probability as a double, from the current GeneratorSeed (no reseeding). The fast
// simulation must reproduce its histogram and final state exactly.
inline TAusFallarray referenceSimulation(std::int32_t engines, std::int32_t runs,
                                         double reliability)
{
    if (1 < reliability)
        reliability = static_cast<double>(static_cast<long double>(reliability) / 100);
    const auto p = static_cast<double>(1 - static_cast<long double>(reliability));
    TAusFallarray histogram(static_cast<std::size_t>(engines + 1), 0);
    for (std::int32_t run = 0; run < runs; ++run) {
        std::int32_t k = 0;
        for (std::int32_t engine = 0; engine < engines; ++engine) {
            const double v = NextUniform();
            if (v < p)
                ++k;
        }
        ++histogram[static_cast<std::size_t>(k)];
    }
    return histogram;
}
