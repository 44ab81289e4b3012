#include "ui/grid/GridCellStore.h"

#include "platform/Exceptions.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <utility>

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
    store.setText(0, 0, store.text(0, 0));
    EXPECT_EQ(store.text(0, 0), "ein langer Text über sechzehn Bytes");
    store.setText(0, 1, "kurz");
    store.setText(0, 1, store.text(0, 1).substr(1));
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
        store.setText(1, row, store.text(0, row));
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

} // namespace
