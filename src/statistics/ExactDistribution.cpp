#include "statistics/ExactDistribution.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

// Below this weight relative to the mode a probability rounds to 0 even as a subnormal double.
const long double negligible = std::ldexp(1.0L, -1080);

} // namespace

// The weights come from the ratio of neighbouring probabilities, (n - k) / (k + 1) x p / (1 - p),
// walked outwards from the mode with a 64-bit significand and normalised by their sum at the end:
// no factorial or power is ever formed, so nothing overflows for any engine count, and the
// relative error stays near that of a few roundings per step.
ExactDistribution::ExactDistribution(std::int32_t engines, double p)
{
    if (engines < 0)
        return;
    const long double n = engines;
    if (p <= 0 || p >= 1) {
        m_first = p <= 0 ? 0 : engines;
        m_values.assign(1, 1.0);
        return;
    }
    const long double odds = static_cast<long double>(p) / (1.0L - static_cast<long double>(p));
    const auto mode =
        std::min<std::int64_t>(engines, static_cast<std::int64_t>(std::floor((n + 1) * p)));

    std::deque<long double> weights{1.0L};
    long double sum = 1.0L;
    std::int64_t first = mode;
    for (long double w = 1.0L; first > 0;) {
        const auto k = static_cast<long double>(first);
        w *= k / ((n - k + 1) * odds);
        if (w < negligible)
            break;
        weights.push_front(w);
        sum += w;
        --first;
    }
    for (long double w = 1.0L, k = static_cast<long double>(mode); k < n; ++k) {
        w *= (n - k) / (k + 1) * odds;
        if (w < negligible)
            break;
        weights.push_back(w);
        sum += w;
    }

    m_first = first;
    m_values.reserve(weights.size());
    for (const long double w : weights)
        m_values.push_back(static_cast<double>(w / sum));
}

double ExactDistribution::probability(std::int64_t k) const
{
    if (k < m_first || k > last())
        return 0;
    return m_values[static_cast<std::size_t>(k - m_first)];
}
