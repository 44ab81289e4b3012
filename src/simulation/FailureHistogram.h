#pragma once

#include <cstdint>
#include <vector>

// How many runs had a given number of failures; never more than the runs of a call, 2^31 - 1.
using FailureCount = std::int32_t;

// Element k counts the runs in which exactly k engines failed.
using FailureHistogram = std::vector<FailureCount>;
