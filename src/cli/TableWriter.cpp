#include "cli/TableWriter.h"

#include "presentation/ResultTable.h"
#include "presentation/RowTailCache.h"
#include "presentation/ScriptNumbers.h"
#include "simulation/Generator.h"

#include <cmath>
#include <string>

TableWriter::TableWriter(const SimulationInputs& inputs, std::span<const std::int32_t> histogram,
                         const ExactDistributions& exact, LineWriter& writer)
    : m_inputs(inputs)
    , m_histogram(histogram)
    , m_exact(exact)
    , m_writer(writer)
{}

namespace {

// The table's columns: CSV writes them in this order under these names, JSON names each value so.
// Scripts read the columns by name or by place, so new ones go after the old ones of their group.
enum Column {
    FailedEngines,
    Count,
    Probability,
    Percent,
    Cumulative,
    CumulativePercent,
    ProbabilityAtMost,
    ProbabilityAtLeast,
    ExactProbability, // this and the following with --exact only
    StandardError,
    ExactProbabilityNominal,
    ColumnCount
};
constexpr std::string_view columnNames[ColumnCount] = {"failed_engines",
                                                       "count",
                                                       "probability",
                                                       "percent",
                                                       "cumulative",
                                                       "cumulative_percent",
                                                       "probability_at_most",
                                                       "probability_at_least",
                                                       "exact_probability",
                                                       "standard_error",
                                                       "exact_probability_nominal"};

// A share of the runs from whole counts: one division, so the text is the shortest decimal that
// reads back as the quotient (0.0326145), with no rounding of earlier sums carried along.
double shareOf(std::int64_t count, std::int32_t runs)
{
    return static_cast<double>(count) / runs;
}

} // namespace

template <typename Format>
void TableWriter::forEachRow(std::string_view separator, const Format& format)
{
    RowTailCache<Row> tails;
    double sum = 0;
    std::int64_t runsBelow = 0;
    for (std::size_t k = 0; k < m_histogram.size(); ++k) {
        const auto failures = static_cast<std::int64_t>(k);
        Row row;
        row.count = m_histogram[k];
        if (k > 0)
            sum = ResultTable::addShare(sum, row.count, m_inputs.runs);
        row.sum = sum;
        row.runsAtLeast = m_inputs.runs - runsBelow;
        runsBelow += row.count;
        row.runsAtMost = runsBelow;
        if (m_exact.atGenerator) {
            row.exact = m_exact.atGenerator->probability(failures);
            row.exactNominal = m_exact.atNominal->probability(failures);
        }
        if (k > 0)
            m_writer.append(separator);
        format.writeRow(static_cast<std::int64_t>(k), tails.tail(row, format));
    }
}

void TableWriter::appendTail(const Row& row, std::string& text, TableFormat format) const
{
    // CSV writes the values alone, in the header's order; JSON names each one.
    const auto field = [&text, format](Column column) {
        if (format == TableFormat::Csv) {
            text += ',';
        } else {
            text += ",\"";
            text += columnNames[column];
            text += "\":";
        }
    };
    const double runs = m_inputs.runs;
    const double share = row.count / runs;
    field(Count);
    appendInteger(text, row.count);
    field(Probability);
    appendShortest(text, share);
    field(Percent);
    appendShortest(text, 100.0 * row.count / runs);
    field(Cumulative);
    appendShortest(text, row.sum);
    field(CumulativePercent);
    appendShortest(text, static_cast<double>(100.0L * row.sum));
    field(ProbabilityAtMost);
    appendShortest(text, shareOf(row.runsAtMost, m_inputs.runs));
    field(ProbabilityAtLeast);
    appendShortest(text, shareOf(row.runsAtLeast, m_inputs.runs));
    if (m_exact.atGenerator) {
        field(ExactProbability);
        appendShortest(text, row.exact);
        // The spread of the simulated share around the exact probability under the model, not
        // the spread estimated from the share itself: that one is 0 for every count that no run
        // reached, exactly in the rare tail where the column is read. Without runs there is
        // no spread to give.
        field(StandardError);
        appendShortest(text, runs > 0 ? std::sqrt(row.exact * (1 - row.exact) / runs) : 0.0);
        field(ExactProbabilityNominal);
        appendShortest(text, row.exactNominal);
    }
    if (format == TableFormat::Csv)
        text += "\r\n";
    else
        text += '}';
}

void TableWriter::writeCsv()
{
    const int columns = m_exact.atGenerator ? ColumnCount : ExactProbability;
    for (int column = 0; column < columns; ++column) {
        if (column > 0)
            m_writer.append(",");
        m_writer.append(columnNames[column]);
    }
    m_writer.append("\r\n");
    struct Csv
    {
        const TableWriter& table;
        void operator()(const Row& row, std::string& text) const
        {
            table.appendTail(row, text, TableFormat::Csv);
        }
        void writeRow(std::int64_t k, const std::string& tail) const
        {
            table.m_writer.appendInteger(k);
            table.m_writer.append(tail);
        }
    };
    forEachRow("", Csv{*this});
}

void TableWriter::writeJson(const std::optional<ChiSquare>& chiSquare)
{
    std::string head = "{\"engines\":";
    appendInteger(head, m_inputs.engines);
    head += ",\"runs\":";
    appendInteger(head, m_inputs.runs);
    head += ",\"reliability\":";
    appendShortest(head, m_inputs.reliability);
    head += ",\"seed\":";
    appendInteger(head, m_inputs.seed);
    head += ",\"failure_probability\":";
    appendShortest(head, m_inputs.failureProbability);
    head += ",\"nominal_failure_probability\":";
    appendShortest(head, m_inputs.nominalFailureProbability);
    if (m_inputs.drawsNearPeriod) {
        head += ",\"period_warning\":{\"draws\":";
        appendInteger(head, *m_inputs.drawsNearPeriod);
        head += ",\"period\":";
        appendInteger(head, static_cast<std::int64_t>(Lcg::period));
        head += '}';
    }
    if (chiSquare) {
        head += ",\"chi_square\":{\"statistic\":";
        appendShortest(head, chiSquare->statistic);
        head += ",\"degrees_of_freedom\":";
        appendInteger(head, chiSquare->degreesOfFreedom);
        head += ",\"p_value\":";
        if (chiSquare->pValue)
            appendShortest(head, *chiSquare->pValue);
        else
            head += "null";
        head += '}';
    }
    head += ",\"rows\":[\n";
    m_writer.append(head);
    struct Json
    {
        const TableWriter& table;
        void operator()(const Row& row, std::string& text) const
        {
            table.appendTail(row, text, TableFormat::Json);
        }
        void writeRow(std::int64_t k, const std::string& tail) const
        {
            table.m_writer.append("{\"");
            table.m_writer.append(columnNames[FailedEngines]);
            table.m_writer.append("\":");
            table.m_writer.appendInteger(k);
            table.m_writer.append(tail);
        }
    };
    forEachRow(",\n", Json{*this});
    m_writer.append(m_histogram.empty() ? "]}\n" : "\n]}\n");
}
