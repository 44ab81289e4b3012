#include "presentation/ResultTable.h"

#include "CommaFormatSettings.h"
#include "platform/Exceptions.h"
#include "presentation/FormatText.h"
#include "presentation/ResultTableRows.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <map>
#include <stdexcept>
#include <vector>

namespace {

using Row = std::vector<std::string>;

// The texts of a table as grid rows: row i + 1 for i failures.
class ResultTableTest : public CommaFormatSettings
{
protected:
    void write(std::int32_t engines, std::int32_t runs, const std::vector<std::int32_t>& histogram)
    {
        const ResultTableRows table(engines, runs, histogram, formatSettings);
        for (std::int32_t i = 0; i <= table.engines(); ++i) {
            Row& cells = rows[i + 1];
            for (int column = 0; column < ResultTable::columnCount; ++column)
                cells.push_back(table.text(column, i));
        }
    }

    std::map<int, Row> rows;
};

// The running sum as defined, added row after row in extended precision and stored as a double.
std::vector<double> sumsByDefinition(std::int32_t runs, const std::vector<std::int32_t>& histogram)
{
    std::vector<double> sums{0.0};
    for (std::size_t i = 1; i < histogram.size(); ++i)
        sums.push_back(static_cast<double>(static_cast<long double>(histogram[i]) / runs +
                                           static_cast<long double>(sums.back())));
    return sums;
}

} // namespace

TEST_F(ResultTableTest, writesCountProbabilityPercentageAndTheirSumsFromCountOneOn)
{
    write(1, 4, {3, 1});
    EXPECT_EQ(rows[1],
              (Row{"0 Triebwerke", "0,750000", "75,000 Prozent", "0,000000", "0,000 Prozent"}));
    EXPECT_EQ(rows[2],
              (Row{"1 Triebwerke", "0,250000", "25,000 Prozent", "0,250000", "25,000 Prozent"}));
}

TEST_F(ResultTableTest, showsTheDeterminedCases)
{
    write(0, 7, {7});
    EXPECT_EQ(rows[1],
              (Row{"0 Triebwerke", "1,000000", "100,000 Prozent", "0,000000", "0,000 Prozent"}));

    rows.clear();
    write(3, 5, {0, 0, 0, 5});
    EXPECT_EQ(rows[1],
              (Row{"0 Triebwerke", "0,000000", "0,000 Prozent", "0,000000", "0,000 Prozent"}));
    EXPECT_EQ(rows[4],
              (Row{"3 Triebwerke", "1,000000", "100,000 Prozent", "1,000000", "100,000 Prozent"}));
}

TEST_F(ResultTableTest, formatsUnroundedQuotients)
{
    struct Case
    {
        std::int32_t runs;
        std::int32_t count;
        const char* probability;
        const char* percent;
    };
    const Case cases[] = {{1000000, 45, "0,000045", "0,005 Prozent"},
                          {128, 1, "0,007813", "0,781 Prozent"},
                          {40000000, 30000000, "0,750000", "75,000 Prozent"}};
    for (const Case& c : cases) {
        rows.clear();
        write(1, c.runs, {c.runs - c.count, c.count});
        EXPECT_EQ(rows[2][1], c.probability);
        EXPECT_EQ(rows[2][2], c.percent);
    }
}

TEST_F(ResultTableTest, theLastRowSumsToTheShareOfRunsWithAFailure)
{
    write(3, 3, {0, 1, 1, 1});
    EXPECT_EQ(rows[4][3], "1,000000");
    EXPECT_EQ(rows[4][4], "100,000 Prozent");
    EXPECT_EQ(rows[3][3], "0,666667");
}

TEST_F(ResultTableTest, negativeRunCountsShowUnsignedZeros)
{
    write(1, -3, {0, 0});
    EXPECT_EQ(rows[2],
              (Row{"1 Triebwerke", "0,000000", "0,000 Prozent", "0,000000", "0,000 Prozent"}));
}

TEST_F(ResultTableTest, zeroRunsFailInEveryShareButNotInTheCounts)
{
    const ResultTableRows table(2, 0, {0, 0, 0}, formatSettings);
    EXPECT_EQ(table.text(0, 0), "0 Triebwerke");
    EXPECT_EQ(table.text(0, 2), "2 Triebwerke");
    for (const auto& [column, failures] : {std::pair{1, 0}, {2, 0}, {1, 2}, {3, 1}, {4, 2}})
        EXPECT_THROW(table.text(column, failures), EInvalidOp) << column << "," << failures;
}

TEST_F(ResultTableTest, aNegativeEngineCountHasNoRows)
{
    const ResultTableRows table(-1, 5, {}, formatSettings);
    EXPECT_EQ(table.engines(), -1);
    EXPECT_THROW(table.text(0, 0), std::out_of_range);
    EXPECT_THROW(ResultTableRows(3, 5, {1, 2, 2}, formatSettings), std::out_of_range);
}

TEST_F(ResultTableTest, keepsTheSeparatorItWasMadeWith)
{
    const ResultTableRows table(1, 4, {3, 1}, FormatSettings{u'.', u',', {}});
    EXPECT_EQ(table.text(1, 0), "0.750000");
    EXPECT_EQ(table.text(4, 1), "25.000 Prozent");
}

// Long enough for many stored sums, with counts that make every sum's rounding matter.
class LongResultTableTest : public ResultTableTest
{
protected:
    static constexpr std::int32_t engines = 200;
    static constexpr std::int32_t runs = 999'983;

