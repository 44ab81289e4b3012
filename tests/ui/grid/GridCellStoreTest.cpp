#include "ui/grid/GridCellStore.h"

#include "platform/Exceptions.h"
#include "support/CaseNames.h"
#include "support/HeapInUse.h"

#include <array>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(GridCellStore, ReadsWhatWasWrittenAndEmptyElsewhere)
{
    GridCellStore store;
    store.setText(0, 0, "Ausgefallene Triebwerke");
    store.setText(4, 1, "0,000045");
    store.setText(1, 2'000'000'000, "fern");
    EXPECT_EQ(store.text(0, 0), "Ausgefallene Triebwerke");
    EXPECT_EQ(store.text(4, 1), "0,000045");
    EXPECT_EQ(store.text(1, 2'000'000'000), "fern");
    EXPECT_EQ(store.text(1, 4), "");
    EXPECT_EQ(store.text(-1, 0), "");
    EXPECT_EQ(store.size(), 3u);
}

TEST(GridCellStore, EmptyTextRemovesTheCell)
{
    GridCellStore store;
    store.setText(2, 3, "x");
    store.setText(2, 3, "");
    store.setText(5, 5, "");
    EXPECT_EQ(store.size(), 0u);
    EXPECT_EQ(store.text(2, 3), "");
}

TEST(GridCellStore, OverwritesAcrossTheInlineLimit)
{
    const std::string lengths[] = {"",
                                   "a",
                                   std::string(15, 'b'),
                                   std::string(16, 'c'),
                                   std::string(300, 'd'),
                                   "ä€",
                                   std::string(15, 'e')};
    GridCellStore store;
    for (const std::string& text : lengths) {
        store.setText(1, 1, text);
        EXPECT_EQ(store.text(1, 1), text);
    }
}

TEST(GridCellStore, RewritingACellWithItsOwnTextKeepsIt)
{
    GridCellStore store;
    store.setText(0, 0, "ein langer Text über sechzehn Bytes");
    store.setText(0, 0, store.storedText(0, 0));
    EXPECT_EQ(store.text(0, 0), "ein langer Text über sechzehn Bytes");
    store.setText(0, 1, "kurz");
    store.setText(0, 1, store.storedText(0, 1).substr(1));
    EXPECT_EQ(store.text(0, 1), "urz");
}

TEST(GridCellStore, CopiesACellIntoAnotherWhileTheStoreGrows)
{
    GridCellStore store;
    for (int row = 0; row < 200; ++row) {
        // One extra cell on every other row, so that the growth falls on copies of either parity.
        if (row % 2 == 0)
            store.setText(7, row, "x");
        const std::string text = "r" + std::to_string(row);
        store.setText(0, row, text);
        // The source is a view into the store itself, short enough to live inside its slot, and
        // the write adds a cell, so the store may have to grow first.
        store.setText(1, row, store.storedText(0, row));
        ASSERT_EQ(store.text(1, row), text);
    }
}

TEST(GridCellStore, NegativeIndexIsAListErrorNamingIt)
{
    const std::pair<std::pair<int, int>, const char*> cases[] = {
        {{-1, 0}, "Listenindex außerhalb des gültigen Bereichs (-1)"},
        {{0, -7}, "Listenindex außerhalb des gültigen Bereichs (-7)"},
        {{3, -2147483647 - 1}, "Listenindex außerhalb des gültigen Bereichs (-2147483648)"},
    };
    for (const auto& [cell, message] : cases) {
        GridCellStore store;
        try {
            store.setText(cell.first, cell.second, "x");
            ADD_FAILURE() << "no error for " << cell.first << "," << cell.second;
        } catch (const EListError& error) {
            EXPECT_EQ(error.message(), message);
        }
        EXPECT_EQ(store.size(), 0u);
    }
}

// Random writes and removals against a map: probe chains must survive every removal.
TEST(GridCellStore, AgreesWithAMapUnderRandomWritesAndRemovals)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> row(0, 300);
    std::uniform_int_distribution<int> col(0, 6);
    std::uniform_int_distribution<int> kind(0, 9);
    GridCellStore store;
    std::map<std::pair<int, int>, std::string> reference;
    for (int step = 0; step < 60'000; ++step) {
        const int r = row(random);
        const int c = col(random);
        std::string text;
        const int k = kind(random);
        if (k >= 4)
            text = std::to_string(step) + (k >= 8 ? " Triebwerke und noch mehr" : "");
        store.setText(c, r, text);
        if (text.empty())
            reference.erase({c, r});
        else
            reference[{c, r}] = text;
    }
    ASSERT_EQ(store.size(), reference.size());
    for (int r = 0; r <= 300; ++r) {
        for (int c = 0; c <= 6; ++c) {
            const auto found = reference.find({c, r});
            EXPECT_EQ(store.text(c, r), found == reference.end() ? "" : found->second);
        }
    }
    std::size_t visited = 0;
    store.forEach([&](int c, int r, std::string_view text) {
        ++visited;
        EXPECT_EQ(text, reference.at({c, r}));
    });
    EXPECT_EQ(visited, reference.size());
}

// The rules of the store, whatever part of it a cell lands in: the block that tables fill from
// the top, or the map for everything else.
struct Cell
{
    int col;
    int row;
    std::string text;
};

struct StoreCase
{
    const char* name;
    std::function<void(GridCellStore&)> write;
    // What must be read afterwards; an empty text checks that the cell is empty.
    std::vector<Cell> reads;
    std::size_t size;
};

void PrintTo(const StoreCase& c, std::ostream* out)
{
    *out << c.name;
}

const std::string longText = "ein Text, der zu lang für einen Platz im Block ist";
const std::string otherLongText = "noch ein langer Text, diesmal von außerhalb des Blocks";

std::string rowText(int col, int row)
{
    // Column 0 holds texts too long for a slot, as the program's "1000000 Triebwerke" is.
    return col == 0 ? "Zeile " + std::to_string(row) + " mit langem Text"
                    : std::to_string(col) + "," + std::to_string(row);
}

void writeTable(GridCellStore& store, int rows, int cols)
{
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col)
            store.setText(col, row, rowText(col, row));
    }
}

