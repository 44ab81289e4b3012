#include "presentation/ResultTableRows.h"

#include "presentation/CheckedArithmetic.h"
#include "presentation/FormatText.h"
#include "presentation/ResultTable.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::int32_t sumStride = 32;

} // namespace

ResultTableRows::ResultTableRows(std::int32_t engines, std::int32_t runs,
                                 std::vector<std::int32_t> histogram,
                                 const FormatSettings& settings)
    : m_engines(std::max(engines, -1))
    , m_runs(runs)
    , m_histogram(std::move(histogram))
    , m_settings(settings)
{
    if (m_engines >= 0 && m_histogram.size() <= static_cast<std::size_t>(m_engines))
        throw std::out_of_range("ResultTableRows: histogram shorter than the engine count");
    m_sums.push_back(0);
    // With no runs the first share is 0/0; the sums are left to fail when they are asked for,
    // as the texts before them must still be made. The sums start at row 1.
    if (m_engines < 1 || runs == 0)
        return;
    m_sums.reserve(static_cast<std::size_t>(m_engines / sumStride) + 1);
    // Most counts of a long table are 0, which leave the sum as it is (0/runs added to a sum
    // gives the sum exactly).
    double sum = 0;
    for (std::int32_t i = 1; i <= m_engines; ++i) {
        if (const std::int32_t count = m_histogram[static_cast<std::size_t>(i)]; count != 0) {
            // A share is at least 0 when count and runs do not differ in sign; a rounded sum of
            // such shares never falls below the sum before it.
            if ((count < 0) != (runs < 0))
                m_sumsNeverFall = false;
            sum = ResultTable::addShare(sum, count, runs);
        }
        if (i % sumStride == 0)
            m_sums.push_back(sum);
    }
}

double ResultTableRows::runningSum(std::int32_t failures) const
{
    const std::size_t stored =
        std::min(static_cast<std::size_t>(failures / sumStride), m_sums.size() - 1);
    double sum = m_sums[stored];
    for (std::int32_t i = static_cast<std::int32_t>(stored) * sumStride + 1; i <= failures; ++i) {
        // Without runs even a count of 0 fails (0/0).
        if (const std::int32_t count = m_histogram[static_cast<std::size_t>(i)];
            count != 0 || m_runs == 0)
            sum = ResultTable::addShare(sum, count, m_runs);
    }
    return sum;
}

std::string ResultTableRows::textOf(int column, std::int32_t failures, double sum) const
{
    const std::int32_t count = m_histogram[static_cast<std::size_t>(failures)];
    switch (column) {
    case 0:
        return formatText("%d Triebwerke", {failures}, m_settings);
    case 1:
        return formatText("%.6f", {checkedDivide(count, m_runs)}, m_settings);
    case 2:
        return formatText("%.3f Prozent", {checkedDivide(100.0L * count, m_runs)}, m_settings);
    case 3:
        return formatText("%.6f", {sum}, m_settings);
    case 4:
        return formatText("%.3f Prozent", {100.0L * sum}, m_settings);
    default:
        throw std::out_of_range("ResultTableRows: no such column");
    }
}

std::string ResultTableRows::text(int column, std::int32_t failures) const
{
    if (failures < 0 || failures > m_engines)
        throw std::out_of_range("ResultTableRows: no such row");
    return textOf(column, failures, column >= 3 ? runningSum(failures) : 0.0);
}

std::array<std::int32_t, 2> ResultTableRows::extremeRows(int column, std::int32_t first,
                                                         std::int32_t last) const
{
    first = std::max(first, 0);
    last = std::min(last, m_engines);
    if (first > last)
        return {first, first};
    // Failure counts and, while no share is negative, the sums only grow down the table.
    if (column == 0 || ((column == 3 || column == 4) && m_sumsNeverFall))
        return {first, last};
    std::int32_t lowest = first;
    std::int32_t highest = first;
    if (column == 1 || column == 2) {
        // The value grows with the count (or falls with it, for a negative run count).
        const auto begin = m_histogram.begin() + first;
        const auto [low, high] = std::minmax_element(begin, m_histogram.begin() + last + 1);
        lowest = first + static_cast<std::int32_t>(low - begin);
        highest = first + static_cast<std::int32_t>(high - begin);
    } else {
        double sum = runningSum(first);
        double low = sum;
        double high = sum;
        for (std::int32_t i = first + 1; i <= last; ++i) {
            sum = ResultTable::addShare(sum, m_histogram[static_cast<std::size_t>(i)], m_runs);
            if (sum < low) {
                low = sum;
                lowest = i;
            }
            if (sum > high) {
                high = sum;
                highest = i;
            }
        }
    }
    return {lowest, highest};
}

void ResultTableRows::forEachTextRun(
    int column, std::int32_t first, std::int32_t last,
    const std::function<void(std::int32_t, std::int32_t, const std::string&)>& f) const
{
    first = std::max(first, 0);
    last = std::min(last, m_engines);
    if (first > last)
        return;
    // Counts differ from row to row; without runs every share fails as text() does.
    if (column == 0 || m_runs == 0) {
        for (std::int32_t i = first;; ++i) {
            f(i, i, text(column, i));
            if (i == last)
                return;
        }
    }
    const auto count = [this](std::int32_t i) { return m_histogram[static_cast<std::size_t>(i)]; };
    const bool sums = column >= 3;
    double sum = sums ? runningSum(first) : 0.0;
    for (std::int32_t top = first;;) {
        // A share repeats with its count; a sum stays while the counts after it are 0.
        const std::int32_t repeated = sums ? 0 : count(top);
        std::int32_t bottom = top;
        while (bottom < last && count(bottom + 1) == repeated)
            ++bottom;
        f(top, bottom, textOf(column, top, sum));
        if (bottom == last)
            return;
        top = bottom + 1;
        if (sums)
            sum = ResultTable::addShare(sum, count(top), m_runs);
    }
}
