#pragma once

#include <cstdint>
#include <vector>

// Element k counts the runs in which exactly k engines failed.
using FailureHistogram = std::vector<std::int32_t>;
