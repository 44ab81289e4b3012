#pragma once

#include "statistics/ExactDistribution.h"

#include <cstdint>
#include <optional>
#include <span>

// Pearson's goodness of fit of a histogram of `runs` runs to an exact distribution. Neighbouring
// failure counts are pooled from 0 upwards until each bin expects at least 5 runs; a remainder
// that expects fewer joins the last full bin. The distribution's parameter is known, not
// estimated, so the degrees of freedom are the bins less one.
struct ChiSquare
{
    double statistic = 0;
    std::int64_t degreesOfFreedom = 0;
    // The probability of a statistic at least this large under the distribution; none without a
    // degree of freedom.
    std::optional<double> pValue;
};

ChiSquare chiSquareTest(std::span<const std::int32_t> histogram, std::int64_t runs,
                        const ExactDistribution& distribution);

// The regularised upper incomplete gamma function Q(a, x) = Gamma(a, x) / Gamma(a), for a > 0 and
// x >= 0; Q(df / 2, chi^2 / 2) is the p-value of a chi-square statistic.
double regularizedUpperGamma(double a, double x);