    void SetUp() override
    {
        ResultTableTest::SetUp();
        std::uint32_t state = 12345;
        for (std::int32_t i = 0; i <= engines; ++i) {
            state = state * 1103515245u + 12345u;
            histogram.push_back(static_cast<std::int32_t>(state >> 20));
        }
    }

    std::vector<std::int32_t> histogram;
};

TEST_F(LongResultTableTest, sumsAreThoseAddedRowAfterRow)
{
    const ResultTableRows table(engines, runs, histogram, formatSettings);
    const std::vector<double> sums = sumsByDefinition(runs, histogram);
    for (std::int32_t i = 0; i <= engines; ++i) {
        const double sum = sums[static_cast<std::size_t>(i)];
        EXPECT_EQ(table.text(3, i), formatText("%.6f", {sum})) << i;
        EXPECT_EQ(table.text(4, i), formatText("%.3f Prozent", {100.0L * sum})) << i;
    }
}

// Runs of rows sharing a text, over ranges that start and end within runs and between them.
TEST_F(LongResultTableTest, runsOfRowsGiveEveryRowsText)
{
    // Long runs of 0 and of repeated counts among the varied ones.
    for (std::size_t i = 20; i < 90; ++i)
        histogram[i] = 0;
    for (std::size_t i = 120; i < 140; ++i)
        histogram[i] = 7;
    histogram[engines] = 0;
    const ResultTableRows table(engines, runs, histogram, formatSettings);
    const std::pair<std::int32_t, std::int32_t> ranges[] = {
        {0, engines}, {31, 33}, {64, 64}, {25, 95}, {119, 141}, {190, engines + 10}};
    for (const auto& [first, last] : ranges) {
        for (int column = 0; column < ResultTable::columnCount; ++column) {
            std::int32_t expected = first;
            table.forEachTextRun(
                column, first, last,
                [&](std::int32_t top, std::int32_t bottom, const std::string& text) {
                    EXPECT_EQ(top, expected);
                    for (std::int32_t i = top; i <= bottom; ++i)
                        EXPECT_EQ(text, table.text(column, i)) << i;
                    expected = bottom + 1;
                });
            EXPECT_EQ(expected, std::min(last, engines) + 1) << first << "-" << last;
        }
    }
}

TEST_F(ResultTableTest, countsOfZeroMakeLongRuns)
{
    std::vector<std::int32_t> histogram(1'000'001, 0);
    histogram[400'000] = 3;
    histogram[400'001] = 3;
    histogram[999'999] = 1;
    const ResultTableRows table(1'000'000, 7, histogram, formatSettings);
    std::vector<std::string> runs;
    table.forEachTextRun(
        1, 0, 1'000'000, [&](std::int32_t top, std::int32_t bottom, const std::string& text) {
            runs.push_back(std::to_string(top) + "-" + std::to_string(bottom) + " " + text);
        });
    EXPECT_EQ(runs, (std::vector<std::string>{"0-399999 0,000000", "400000-400001 0,428571",
                                              "400002-999998 0,000000", "999999-999999 0,142857",
                                              "1000000-1000000 0,000000"}));
    runs.clear();
    table.forEachTextRun(
        4, 0, 1'000'000, [&](std::int32_t top, std::int32_t bottom, const std::string& text) {
            runs.push_back(std::to_string(top) + "-" + std::to_string(bottom) + " " + text);
        });
    EXPECT_EQ(runs, (std::vector<std::string>{
                        "0-399999 0,000 Prozent", "400000-400000 42,857 Prozent",
                        "400001-999998 85,714 Prozent", "999999-1000000 100,000 Prozent"}));
}

TEST_F(ResultTableTest, extremeRowsHoldTheSmallestAndLargestValue)
{
    struct Case
    {
        int column;
        std::int32_t first;
        std::int32_t last;
        std::vector<std::int32_t> histogram;
        std::array<std::int32_t, 2> smallestAndLargest;
    };
    const Case cases[] = {
        {0, 2, 4, {5, 0, 9, 1, 9}, {2, 4}},
        {1, 0, 4, {5, 0, 9, 1, 9}, {1, 2}},
        {2, 1, 3, {5, 0, 9, 1, 9}, {1, 2}},
        {2, 3, 4, {5, 0, 9, 1, 9}, {3, 4}},
        // Sums grow down a table of counts.
        {3, 1, 4, {5, 0, 9, 1, 9}, {1, 4}},
        {4, 0, 4, {5, 0, 9, 1, 9}, {0, 4}},
        // A negative count, which no simulation gives, makes them fall: 0, 1.25, 0.5, 1.
        {3, 1, 3, {0, 5, -3, 2}, {2, 1}},
        {4, 0, 3, {0, 5, -3, 2}, {0, 1}},
    };
    for (const Case& c : cases) {
        std::int32_t runs = 0;
        for (std::int32_t count : c.histogram)
            runs += count;
        const ResultTableRows table(static_cast<std::int32_t>(c.histogram.size()) - 1, runs,
                                    c.histogram, formatSettings);
        const auto rows = table.extremeRows(c.column, c.first, c.last);
        // Where values tie, either row of them will do: their texts are the same.
        EXPECT_EQ(table.text(c.column, rows[0]), table.text(c.column, c.smallestAndLargest[0]))
            << c.column << " " << c.first << "-" << c.last;
        EXPECT_EQ(table.text(c.column, rows[1]), table.text(c.column, c.smallestAndLargest[1]))
            << c.column << " " << c.first << "-" << c.last;
    }
}
