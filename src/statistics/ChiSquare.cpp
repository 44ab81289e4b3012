#include "statistics/ChiSquare.h"

#include <cmath>
#include <limits>

namespace {

constexpr long double epsilon = std::numeric_limits<long double>::epsilon();
constexpr int maxIterations = 10'000'000;

// a ln x - x - ln Gamma(a): the common factor of both expansions, in log space so that neither
// the power nor the gamma function overflows for large a.
long double logPrefactor(long double a, long double x)
{
    return a * std::log(x) - x - std::lgamma(a);
}

// P(a, x) from its power series; converges quickly for x < a + 1.
long double lowerBySeries(long double a, long double x)
{
    long double term = 1.0L / a;
    long double sum = term;
    for (int n = 1; n < maxIterations; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * epsilon)
            break;
    }
    return sum * std::exp(logPrefactor(a, x));
}

// Q(a, x) from its continued fraction, evaluated by the modified Lentz method; converges quickly
// for x >= a + 1.
long double upperByContinuedFraction(long double a, long double x)
{
    const long double tiny = std::numeric_limits<long double>::min() / epsilon;
    long double b = x + 1 - a;
    long double c = 1 / tiny;
    long double d = 1 / b;
    long double h = d;
    for (int i = 1; i < maxIterations; ++i) {
        const long double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::fabs(d) < tiny)
            d = tiny;
        c = b + an / c;
        if (std::fabs(c) < tiny)
            c = tiny;
        d = 1 / d;
        const long double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1) < epsilon)
            break;
    }
    return std::exp(logPrefactor(a, x)) * h;
}

} // namespace

double regularizedUpperGamma(double a, double x)
{
    if (x <= 0)
        return 1;
    if (x < a + 1)
        return static_cast<double>(1 - lowerBySeries(a, x));
    return static_cast<double>(upperByContinuedFraction(a, x));
}

ChiSquare chiSquareTest(std::span<const std::int32_t> histogram, std::int64_t runs,
                        const ExactDistribution& distribution)
{
    struct Bin
    {
        long double observed = 0;
        long double expected = 0;
    };
    const auto term = [](const Bin& bin) {
        const long double difference = bin.observed - bin.expected;
        return difference * difference / bin.expected;
    };

    long double statistic = 0;
    std::int64_t bins = 0;
    std::optional<Bin> lastFull;
    Bin open;
    for (std::size_t k = 0; k < histogram.size(); ++k) {
        open.observed += histogram[k];
        open.expected +=
            static_cast<long double>(runs) * distribution.probability(static_cast<std::int64_t>(k));
        if (open.expected >= 5) {
            if (lastFull)
                statistic += term(*lastFull);
            lastFull = open;
            ++bins;
            open = Bin();
        }
    }
    if (lastFull) {
        lastFull->observed += open.observed;
        lastFull->expected += open.expected;
        statistic += term(*lastFull);
    }

    ChiSquare result;
    result.statistic = static_cast<double>(statistic);
    result.degreesOfFreedom = bins > 0 ? bins - 1 : 0;
    if (result.degreesOfFreedom > 0)
        result.pValue = regularizedUpperGamma(static_cast<double>(result.degreesOfFreedom) / 2,
                                              result.statistic / 2);
    return result;
}
