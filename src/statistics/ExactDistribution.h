#pragma once

#include <cstdint>
#include <vector>

// The binomial distribution of the number of failed engines among `engines`, each failing with
// probability `p`. Only the counts whose probability is not below the smallest double are held
// (about 77 standard deviations around the mode), so that memory and time grow with the spread of
// the distribution, not with the engine count; every other count has probability 0.
class ExactDistribution
{
public:
    ExactDistribution(std::int32_t engines, double p);

    double probability(std::int64_t k) const;
    std::int64_t first() const { return m_first; }
    std::int64_t last() const { return m_first + static_cast<std::int64_t>(m_values.size()) - 1; }

private:
    std::int64_t m_first = 0;
    std::vector<double> m_values;
};
