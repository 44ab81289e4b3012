#pragma once

#include "cli/LineWriter.h"
#include "statistics/ChiSquare.h"
#include "statistics/ExactDistribution.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// What a table for scripts says about the simulation that made it.
struct SimulationInputs
{
    std::int32_t engines = 0;
    std::int32_t runs = 0;
    double reliability = 0; // as entered: a value above 1 is a percentage
    std::uint32_t seed = 0;
    double failureProbability = 0;        // the one the generator realises
    double nominalFailureProbability = 0; // 1 - reliability, after the percentage rule
    // How many numbers the runs drew from the generator, when that is at least half its period.
    std::optional<std::int64_t> drawsNearPeriod;
};

// The binomial distribution at the failure probability the generator realises and at the nominal
// one, both or neither.
struct ExactDistributions
{
    const ExactDistribution* atGenerator = nullptr;
    const ExactDistribution* atNominal = nullptr;
};

// The result table as CSV (RFC 4180) or as one JSON object, with full-stop numbers in every locale,
// each double as the shortest text that reads back as it. The running sums `cumulative` have the
// result table's meaning (the share of runs with 1 to k failures, summed as the table sums them);
// the shares of runs with at most and at least k failures are each one quotient of whole counts.
// Given the exact distributions, every row also holds both exact probabilities and the standard
// error of its simulated share. The runs are not 0 where there are rows to write.
class TableWriter
{
public:
    TableWriter(const SimulationInputs& inputs, std::span<const std::int32_t> histogram,
                const ExactDistributions& exact, LineWriter& writer);

    void writeCsv();
    void writeJson(const std::optional<ChiSquare>& chiSquare);

private:
    struct Row
    {
        std::int32_t count = 0;
        double sum = 0;
        std::int64_t runsAtMost = 0;
        std::int64_t runsAtLeast = 0;
        double exact = 0;
        double exactNominal = 0;
        bool operator==(const Row&) const = default;
    };

    // Calls `format.writeRow(k, tail)` per failure count with the row's text after k, which
    // `format(row, text)` writes once per run of equal rows.
    template <typename Format> void forEachRow(std::string_view separator, const Format& format);

    enum class TableFormat { Csv, Json };
    void appendTail(const Row& row, std::string& text, TableFormat format) const;

    const SimulationInputs& m_inputs;
    std::span<const std::int32_t> m_histogram;
    ExactDistributions m_exact;
    LineWriter& m_writer;
};
