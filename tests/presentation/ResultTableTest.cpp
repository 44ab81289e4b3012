#include "presentation/ResultTable.h"

#include "CommaFormatSettings.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

using Row = std::vector<std::string>;

// Collects the written cells as rows, and the order in which they arrived.
class ResultTableTest : public CommaFormatSettings
{
protected:
    void write(std::int32_t engines, std::int32_t runs, const std::vector<std::int32_t>& histogram)
    {
        ResultTable::writeRows(engines, runs, histogram,
                               [this](int column, int row, const std::string& text) {
                                   order.emplace_back(column, row);
                                   Row& cells = rows[row];
                                   cells.resize(ResultTable::columnCount);
                                   cells[static_cast<std::size_t>(column)] = text;
                               });
    }

    std::map<int, Row> rows;
    std::vector<std::pair<int, int>> order;
};

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

TEST_F(ResultTableTest, zeroRunsFailRightAfterTheFirstCountText)
{
    EXPECT_THROW(write(2, 0, {0, 0, 0}), EInvalidOp);
    EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{0, 1}}));
    EXPECT_EQ(rows[1][0], "0 Triebwerke");
}

TEST_F(ResultTableTest, writesCellsRowByRowInColumnOrder)
{
    write(1, 2, {1, 1});
    EXPECT_EQ(order,
              (std::vector<std::pair<int, int>>{
                  {0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}));
}

TEST_F(ResultTableTest, aNegativeEngineCountWritesNothing)
{
    write(-1, 5, {});
    EXPECT_TRUE(order.empty());
}
