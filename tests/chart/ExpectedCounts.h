#pragma once

#include "statistics/ExactDistribution.h"

#include <cmath>
#include <cstdint>
#include <vector>

// The histogram of `runs` runs that follows the exact distribution as closely as whole counts can:
// a realistic chart without running a simulation.
inline std::vector<std::int32_t> expectedCounts(const ExactDistribution& exact,
                                                std::int64_t engines, std::int32_t runs)
{
    std::vector<std::int32_t> histogram(static_cast<std::size_t>(engines + 1));
    for (std::int64_t k = 0; k <= engines; ++k)
        histogram[static_cast<std::size_t>(k)] =
            static_cast<std::int32_t>(std::lround(exact.probability(k) * runs));
    return histogram;
}