class GridCellStoreRules : public testing::TestWithParam<StoreCase>
{};

TEST_P(GridCellStoreRules, ReadsWhatTheWritesLeft)
{
    GridCellStore store;
    GetParam().write(store);
    for (const Cell& cell : GetParam().reads)
        EXPECT_EQ(store.text(cell.col, cell.row), cell.text) << cell.col << "," << cell.row;
    EXPECT_EQ(store.size(), GetParam().size);
    std::size_t visited = 0;
    store.forEach([&](int col, int row, std::string_view text) {
        ++visited;
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(store.text(col, row), text) << col << "," << row;
    });
    EXPECT_EQ(visited, store.size());
}

constexpr int maxInt = 2'147'483'647;

INSTANTIATE_TEST_SUITE_P(
    Cases, GridCellStoreRules,
    testing::Values(
        StoreCase{"ATableWrittenRowByRowAcrossManyBlockChunks",
                  [](GridCellStore& s) { writeTable(s, 1001, 5); },
                  {{0, 0, rowText(0, 0)},
                   {4, 0, rowText(4, 0)},
                   {2, 255, rowText(2, 255)},
                   {3, 256, rowText(3, 256)},
                   {0, 257, rowText(0, 257)},
                   {4, 1000, rowText(4, 1000)},
                   {5, 500, ""},
                   {0, 1001, ""}},
                  5 * 1001},
        StoreCase{"FarCellsOfTheLargestGrid",
                  [](GridCellStore& s) {
                      writeTable(s, 3, 5);
                      s.setText(1, 2'000'000'000, "fern");
                      s.setText(4, maxInt - 1, "letzte Zeile");
                      s.setText(maxInt - 1, maxInt - 1, "Ecke");
                      s.setText(maxInt, maxInt, longText);
                      s.setText(maxInt, 0, "ganz rechts");
                  },
                  {{1, 2'000'000'000, "fern"},
                   {4, maxInt - 1, "letzte Zeile"},
                   {maxInt - 1, maxInt - 1, "Ecke"},
                   {maxInt, maxInt, longText},
                   {maxInt, 0, "ganz rechts"},
                   {1, 2, rowText(1, 2)},
                   {1, 3, ""},
                   {0, maxInt, ""}},
                  15 + 5},
        StoreCase{"CellsBelowTheBlockJoinItWhenItGrowsOverThem",
                  [](GridCellStore& s) {
                      writeTable(s, 2, 2);
                      s.setText(1, 3, "unten");
                      s.setText(5, 2, "rechts");
                      s.setText(0, 2, "c0");
                      s.setText(1, 2, "c1");
                      s.setText(0, 3, "d0");
                      s.setText(1, 3, "neu unten");
                  },
                  {{1, 3, "neu unten"},
                   {5, 2, "rechts"},
                   {0, 3, "d0"},
                   {1, 1, rowText(1, 1)},
                   {2, 3, ""}},
                  9},
        StoreCase{"CellsRightOfTheBlockJoinItWhenItWidens",
                  [](GridCellStore& s) {
                      writeTable(s, 3, 1);
                      s.setText(3, 1, "x");
                      s.setText(1, 0, "b");
                      s.setText(2, 0, "c");
                      s.setText(3, 0, "d");
                      s.setText(3, 2, longText);
                  },
                  {{3, 1, "x"}, {3, 0, "d"}, {3, 2, longText}, {1, 1, ""}, {0, 2, rowText(0, 2)}},
                  8},
        StoreCase{"ACellWrittenManyTimesKeepsOnlyItsLastText",
                  [](GridCellStore& s) {
                      writeTable(s, 2, 2);
                      for (const std::string& text :
                           {std::string("kurz"), longText, otherLongText, std::string(16, 'x'),
                            std::string(), longText + longText, std::string("ende")}) {
                          s.setText(0, 0, text);
                          s.setText(1, 1, text);
                          s.setText(7, 9000, text);
                      }
                      s.setText(0, 1, otherLongText);
                  },
                  {{0, 0, "ende"}, {1, 1, "ende"}, {7, 9000, "ende"}, {0, 1, otherLongText}},
                  5},
        StoreCase{"EmptyTextsRemoveCellsInsideAndOutsideTheBlock",
                  [](GridCellStore& s) {
                      writeTable(s, 3, 3);
                      s.setText(9, 9, "weit");
                      for (int row = 0; row < 3; ++row) {
                          for (int col = 0; col < 3; ++col)
                              s.setText(col, row, "");
                      }
                      s.setText(9, 9, "");
                      s.setText(3, 3, "");
                  },
                  {{0, 0, ""}, {1, 1, ""}, {9, 9, ""}},
                  0},
        StoreCase{"CopiesOfStoredTextsWhileTheBlockGrows",
                  [](GridCellStore& s) {
                      writeTable(s, 2, 2);
                      s.setText(1, 1, "kurz");
                      s.setText(1, 3, otherLongText);
                      s.setText(0, 2, "c");
                      // The row added moves (1,3), whose text is the value, into the block.
                      s.setText(0, 3, s.text(1, 3));
                      // A new column moves the block's first chunk, where "kurz" lives.
                      s.setText(2, 0, s.text(1, 1));
                      // A new column with a text of the arena.
                      s.setText(3, 0, s.text(0, 0));
                      s.setText(2, 1, s.text(2, 0).substr(1));
                  },
                  {{0, 3, otherLongText},
                   {1, 3, otherLongText},
                   {2, 0, "kurz"},
                   {3, 0, rowText(0, 0)},
                   {2, 1, "urz"}},
                  10}),
    CaseByName());

TEST(GridCellStore, RewritingLongTextsGivesTheirSpaceBack)
{
    GridCellStore store;
    writeTable(store, 2, 5);
    std::string last;
    for (int round = 0; round < 20'000; ++round) {
        // Ever longer texts cannot take the place of the one before.
        last = "Runde " + std::to_string(round) +
               std::string(static_cast<std::size_t>(round % 40), '.');
        last.resize(std::max<std::size_t>(last.size(), 16), '-');
        for (int col = 0; col < 5; ++col)
            store.setText(col, 1, last);
    }
    for (int col = 0; col < 5; ++col)
        EXPECT_EQ(store.text(col, 1), last);
    EXPECT_EQ(store.text(0, 0), rowText(0, 0));
    EXPECT_LT(store.longTextBytes(), 64u * 1024u);
}

// The heap's own count of allocated bytes; AddressSanitizer's allocator keeps it at zero, so the
// release run is the one that weighs the store.
TEST(GridCellStore, FarRowsCostNoMemoryForTheRowsBetween)
{
    GridCellStore store;
    writeTable(store, 3, 5);
    const std::size_t before = heapBytesInUse();
    for (int i = 0; i < 10; ++i)
        store.setText(i % 5, 2'000'000'000 + i * 10'000'000, "fern");
    store.setText(0, 3'000, "nicht anschließend");
    const std::size_t after = heapBytesInUse();
    EXPECT_LT(after - before, 64u * 1024u);
    EXPECT_EQ(store.size(), 15u + 11u);
}

TEST(GridCellStore, VisitsOnlyTheCellsWithinTheLimits)
{
    GridCellStore store;
    writeTable(store, 4, 3);
    store.setText(1, 2'000'000'000, "fern");
    store.setText(7, 1, "rechts");
    store.setText(2, 6, "unten");
    std::set<std::pair<int, int>> visited;
    store.forEachWithin(3, 2, [&](int col, int row, std::string_view text) {
        EXPECT_EQ(text, store.text(col, row));
        visited.insert({col, row});
    });
    const std::set<std::pair<int, int>> expected{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}};
    EXPECT_EQ(visited, expected);

    visited.clear();
    const auto visit = [&](int col, int row, std::string_view) { visited.insert({col, row}); };
    store.forEachWithin(8, 7, visit);
    EXPECT_EQ(visited.size(), 12u + 2u);
    EXPECT_TRUE(visited.count({7, 1}) && visited.count({2, 6}));
}

// A table filled from the top, as the program writes it, among random writes, removals and copies
// of stored texts: the block, its growth and the map must agree with a plain map.
TEST(GridCellStore, AgreesWithAMapWhileTablesAreWrittenAmongOtherCells)
{
    std::mt19937 random(4711);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> nearRow(0, 700);
    std::uniform_int_distribution<int> col(0, 7);
    GridCellStore store;
    std::map<std::pair<int, int>, std::string> reference;
    const auto write = [&](int c, int r, std::string_view text) {
        const std::string copy(text);
        store.setText(c, r, text);
        if (copy.empty())
            reference.erase({c, r});
        else
            reference[{c, r}] = copy;
    };
    int tableRow = 0;
    for (int step = 0; step < 40'000; ++step) {
        const int kind = percent(random);
        if (kind < 60) {
            const int c = step % 5;
            write(c, tableRow, std::string(static_cast<std::size_t>(length(random)), 'a' + c));
            if (c == 4)
                tableRow = tableRow > 600 ? 0 : tableRow + 1;
        } else if (kind < 80) {
            write(col(random), nearRow(random), std::to_string(step) + std::string(15, '#'));
        } else if (kind < 90) {
            write(col(random), nearRow(random), "");
        } else if (kind < 98) {
            const int fromCol = col(random);
            const int fromRow = nearRow(random);
            write(col(random), kind < 94 ? tableRow : nearRow(random),
                  store.storedText(fromCol, fromRow));
        } else {
            write(col(random), 1'000'000'000 + nearRow(random), "fern");
        }
    }
    ASSERT_EQ(store.size(), reference.size());
    for (const auto& [cell, text] : reference)
        EXPECT_EQ(store.text(cell.first, cell.second), text);
    std::size_t visited = 0;
    store.forEach([&](int c, int r, std::string_view text) {
        ++visited;
        const auto found = reference.find({c, r});
        ASSERT_NE(found, reference.end()) << c << "," << r;
        EXPECT_EQ(text, found->second);
    });
    EXPECT_EQ(visited, reference.size());
}

// Texts "<id>:<col>,<row>" over an area, and the sizes of the areas a test lays.
class PatternSource final : public GridCellSource
{
public:
    PatternSource(int id, GridCellArea area)
        : m_id(id)
        , m_area(area)
    {}

    GridCellArea area() const override { return m_area; }
    std::string text(int col, int row) const override
    {
        return std::to_string(m_id) + ":" + std::to_string(col) + "," + std::to_string(row);
    }
    std::array<int, 2> widestRows(int, int first, int last) const override { return {first, last}; }

private:
    int m_id;
    GridCellArea m_area;
};

// What the store shows, cell by cell, against a map into which every source's texts were
// written when it was laid: sources over sources, written cells and blanks over sources, areas
// large enough that covered sources stay and small enough to be let go with their texts written.
TEST(GridCellStore, SourcesShowWhatWritingTheirTextsWouldHave)
{
    std::mt19937 random(815);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> anyCol(0, 6);
    std::uniform_int_distribution<int> anyRow(0, 2500);
    std::uniform_int_distribution<int> areaCols(1, 6);
    std::uniform_int_distribution<int> areaRows(0, 1400);
    GridCellStore store;
    std::map<std::pair<int, int>, std::string> reference;
    const auto write = [&](int c, int r, const std::string& text) {
        store.setText(c, r, text);
        if (text.empty())
            reference.erase({c, r});
        else
            reference[{c, r}] = text;
    };
    const auto agree = [&](int step) {
        for (int r = 0; r <= 2500 + 1400; ++r) {
            for (int c = 0; c <= 7; ++c) {
                const auto found = reference.find({c, r});
                ASSERT_EQ(store.text(c, r), found == reference.end() ? "" : found->second)
                    << "cell " << c << "," << r << " after step " << step;
            }
        }
        // Written cells and the sources' runs, less the cells over them, are the shown cells.
        std::set<std::pair<int, int>> shown;
        store.forEach([&](int c, int r, std::string_view) { shown.insert({c, r}); });
        for (int c = 0; c <= 7; ++c) {
            store.forEachSourceRun(c, 1 << 30,
                                   [&](const GridCellSource& source, int top, int bottom) {
                                       for (int r = top; r <= bottom; ++r) {
                                           ASSERT_TRUE(source.area().contains(c, r));
                                           if (!store.isWrittenOrBlank(c, r)) {
                                               ASSERT_TRUE(shown.insert({c, r}).second)
                                                   << "shown twice " << c << "," << r;
                                           }
                                       }
                                   });
        }
        std::set<std::pair<int, int>> expected;
        for (const auto& entry : reference)
            expected.insert(entry.first);
        ASSERT_EQ(shown, expected) << "after step " << step;
    };
    for (int step = 0; step < 600; ++step) {
        const int kind = percent(random);
        if (kind < 8) {
            const int first = anyRow(random);
            const GridCellArea area{areaCols(random), first, first + areaRows(random)};
            auto source = std::make_shared<PatternSource>(step, area);
            for (int r = area.firstRow; r <= area.lastRow; ++r) {
                for (int c = 0; c < area.columnCount; ++c)
                    reference[{c, r}] = source->text(c, r);
            }
            store.addSource(std::move(source));
        } else if (kind < 55) {
            write(anyCol(random), anyRow(random), "w" + std::to_string(step));
        } else {
            write(anyCol(random), anyRow(random), "");
        }
        if (step % 50 == 49)
            agree(step);
    }
    agree(600);
}

TEST(GridCellStore, SourcesHiddenOrNearlyHiddenAreLetGo)
{
    GridCellStore store;
    auto hidden = std::make_shared<PatternSource>(1, GridCellArea{5, 1, 10'000});
    auto nearlyHidden = std::make_shared<PatternSource>(2, GridCellArea{5, 1, 20'000});
    auto kept = std::make_shared<PatternSource>(3, GridCellArea{5, 1, 30'000});
    const std::weak_ptr<const GridCellSource> hiddenWatch = hidden;
    const std::weak_ptr<const GridCellSource> nearlyHiddenWatch = nearlyHidden;
    const std::weak_ptr<const GridCellSource> keptWatch = kept;
    store.addSource(std::move(kept));
    store.addSource(std::move(hidden));
    store.addSource(std::make_shared<PatternSource>(4, GridCellArea{5, 1, 10'000}));
    EXPECT_TRUE(hiddenWatch.expired());

    store.addSource(std::move(nearlyHidden));
    // 20,000 rows over 19,999 leave five cells of source 2 in view: written, and the source let go.
    store.addSource(std::make_shared<PatternSource>(5, GridCellArea{5, 1, 19'999}));
    EXPECT_TRUE(nearlyHiddenWatch.expired());
    EXPECT_EQ(store.size(), 5u);
    EXPECT_EQ(store.text(4, 20'000), "2:4,20000");
    EXPECT_EQ(store.text(4, 20'001), "3:4,20001");
    EXPECT_EQ(store.text(0, 19'999), "5:0,19999");
    // Source 3 still shows 10,000 rows: it stays.
    EXPECT_FALSE(keptWatch.expired());
}

TEST(GridCellStore, ABlankOverASourceReadsEmptyUntilWrittenOrCovered)
{
    GridCellStore store;
    store.setText(2, 3, "vorher");
    store.addSource(std::make_shared<PatternSource>(1, GridCellArea{5, 1, 9}));
    EXPECT_EQ(store.text(2, 3), "1:2,3");
    EXPECT_EQ(store.size(), 0u);
    store.setText(2, 3, "");
    EXPECT_EQ(store.text(2, 3), "");
    EXPECT_TRUE(store.hasWrittenOrBlankCell(2, 0, 9));
    EXPECT_FALSE(store.hasWrittenOrBlankCell(1, 0, 9));
    store.setText(2, 3, "neu");
    EXPECT_EQ(store.text(2, 3), "neu");
    store.setText(2, 3, "");
    store.addSource(std::make_shared<PatternSource>(2, GridCellArea{3, 3, 3}));
    EXPECT_EQ(store.text(2, 3), "2:2,3");
    EXPECT_FALSE(store.hasWrittenOrBlankCell(2, 3, 3));
    // Source 1, hidden but for a few cells, left them written.
    EXPECT_EQ(store.text(2, 4), "1:2,4");
    EXPECT_TRUE(store.hasWrittenOrBlankCell(2, 4, 4));
    // Beyond a source, writing the empty text leaves nothing behind.
    store.setText(7, 3, "");
    EXPECT_FALSE(store.hasWrittenOrBlankCell(7, 0, 9));
}

} // namespace
