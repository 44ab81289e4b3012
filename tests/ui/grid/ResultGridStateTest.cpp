#include "ui/grid/ResultGridState.h"

#include "platform/Exceptions.h"
#include "platform/LayoutScale.h"
#include "support/CaseNames.h"
#include "support/HeapInUse.h"
#include "ui/window/ResultTableShape.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

void PrintTo(const GridCoord& cell, std::ostream* out)
{
    *out << "(" << cell.col << "," << cell.row << ")";
}

void PrintTo(const GridRect& rect, std::ostream* out)
{
    *out << "(" << rect.left << "," << rect.top << ")-(" << rect.right << "," << rect.bottom << ")";
}

void PrintTo(const PixelRect& rect, std::ostream* out)
{
    *out << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height;
}

namespace {

// Width rule of the fake font: 6 pixels per byte in Font, 7 in FixedFont, one more per byte and
// zoom point; a tab counts like eight bytes and lines are measured separately. Its digits are
// alike unless it is told otherwise; it counts what it measures.
class FakeMeasurer final : public TextMeasurer
{
public:
    explicit FakeMeasurer(bool digitsAlike = true)
        : m_digitsAlike(digitsAlike)
    {}

    bool widthFollowsDigitCount(std::string_view text, GridFont, int) override
    {
        return m_digitsAlike && text.find_first_of("\t\n") == std::string_view::npos;
    }

    int textWidth(std::string_view text, GridFont font, int zoomFactor) override
    {
        const int perByte = (font == GridFont::Fixed ? 7 : 6) + zoomFactor;
        int widest = 0;
        int line = 0;
        for (char c : text) {
            if (c == '\n') {
                line = 0;
                continue;
            }
            line += c == '\t' ? 8 : 1;
            widest = std::max(widest, line);
        }
        ++measured;
        return widest * perByte;
    }

    int measured = 0;

private:
    bool m_digitsAlike;
};

template <typename F> std::string gridErrorOf(F&& operation)
{
    try {
        operation();
    } catch (const EInvalidGridOperation& error) {
        return error.message();
    }
    return "(no EInvalidGridOperation)";
}

const std::string fixedRowsTooBig(ErrorMessages::fixedRowCountTooBig);
const std::string indexOutOfRange(ErrorMessages::gridIndexOutOfRange);
const std::string tooLarge(ErrorMessages::gridTooLarge);

// What one press of "Simulieren" does to the grid.
void simulate(ResultGridState& grid, int engines)
{
    FakeMeasurer measurer;
    ResultTableShape::applyShape(grid, engines);
    for (int i = 0; i <= engines; ++i) {
        grid.setCellText(0, i + 1, std::to_string(i) + " Triebwerke");
        grid.setCellText(1, i + 1, "0,100000");
        grid.setCellText(2, i + 1, "10,000 Prozent");
        grid.setCellText(3, i + 1, "0,100000");
        grid.setCellText(4, i + 1, "10,000 Prozent");
    }
    grid.autoSizeColumns(true, ResultTableShape::textPadding, measurer);
}

// 11 rows of 24 pixels (header included), 5 columns of 50 in a client area of 200 x 100: three
// normal rows fit fully below the header, the fourth is cut; four columns fit fully.
ResultGridState smallView()
{
    ResultGridState grid;
    grid.setRowCount(11);
    grid.setColumnCount(5);
    grid.setDefaultColumnWidth(50);
    grid.setClientSize(200, 100);
    return grid;
}

TEST(ResultGridState, StartsAsTheWindowLayoutCreatesIt)
{
    const ResultGridState grid;
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.columnCount(), 2);
    EXPECT_EQ(grid.fixedRowCount(), 1);
    EXPECT_EQ(grid.fixedColumnCount(), 0);
    EXPECT_EQ(grid.defaultColumnWidth(), 64);
    EXPECT_EQ(grid.defaultRowHeight(), 24);
    EXPECT_EQ(grid.fixedRowHeight(), 24);
    EXPECT_FALSE(grid.hasColumnWidthList());
    EXPECT_FALSE(grid.hasRowHeightList());
    EXPECT_EQ(grid.current(), (GridCoord{0, 1}));
    EXPECT_EQ(grid.anchor(), (GridCoord{0, 1}));
    EXPECT_EQ(grid.leftColumn(), 0);
    EXPECT_EQ(grid.topRow(), 1);
    EXPECT_EQ(grid.zoomFactor(), 0);
    EXPECT_EQ(grid.cellStore().size(), 0u);
}

// max(10, m + 8), then the padding on top.
TEST(ResultGridState, AutoColumnWidthIsTheTextWithMarginsLinesAndSlackAtLeastTen)
{
    struct Case
    {
        int textWidth, padding, expected;
    };
    const Case cases[] = {{0, 4, 14}, {1, 0, 10},    {2, 0, 10},  {3, 0, 11},
                          {1, 4, 14}, {100, 4, 112}, {0, -8, 10}, {50, -8, 50}};
    for (const Case& c : cases)
        EXPECT_EQ(ResultGridState::autoColumnWidth(c.textWidth, c.padding), c.expected)
            << c.textWidth << " + " << c.padding;
}

TEST(scaledRound, RoundsHalvesAwayFromZero)
{
    struct Case
    {
        int a, b, c, expected;
    };
    const Case cases[] = {
        {64, 144, 96, 96}, {24, 144, 96, 36}, {-11, 144, 96, -17}, {11, 144, 96, 17},
        {53, 144, 96, 80}, {1, 3, 2, 2},      {-1, 3, 2, -2},      {1, 1, 3, 0},
        {2, 1, 3, 1},      {11, 72, 96, 8},   {5, 5, 0, -1},       {2'000'000'000, 2, 1, -1},
        {7, -3, 2, -11},   {-7, -3, 2, 11},
    };
    for (const Case& c : cases)
        EXPECT_EQ(scaledRound(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(ResultGridState, FixedRowsRule)
{
    {
        ResultGridState grid = smallView();
        grid.keyPress(GridKey::Down, true, false);
        grid.setFixedRowCount(1);
        EXPECT_EQ(grid.selection(), (GridRect{0, 1, 0, 2})) << "the same value changes nothing";
    }
    {
        ResultGridState grid = smallView();
        EXPECT_EQ(gridErrorOf([&] { grid.setFixedRowCount(-1); }), indexOutOfRange);
        EXPECT_EQ(gridErrorOf([&] { grid.setFixedColumnCount(-3); }), indexOutOfRange);
        EXPECT_EQ(gridErrorOf([&] { grid.setFixedRowCount(11); }), fixedRowsTooBig);
        EXPECT_EQ(gridErrorOf([&] { grid.setFixedColumnCount(5); }),
                  std::string(ErrorMessages::fixedColCountTooBig));
        EXPECT_EQ(grid.fixedRowCount(), 1);
        EXPECT_EQ(grid.fixedColumnCount(), 0);
    }
    {
        ResultGridState grid = smallView();
        grid.keyPress(GridKey::End, false, true);
        grid.keyPress(GridKey::Up, true, false);
        grid.setFixedRowCount(3);
        EXPECT_EQ(grid.current(), (GridCoord{0, 3}));
        EXPECT_EQ(grid.anchor(), (GridCoord{0, 3}));
        EXPECT_EQ(grid.topRow(), 3);
        EXPECT_EQ(grid.leftColumn(), 0);
    }
}

TEST(ResultGridState, ResizeRule)
{
    {
        ResultGridState grid;
        grid.setRowCount(0);
        grid.setColumnCount(-5);
        EXPECT_EQ(grid.rowCount(), 1);
        EXPECT_EQ(grid.columnCount(), 1);
        EXPECT_EQ(grid.fixedRowCount(), 0) << "fixed rows give way to the single row";
        EXPECT_EQ(grid.current(), (GridCoord{0, 0}));
    }
    {
        ResultGridState grid = smallView();
        grid.keyPress(GridKey::Down, true, false);
        grid.setRowCount(11);
        EXPECT_EQ(grid.selection(), (GridRect{0, 1, 0, 2})) << "the same count changes nothing";
        grid.setRowCount(12);
        EXPECT_EQ(grid.selection(), (GridRect{0, 2, 0, 2})) << "a new count collapses";
    }
    {
        ResultGridState grid = smallView();
        grid.keyPress(GridKey::End, false, true);
        grid.setColumnCount(3);
        EXPECT_EQ(grid.current(), (GridCoord{2, 10}));
        grid.setRowCount(6);
        EXPECT_EQ(grid.current(), (GridCoord{2, 5}));
        EXPECT_EQ(grid.anchor(), (GridCoord{2, 5}));
        EXPECT_EQ(grid.topRow(), 3) << "just far enough to show row 5 fully";
    }
    {
        ResultGridState grid;
        grid.setRowHeight(2, 40);
        grid.setColumnWidth(1, 30);
        grid.setDefaultColumnWidth(64);
        grid.setColumnWidth(1, 30);
        grid.setRowCount(8);
        grid.setColumnCount(3);
        const int heights[] = {24, 24, 40, 24, 24, 24, 24, 24};
        for (int row = 0; row < 8; ++row)
            EXPECT_EQ(grid.rowHeight(row), heights[row]) << row;
        EXPECT_EQ(grid.columnWidth(1), 30);
        EXPECT_EQ(grid.columnWidth(2), 64);
        grid.setRowCount(2);
        grid.setRowCount(4);
        EXPECT_EQ(grid.rowHeight(2), 24) << "a cut entry comes back at the default";
    }
}

TEST(ResultGridState, TextOutsideTheCountsStaysAndComesBack)
{
    ResultGridState grid;
    grid.setCellText(1, 7, "später");
    EXPECT_FALSE(grid.cellRect(1, 7).has_value());
    grid.setClientSize(400, 400);
    grid.setRowCount(8);
    EXPECT_EQ(grid.cellText(1, 7), "später");
    EXPECT_EQ(grid.cellRect(1, 7), (PixelRect{64, 7 * 24, 64, 24}));
    grid.setRowCount(2);
    EXPECT_EQ(grid.cellText(1, 7), "später");
}

TEST(ResultGridState, RowsCutOffByAShorterTableComeBackWithTheirTexts)
{
    ResultGridState grid;
    simulate(grid, 300);
    simulate(grid, 3);
    ASSERT_EQ(grid.rowCount(), 5);
    grid.setRowCount(302);
    EXPECT_EQ(grid.cellText(0, 301), "300 Triebwerke");
    EXPECT_EQ(grid.cellText(4, 200), "10,000 Prozent");
    EXPECT_EQ(grid.cellText(0, 4), "3 Triebwerke");
    EXPECT_EQ(grid.cellText(0, 302), "");
}

TEST(ResultGridState, CellsWithNegativeIndexFail)
{
    ResultGridState grid;
    EXPECT_THROW(grid.setCellText(-1, 0, "x"), EListError);
    EXPECT_THROW(grid.setCellText(0, -1, "x"), EListError);
}

TEST(ResultGridState, DefaultColWidthAlwaysDropsIndividualWidths)
{
    ResultGridState grid;
    grid.setColumnWidth(1, 99);
    grid.setDefaultColumnWidth(64);
    EXPECT_FALSE(grid.hasColumnWidthList());
    EXPECT_EQ(grid.columnWidth(1), 64);
    grid.setColumnWidth(0, 5);
    grid.setDefaultColumnWidth(120);
    EXPECT_EQ(grid.columnWidth(0), 120);
}

TEST(ResultGridState, IndividualSizeBeyondTheCountFails)
{
    ResultGridState grid;
    EXPECT_EQ(gridErrorOf([&] { grid.setColumnWidth(2, 10); }), indexOutOfRange);
    EXPECT_EQ(gridErrorOf([&] { grid.setRowHeight(-1, 10); }), indexOutOfRange);
    EXPECT_EQ(gridErrorOf([&] { grid.setRowHeight(5, 10); }), indexOutOfRange);
    EXPECT_FALSE(grid.hasColumnWidthList());
    EXPECT_FALSE(grid.hasRowHeightList());
}

TEST(ResultGridState, HugeRowCountWithoutHeightListCostsNoRowMemory)
{
    ResultGridState grid;
    grid.setClientSize(600, 250);
    const std::size_t before = heapBytesInUse();
    grid.setRowCount(2'000'000'000);
    grid.keyPress(GridKey::End, false, true);
    EXPECT_LT(heapBytesInUse() - before, 4096u);
    EXPECT_EQ(grid.currentRow(), 1'999'999'999);
    EXPECT_EQ(grid.topRow(), 2'000'000'000 - 9);
    EXPECT_EQ(grid.rows().visibleSpans().size(), 10u) << "the header and the last nine rows";
    EXPECT_EQ(grid.verticalThumbPosition(), 127);
}

TEST(ResultGridState, RowCountAboveTheListLimitIsRefusedWhileAHeightListExists)
{
    ResultGridState grid;
    grid.setRowCount(GridAxis::maxSizeListCount + 1);
    EXPECT_EQ(gridErrorOf([&] { grid.zoom(1); }), tooLarge);
    EXPECT_EQ(grid.zoomFactor(), 0);
    EXPECT_FALSE(grid.hasColumnWidthList());

    grid.setRowCount(7);
    grid.setColumnCount(3);
    grid.zoom(1);
    EXPECT_EQ(gridErrorOf([&] { grid.setRowCount(GridAxis::maxSizeListCount + 1); }), tooLarge);
    EXPECT_EQ(grid.rowCount(), 7);
    EXPECT_EQ(grid.columnCount(), 3);
}

struct AutoSizeCase
{
    const char* name;
    bool doFixedCols;
    int padding;
    std::function<void(ResultGridState&)> setUp;
    std::vector<int> widths;
};

void PrintTo(const AutoSizeCase& c, std::ostream* out)
{
    *out << c.name;
}

class AutoSizeColumnsTest : public testing::TestWithParam<AutoSizeCase>
{};

TEST_P(AutoSizeColumnsTest, SetsEachWidthFromItsWidestText)
{
    ResultGridState grid;
    grid.setColumnCount(4);
    grid.setColumnWidth(3, 500);
    GetParam().setUp(grid);
    FakeMeasurer measurer;
    grid.autoSizeColumns(GetParam().doFixedCols, GetParam().padding, measurer);
    for (int col = 0; col < grid.columnCount(); ++col)
        EXPECT_EQ(grid.columnWidth(col), GetParam().widths[static_cast<std::size_t>(col)]) << col;
}

// The fake font: 6 pixels per byte, 7 in the header, so m + 8 (+ padding) per column.
INSTANTIATE_TEST_SUITE_P(
    Rules, AutoSizeColumnsTest,
    testing::Values(AutoSizeCase{"EmptyColumnsGetTheMinimumPlusPadding",
                                 true,
                                 4,
                                 [](ResultGridState&) {},
                                 {14, 14, 14, 14}},
                    AutoSizeCase{"HeaderInFixedFontNormalRowsInFont",
                                 true,
                                 4,
                                 [](ResultGridState& g) {
                                     g.setCellText(0, 0, "abcd");   // 28
                                     g.setCellText(0, 1, "abcde");  // 30
                                     g.setCellText(1, 0, "abcdef"); // 42
                                     g.setCellText(1, 3, "abcdef"); // 36
                                 },
                                 {42, 54, 14, 14}},
                    AutoSizeCase{"NoPaddingAndShrinking",
                                 true,
                                 0,
                                 [](ResultGridState& g) { g.setCellText(3, 2, "ab"); },
                                 {10, 10, 10, 20}},
                    AutoSizeCase{"NegativePaddingLimitedAgain",
                                 true,
                                 -30,
                                 [](ResultGridState& g) { g.setCellText(0, 2, "abcdefgh"); },
                                 {26, 10, 10, 10}},
                    AutoSizeCase{"RowsAndColumnsOutsideTheCountsIgnored",
                                 true,
                                 4,
                                 [](ResultGridState& g) {
                                     g.setCellText(0, 5, "abcdefghij");
                                     g.setCellText(4, 1, "abcdefghij");
                                     g.setCellText(0, 4, "a");
                                 },
                                 {18, 14, 14, 14}},
                    AutoSizeCase{"RowsOfALongerTableCutOffIgnored",
                                 true,
                                 4,
                                 [](ResultGridState& g) {
                                     for (int row = 0; row < 300; ++row)
                                         g.setCellText(0, row, row == 200 ? "abcdefghij" : "ab");
                                 },
                                 {26, 14, 14, 14}},
                    AutoSizeCase{"LinesAndTabs",
                                 true,
                                 4,
                                 [](ResultGridState& g) {
                                     g.setCellText(0, 1, "ab\nabcdef\nabc");
                                     g.setCellText(1, 1, "a\tb");
                                 },
                                 {48, 72, 14, 14}},
                    AutoSizeCase{"FixedColumnsSkippedWithoutDoFixedCols",
                                 false,
                                 4,
                                 [](ResultGridState& g) {
                                     g.setFixedColumnCount(1);
                                     g.setCellText(0, 1, "abcdefgh");
                                     g.setCellText(1, 1, "abcdefgh");
                                     g.setColumnWidth(0, 33);
                                 },
                                 {33, 60, 14, 14}},
                    AutoSizeCase{"FixedColumnsInFixedFont",
                                 true,
                                 4,
                                 [](ResultGridState& g) {
                                     g.setFixedColumnCount(1);
                                     g.setCellText(0, 1, "abcdefgh");
                                 },
                                 {68, 14, 14, 14}},
                    AutoSizeCase{"MeasuredInTheZoomedFont",
                                 true,
                                 4,
                                 [](ResultGridState& g) {
                                     g.zoom(2);
                                     g.setCellText(0, 1, "abcd");
                                 },
                                 {44, 14, 14, 14}}),
    CaseByName());

TEST(ResultGridState, ZoomStepsWithinTheLimits)
{
    ResultGridState grid;
    grid.setColumnWidth(1, 100);
    int expectedZoom = 0;
    for (int step = 1; step <= 7; ++step) {
        grid.zoom(3);
        if (step < 7)
            expectedZoom += 3;
        EXPECT_EQ(grid.zoomFactor(), expectedZoom) << step;
        EXPECT_EQ(grid.columnWidth(0), 64 + expectedZoom);
        EXPECT_EQ(grid.columnWidth(1), 100 + expectedZoom);
        EXPECT_EQ(grid.rowHeight(4), 24 + expectedZoom);
    }
    grid.zoom(-38);
    EXPECT_EQ(grid.zoomFactor(), -20);
    EXPECT_EQ(grid.columnWidth(0), 44);
    grid.zoom(-1);
    EXPECT_EQ(grid.zoomFactor(), -20);
}

TEST(ResultGridState, ZoomLeavesSizesThatWouldNotStayPositive)
{
    ResultGridState grid;
    grid.setColumnWidth(0, 3);
    grid.setColumnWidth(1, 0);
    grid.setRowHeight(1, 5);
    grid.zoom(-4);
    EXPECT_EQ(grid.columnWidth(0), 3);
    EXPECT_EQ(grid.columnWidth(1), 0);
    EXPECT_EQ(grid.rowHeight(1), 1);
    EXPECT_EQ(grid.rowHeight(0), 20);
    grid.zoom(4);
    EXPECT_EQ(grid.columnWidth(1), 0);
    EXPECT_EQ(grid.rowHeight(1), 5);
}

TEST(ResultGridState, ZoomCreatesTheListsAndStaysForLaterRows)
{
    ResultGridState grid;
    grid.zoom(3);
    EXPECT_TRUE(grid.hasColumnWidthList());
    EXPECT_TRUE(grid.hasRowHeightList());
    grid.setRowCount(7);
    EXPECT_EQ(grid.rowHeight(4), 27);
    EXPECT_EQ(grid.rowHeight(6), 24) << "new rows take DefaultRowHeight";
    grid.setDefaultColumnWidth(120);
    EXPECT_EQ(grid.columnWidth(1), 120);
    EXPECT_EQ(grid.zoomFactor(), 3);
}

TEST(ResultGridState, StartUpScaling)
{
    {
        ResultGridState grid;
        grid.scaleToDpi(144);
        EXPECT_EQ(grid.columnWidth(0), 64);
        EXPECT_EQ(grid.columnWidth(1), 64);
        EXPECT_EQ(grid.defaultColumnWidth(), 96);
        EXPECT_EQ(grid.defaultRowHeight(), 36);
        for (int row = 0; row < 5; ++row)
            EXPECT_EQ(grid.rowHeight(row), 36) << row;
        EXPECT_EQ(grid.fixedRowHeight(), 24);
        EXPECT_TRUE(grid.hasColumnWidthList());
        EXPECT_TRUE(grid.hasRowHeightList());
        grid.setColumnCount(3);
        EXPECT_EQ(grid.columnWidth(2), 96);
        EXPECT_EQ(gridErrorOf([&] { grid.setRowCount(134'217'726); }), tooLarge);
    }
    {
        ResultGridState grid;
        grid.scaleToDpi(96);
        EXPECT_FALSE(grid.hasColumnWidthList());
        EXPECT_FALSE(grid.hasRowHeightList());
        grid.scaleToDpi(120);
        EXPECT_EQ(grid.defaultColumnWidth(), 80);
        EXPECT_EQ(grid.rowHeight(0), 30);
        EXPECT_EQ(grid.rowHeight(1), 30);
    }
    {
        ResultGridState grid;
        grid.setFixedRowCount(0);
        grid.setRowHeight(0, 10);
        grid.scaleToDpi(192);
        EXPECT_EQ(grid.rowHeight(0), 20) << "row 0 is the header only while there is one";
    }
}

TEST(ResultGridState, Geometry)
{
    ResultGridState grid = smallView();
    grid.keyPress(GridKey::PageDown, false, false);
    ASSERT_EQ(grid.topRow(), 3);
    EXPECT_EQ(grid.cellRect(2, 0), (PixelRect{100, 0, 50, 24}));
    EXPECT_EQ(grid.cellRect(2, 3), (PixelRect{100, 24, 50, 24}));
    EXPECT_EQ(grid.cellRect(0, 6), (PixelRect{0, 96, 50, 24})) << "partly visible";
    EXPECT_FALSE(grid.cellRect(0, 2).has_value()) << "scrolled away";
    EXPECT_FALSE(grid.cellRect(0, 7).has_value()) << "below the client area";
    EXPECT_FALSE(grid.cellRect(4, 3).has_value()) << "right of the client area";
    EXPECT_EQ(grid.cellAt(0, 0), (GridCoord{0, 0}));
    EXPECT_EQ(grid.cellAt(149, 47), (GridCoord{2, 3}));
    EXPECT_EQ(grid.cellAt(150, 48), (GridCoord{3, 4}));
    EXPECT_EQ(grid.cellAt(199, 99), (GridCoord{3, 6}));
    EXPECT_EQ(grid.cellAt(-1, 100), (GridCoord{-1, -1}));
    EXPECT_EQ(grid.rows().maxOrigin(), 8);
    EXPECT_EQ(grid.cols().maxOrigin(), 1);
    EXPECT_EQ(grid.rows().lastFullyVisible(), 5);
    EXPECT_EQ(grid.rows().fullyVisibleEnd(), 96);

    grid.setClientSize(400, 400);
    EXPECT_EQ(grid.topRow(), 1) << "everything fits again";
    EXPECT_EQ(grid.cellAt(260, 10), (GridCoord{-1, 0})) << "empty area";
    EXPECT_EQ(grid.cellAt(10, 270), (GridCoord{0, -1}));
}

TEST(ResultGridState, GeometryWithHeightList)
{
    ResultGridState grid = smallView();
    grid.setRowHeight(2, 50);
    grid.setRowHeight(0, 30);
    EXPECT_EQ(grid.rows().lastFullyVisible(), 1) << "rows 1 and 2 take 74 of 70 pixels";
    EXPECT_EQ(grid.rows().maxOrigin(), 9);
    EXPECT_EQ(grid.cellAt(0, 53), (GridCoord{0, 1}));
    EXPECT_EQ(grid.cellAt(0, 99), (GridCoord{0, 2}));
}

struct ScrollBarCase
{
    int engines;
    int width, height;
    bool vertical, horizontal;
};

TEST(ResultGridState, ScrollBarsOnlyWhenNeeded)
{
    // A bar takes 16 pixels from the other direction.
    const ScrollBarCase cases[] = {
        {0, 614, 250, false, false}, {9, 616, 250, true, false}, {9, 615, 250, true, true},
        {8, 620, 240, false, false}, {8, 620, 239, true, false}, {8, 599, 256, false, true},
        {8, 599, 255, true, true},
    };
    for (const ScrollBarCase& c : cases) {
        ResultGridState grid;
        grid.setRowCount(c.engines + 2);
        grid.setColumnCount(5);
        grid.setDefaultColumnWidth(120);
        const auto needs = grid.scrollBarsNeeded(c.width, c.height, 16, 16);
        EXPECT_EQ(needs.vertical, c.vertical) << c.engines << " " << c.width << "x" << c.height;
        EXPECT_EQ(needs.horizontal, c.horizontal) << c.engines << " " << c.width << "x" << c.height;
    }
}

struct KeyCase
{
    const char* name;
    GridKey key;
    bool shift, ctrl;
    GridCoord start;
    int startTop;
    GridCoord current, anchor;
    int top, left;
};

void PrintTo(const KeyCase& c, std::ostream* out)
{
    *out << c.name;
}

class KeyboardTest : public testing::TestWithParam<KeyCase>
{};

TEST_P(KeyboardTest, MovesCurrentCellAnchorAndView)
{
    const KeyCase& c = GetParam();
    ResultGridState grid = smallView();
    while (grid.currentRow() < c.start.row)
        grid.keyPress(GridKey::Down, false, false);
    while (grid.currentColumn() < c.start.col)
        grid.keyPress(GridKey::Right, false, false);
    while (grid.topRow() < c.startTop)
        grid.keyPress(GridKey::Down, false, true);
    while (grid.topRow() > c.startTop)
        grid.keyPress(GridKey::Up, false, true);
    ASSERT_EQ(grid.current(), c.start);
    ASSERT_EQ(grid.leftColumn(), 0);

    grid.keyPress(c.key, c.shift, c.ctrl);
    EXPECT_EQ(grid.current(), c.current);
    EXPECT_EQ(grid.anchor(), c.anchor);
    EXPECT_EQ(grid.topRow(), c.top);
    EXPECT_EQ(grid.leftColumn(), c.left);
}

// Three normal rows and four columns fit fully; a page of rows is 2, of columns 3.
INSTANTIATE_TEST_SUITE_P(
    Table, KeyboardTest,
    testing::Values(
        KeyCase{"Up", GridKey::Up, false, false, {1, 4}, 3, {1, 3}, {1, 3}, 3, 0},
        KeyCase{"UpScrolls", GridKey::Up, false, false, {1, 3}, 3, {1, 2}, {1, 2}, 2, 0},
        KeyCase{
            "UpStopsAtFirstNormalRow", GridKey::Up, false, false, {1, 1}, 1, {1, 1}, {1, 1}, 1, 0},
        KeyCase{"Down", GridKey::Down, false, false, {1, 4}, 3, {1, 5}, {1, 5}, 3, 0},
        KeyCase{
            "DownScrollsJustEnough", GridKey::Down, false, false, {1, 5}, 3, {1, 6}, {1, 6}, 4, 0},
        KeyCase{
            "DownStopsAtLastRow", GridKey::Down, false, false, {1, 10}, 8, {1, 10}, {1, 10}, 8, 0},
        KeyCase{"Left", GridKey::Left, false, false, {1, 4}, 3, {0, 4}, {0, 4}, 3, 0},
        KeyCase{"LeftStops", GridKey::Left, false, false, {0, 4}, 3, {0, 4}, {0, 4}, 3, 0},
        KeyCase{"Right", GridKey::Right, false, false, {1, 4}, 3, {2, 4}, {2, 4}, 3, 0},
        KeyCase{"RightScrolls", GridKey::Right, false, false, {3, 4}, 3, {4, 4}, {4, 4}, 3, 1},
        KeyCase{"Home", GridKey::Home, false, false, {2, 4}, 3, {0, 4}, {0, 4}, 3, 0},
        KeyCase{"End", GridKey::End, false, false, {1, 4}, 3, {4, 4}, {4, 4}, 3, 1},
        KeyCase{"PageDown", GridKey::PageDown, false, false, {1, 4}, 3, {1, 6}, {1, 6}, 5, 0},
        KeyCase{
            "PageDownAtTheEnd", GridKey::PageDown, false, false, {1, 9}, 7, {1, 10}, {1, 10}, 8, 0},
        KeyCase{"PageUp", GridKey::PageUp, false, false, {1, 4}, 3, {1, 2}, {1, 2}, 1, 0},
        KeyCase{"PageUpAtTheStart", GridKey::PageUp, false, false, {1, 2}, 1, {1, 1}, {1, 1}, 1, 0},
        KeyCase{"CtrlHome", GridKey::Home, false, true, {2, 7}, 6, {0, 1}, {0, 1}, 1, 0},
        KeyCase{"CtrlEnd", GridKey::End, false, true, {1, 4}, 3, {4, 10}, {4, 10}, 8, 1},
        KeyCase{"CtrlPageUp", GridKey::PageUp, false, true, {1, 5}, 3, {1, 3}, {1, 3}, 3, 0},
        KeyCase{"CtrlPageDown", GridKey::PageDown, false, true, {1, 3}, 3, {1, 5}, {1, 5}, 3, 0},
        KeyCase{"CtrlUpScrollsOnly", GridKey::Up, false, true, {1, 4}, 3, {1, 4}, {1, 4}, 2, 0},
        KeyCase{"CtrlUpAtTheTop", GridKey::Up, false, true, {1, 2}, 1, {1, 2}, {1, 2}, 1, 0},
        KeyCase{"CtrlDownScrollsOnly", GridKey::Down, false, true, {1, 4}, 3, {1, 4}, {1, 4}, 4, 0},
        KeyCase{"CtrlRightByAPageOfColumns",
                GridKey::Right,
                false,
                true,
                {1, 4},
                3,
                {4, 4},
                {4, 4},
                3,
                1},
        KeyCase{"CtrlLeftByAPageOfColumns",
                GridKey::Left,
                false,
                true,
                {3, 4},
                3,
                {0, 4},
                {0, 4},
                3,
                0},
        KeyCase{"ShiftDownExtends", GridKey::Down, true, false, {1, 4}, 3, {1, 5}, {1, 4}, 3, 0},
        KeyCase{"ShiftCtrlEndExtends", GridKey::End, true, true, {1, 4}, 3, {4, 10}, {1, 4}, 8, 1},
        KeyCase{
            "ShiftPageUpExtends", GridKey::PageUp, true, false, {1, 4}, 3, {1, 2}, {1, 4}, 1, 0},
        KeyCase{"ShiftCtrlDownScrollsOnly",
                GridKey::Down,
                true,
                true,
                {1, 4},
                3,
                {1, 4},
                {1, 4},
                4,
                0}),
    CaseByName());

struct CornerKeyCase
{
    const char* name;
    GridKey key;
    bool shift, ctrl;
    int rowsBack, colsBack; // where the current cell ends, counted back from the last row/column
};

void PrintTo(const CornerKeyCase& c, std::ostream* out)
{
    *out << c.name;
}

class LargestGridKeyboardTest : public testing::TestWithParam<CornerKeyCase>
{};

// Every key on the last row and column of a grid of 2,147,483,647 rows and as many columns:
// nothing goes beyond the last cell, and the moves back arrive where they should. A page is the
// fully visible rows (or columns) minus one.
TEST_P(LargestGridKeyboardTest, StaysWithinTheGridAtItsLastCell)
{
    const CornerKeyCase& c = GetParam();
    constexpr int largest = std::numeric_limits<int>::max();
    ResultGridState grid;
    grid.setClientSize(600, 250);
    grid.setRowCount(largest);
    grid.setColumnCount(largest);
    grid.keyPress(GridKey::End, false, true);
    const GridCoord corner{largest - 1, largest - 1};
    ASSERT_EQ(grid.current(), corner);
    const int top = grid.topRow();
    const int left = grid.leftColumn();
    const int rowPage = grid.rows().pageSize();
    const int colPage = grid.cols().pageSize();

    grid.keyPress(c.key, c.shift, c.ctrl);
    const int rowsBack = c.rowsBack < 0 ? rowPage : c.rowsBack;
    const int colsBack = c.colsBack < 0 ? colPage : c.colsBack;
    EXPECT_EQ(grid.current(), (GridCoord{corner.col - colsBack, corner.row - rowsBack}));
    EXPECT_EQ(grid.anchor(), c.shift ? corner : grid.current());
    EXPECT_LE(grid.topRow(), top);
    EXPECT_LE(grid.leftColumn(), left);
    EXPECT_GE(grid.topRow(), grid.fixedRowCount());
    EXPECT_LE(grid.rows().lastFullyVisible(), largest - 1);
}

// -1 stands for one page back.
INSTANTIATE_TEST_SUITE_P(
    Table, LargestGridKeyboardTest,
    testing::Values(CornerKeyCase{"Down", GridKey::Down, false, false, 0, 0},
                    CornerKeyCase{"ShiftDown", GridKey::Down, true, false, 0, 0},
                    CornerKeyCase{"CtrlDown", GridKey::Down, false, true, 0, 0},
                    CornerKeyCase{"Right", GridKey::Right, false, false, 0, 0},
                    CornerKeyCase{"CtrlRight", GridKey::Right, false, true, 0, 0},
                    CornerKeyCase{"ShiftCtrlRight", GridKey::Right, true, true, 0, 0},
                    CornerKeyCase{"PageDown", GridKey::PageDown, false, false, 0, 0},
                    CornerKeyCase{"ShiftPageDown", GridKey::PageDown, true, false, 0, 0},
                    CornerKeyCase{"CtrlPageDown", GridKey::PageDown, false, true, 0, 0},
                    CornerKeyCase{"End", GridKey::End, false, false, 0, 0},
                    CornerKeyCase{"CtrlEnd", GridKey::End, false, true, 0, 0},
                    CornerKeyCase{"Up", GridKey::Up, false, false, 1, 0},
                    CornerKeyCase{"Left", GridKey::Left, false, false, 0, 1},
                    CornerKeyCase{"PageUp", GridKey::PageUp, false, false, -1, 0},
                    CornerKeyCase{"ShiftPageUp", GridKey::PageUp, true, false, -1, 0},
                    CornerKeyCase{"CtrlLeft", GridKey::Left, false, true, 0, -1}),
    CaseByName());

TEST(ResultGridState, MovingWithoutShiftCollapsesAGrownSelection)
{
    ResultGridState grid = smallView();
    grid.keyPress(GridKey::Down, true, false);
    grid.keyPress(GridKey::Right, true, false);
    EXPECT_EQ(grid.selection(), (GridRect{0, 1, 1, 2}));
    grid.keyPress(GridKey::Up, true, false);
    EXPECT_EQ(grid.selection(), (GridRect{0, 1, 1, 1})) << "shrinks back";
    grid.keyPress(GridKey::Down, false, false);
    EXPECT_EQ(grid.selection(), (GridRect{1, 2, 1, 2}));
}

TEST(ResultGridState, SelectAll)
{
    ResultGridState grid;
    grid.setClientSize(614, 250);
    grid.setRowCount(11);
    grid.setColumnCount(5);
    grid.setCellText(0, 3, "x");
    grid.selectAll();
    EXPECT_EQ(grid.selection(), (GridRect{0, 1, 4, 10}));
    EXPECT_EQ(grid.current(), (GridCoord{4, 10}));
    EXPECT_EQ(grid.topRow(), 2) << "scrolled to show the current cell";
}

TEST(ResultGridState, MouseSelects)
{
    ResultGridState grid = smallView();
    grid.keyPress(GridKey::PageDown, false, false);
    ASSERT_EQ(grid.topRow(), 3);

    EXPECT_FALSE(grid.mousePress(60, 10, false)) << "header";
    EXPECT_EQ(grid.current(), (GridCoord{0, 3}));

    EXPECT_TRUE(grid.mousePress(60, 30, false));
    EXPECT_EQ(grid.selection(), (GridRect{1, 3, 1, 3}));
    grid.mouseDrag(120, 60);
    EXPECT_EQ(grid.current(), (GridCoord{1, 3}));
    EXPECT_EQ(grid.anchor(), (GridCoord{2, 4}));
    grid.mouseDrag(120, 10);
    EXPECT_EQ(grid.anchor(), (GridCoord{2, 4})) << "over the header the anchor stays";
    grid.mouseDrag(120, 300);
    EXPECT_EQ(grid.anchor(), (GridCoord{2, 4})) << "outside the anchor stays";

    EXPECT_TRUE(grid.mousePress(10, 80, true));
    EXPECT_EQ(grid.current(), (GridCoord{1, 3}));
    EXPECT_EQ(grid.anchor(), (GridCoord{0, 5}));

    EXPECT_TRUE(grid.mousePress(10, 98, false));
    EXPECT_EQ(grid.current(), (GridCoord{0, 6}));
    EXPECT_EQ(grid.topRow(), 4) << "the partly visible row is scrolled into view";
}

TEST(ResultGridState, AutoScrollMovesTheAnchorTowardsThePointer)
{
    ResultGridState grid = smallView();
    grid.mousePress(10, 30, false);
    ASSERT_EQ(grid.anchor(), (GridCoord{0, 1}));
    for (int tick = 0; tick < 4; ++tick)
        grid.autoScrollStep(100, 99);
    EXPECT_EQ(grid.anchor(), (GridCoord{0, 5}));
    EXPECT_EQ(grid.topRow(), 3);
    EXPECT_EQ(grid.current(), (GridCoord{0, 1}));
    grid.autoScrollStep(100, 50);
    EXPECT_EQ(grid.anchor(), (GridCoord{0, 5})) << "inside the fully visible cells nothing moves";
    grid.autoScrollStep(250, 10);
    EXPECT_EQ(grid.anchor(), (GridCoord{1, 4}));
    for (int tick = 0; tick < 10; ++tick)
        grid.autoScrollStep(-5, -5);
    EXPECT_EQ(grid.anchor(), (GridCoord{0, 1}));
    EXPECT_EQ(grid.topRow(), 1);
}

TEST(ResultGridState, Wheel)
{
    ResultGridState grid = smallView();
    grid.keyPress(GridKey::Down, true, false);
    grid.wheelStep(false, false, 3);
    EXPECT_EQ(grid.selection(), (GridRect{0, 5, 0, 5}));
    EXPECT_EQ(grid.topRow(), 3);
    grid.wheelStep(true, false, 3);
    EXPECT_EQ(grid.current(), (GridCoord{0, 2}));
    grid.wheelStep(true, false, 3);
    EXPECT_EQ(grid.current(), (GridCoord{0, 1}));
    EXPECT_EQ(grid.topRow(), 1);
    grid.keyPress(GridKey::End, false, true);
    grid.wheelStep(false, false, 3);
    EXPECT_EQ(grid.current(), (GridCoord{4, 10})) << "stays on the last row";
    grid.wheelStep(true, true, 3);
    EXPECT_EQ(grid.zoomFactor(), 3);
    grid.wheelStep(false, true, 1);
    EXPECT_EQ(grid.zoomFactor(), 2);
}

TEST(ResultGridState, ScrollBarActions)
{
    ResultGridState grid = smallView();
    struct Step
    {
        ScrollAction action;
        int top;
    };
    const Step steps[] = {
        {ScrollAction::LineForward, 2}, {ScrollAction::PageForward, 4},
        {ScrollAction::PageForward, 6}, {ScrollAction::PageForward, 8},
        {ScrollAction::LineForward, 8}, {ScrollAction::PageBack, 6},
        {ScrollAction::LineBack, 5},    {ScrollAction::ToStart, 1},
        {ScrollAction::PageBack, 1},    {ScrollAction::ToEnd, 8},
    };
    for (const Step& step : steps) {
        grid.scrollVertical(step.action);
        EXPECT_EQ(grid.topRow(), step.top) << static_cast<int>(step.action);
    }
    EXPECT_EQ(grid.current(), (GridCoord{0, 1})) << "scrolling leaves the current cell";
    grid.scrollHorizontal(ScrollAction::PageForward);
    EXPECT_EQ(grid.leftColumn(), 1);
}

TEST(ResultGridState, ThumbPositionAndRelease)
{
    // 258 rows in a view of 3 normal rows: tops 1 to 255, a range of 254 = 2 x 127.
    ResultGridState grid = smallView();
    grid.setRowCount(258);
    struct Case
    {
        int top, thumb;
    };
    const Case positions[] = {{1, 0}, {2, 1}, {3, 1}, {4, 2}, {128, 64}, {254, 127}, {255, 127}};
    for (const Case& c : positions) {
        while (grid.topRow() < c.top)
            grid.scrollVertical(ScrollAction::LineForward);
        EXPECT_EQ(grid.verticalThumbPosition(), c.thumb) << c.top;
    }
    const Case releases[] = {{1, 0}, {3, 1}, {127, 63}, {255, 127}, {129, 64}};
    for (const Case& c : releases) {
        grid.releaseVerticalThumb(c.thumb);
        EXPECT_EQ(grid.topRow(), c.top) << c.thumb;
    }
    ResultGridState small = smallView();
    small.releaseVerticalThumb(64);
    EXPECT_EQ(small.topRow(), 5) << "1 + 64 x 7 / 127 = 4.53, rounded";
    small.releaseVerticalThumb(36);
    EXPECT_EQ(small.verticalThumbPosition(), 36);
    small.releaseHorizontalThumb(63);
    EXPECT_EQ(small.leftColumn(), 0);
    small.releaseHorizontalThumb(64);
    EXPECT_EQ(small.leftColumn(), 1);
}

TEST(ResultGridState, SimulatingTwiceWithTheSameCountKeepsTheSelection)
{
    ResultGridState grid;
    grid.setClientSize(614, 250);
    simulate(grid, 9);
    grid.keyPress(GridKey::Down, true, false);
    grid.keyPress(GridKey::Down, true, false);
    simulate(grid, 9);
    EXPECT_EQ(grid.selection(), (GridRect{0, 1, 0, 3}));
    EXPECT_EQ(grid.current(), (GridCoord{0, 3}));
}

TEST(ResultGridState, AShorterTableMovesTheCurrentCellUpAndTheViewToTheTop)
{
    ResultGridState grid;
    grid.setClientSize(614, 250);
    simulate(grid, 20);
    grid.keyPress(GridKey::End, false, true);
    grid.keyPress(GridKey::Home, false, false);
    ASSERT_EQ(grid.current(), (GridCoord{0, 21}));
    ASSERT_GT(grid.topRow(), 1);
    grid.keyPress(GridKey::Up, true, false);
    simulate(grid, 3);
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.current(), (GridCoord{0, 4}));
    EXPECT_EQ(grid.selection(), (GridRect{0, 4, 0, 4}));
    EXPECT_EQ(grid.topRow(), 1);
}

TEST(ResultGridState, SimulatedTableWidths)
{
    ResultGridState grid;
    simulate(grid, 12);
    // Widest texts: the five headers in the fixed font (7 per byte), or "12 Triebwerke".
    const int widths[] = {23 * 7 + 12, 18 * 7 + 12, 14 * 6 + 12, 8 * 7 + 12, 16 * 7 + 12};
    for (int col = 0; col < 5; ++col)
        EXPECT_EQ(grid.columnWidth(col), widths[col]) << col;
}

// Numbers "<value>,5 P" with a value per cell that wanders up and down the rows.
class WanderingNumbers final : public GridCellSource
{
public:
    WanderingNumbers(GridCellArea area, int seed)
        : m_area(area)
        , m_seed(seed)
    {}

    GridCellArea area() const override { return m_area; }
    std::string text(int col, int row) const override
    {
        return std::to_string(value(col, row)) + ",5 P";
    }
    std::array<int, 2> widestRows(int col, int first, int last) const override
    {
        std::array<int, 2> rows{first, first};
        for (int row = first; row <= last; ++row) {
            if (value(col, row) < value(col, rows[0]))
                rows[0] = row;
            if (value(col, row) > value(col, rows[1]))
                rows[1] = row;
        }
        return rows;
    }

private:
    std::int64_t value(int col, int row) const
    {
        const std::int64_t wave =
            (static_cast<std::int64_t>(row) * 7919 + col * 104729 + m_seed) % 100'003;
        return wave * wave / (col + 1);
    }

    GridCellArea m_area;
    int m_seed;
};

struct SourceSizingCase
{
    const char* name;
    std::function<void(ResultGridState&, bool laid)> build;
};

void PrintTo(const SourceSizingCase& c, std::ostream* out)
{
    *out << c.name;
}

// Lays a source, or writes its texts cell by cell.
void put(ResultGridState& grid, bool laid, GridCellArea area, int seed)
{
    auto source = std::make_shared<WanderingNumbers>(area, seed);
    if (laid) {
        grid.addCellSource(std::move(source));
        return;
    }
    for (int row = area.firstRow; row <= area.lastRow; ++row) {
        for (int col = 0; col < area.columnCount; ++col)
            grid.setCellText(col, row, source->text(col, row));
    }
}

class SourceSizingTest : public ::testing::TestWithParam<SourceSizingCase>
{};

// Columns sized over a source get the widths that measuring every text written would give, in a
// font whose digits are alike and in one whose are not.
TEST_P(SourceSizingTest, WidthsAreThoseOfTheWrittenTexts)
{
    for (const bool digitsAlike : {true, false}) {
        ResultGridState laid;
        ResultGridState written;
        GetParam().build(laid, true);
        GetParam().build(written, false);
        FakeMeasurer laidMeasurer(digitsAlike);
        FakeMeasurer writtenMeasurer(digitsAlike);
        laid.autoSizeColumns(true, 4, laidMeasurer);
        written.autoSizeColumns(true, 4, writtenMeasurer);
        for (int col = 0; col < written.columnCount(); ++col)
            EXPECT_EQ(laid.columnWidth(col), written.columnWidth(col))
                << "column " << col << (digitsAlike ? "" : ", digits unlike");
    }
}

INSTANTIATE_TEST_SUITE_P(
    ResultGridState, SourceSizingTest,
    ::testing::Values(SourceSizingCase{"source_below_a_header",
                                       [](ResultGridState& grid, bool laid) {
                                           grid.setRowCount(2002);
                                           grid.setColumnCount(4);
                                           grid.setCellText(1, 0, "a header wider than any number");
                                           put(grid, laid, {4, 1, 2001}, 1);
                                       }},
                      SourceSizingCase{"rows_cut_off_by_the_row_count",
                                       [](ResultGridState& grid, bool laid) {
                                           grid.setRowCount(3000);
                                           grid.setColumnCount(3);
                                           put(grid, laid, {3, 1, 2999}, 2);
                                           grid.setRowCount(700);
                                       }},
                      SourceSizingCase{"fixed_rows_within_the_source",
                                       [](ResultGridState& grid, bool laid) {
                                           grid.setRowCount(500);
                                           grid.setColumnCount(3);
                                           grid.setFixedRowCount(4);
                                           put(grid, laid, {3, 1, 499}, 3);
                                       }},
                      SourceSizingCase{"written_cells_and_blanks_over_the_source",
                                       [](ResultGridState& grid, bool laid) {
                                           grid.setRowCount(900);
                                           grid.setColumnCount(3);
                                           put(grid, laid, {3, 0, 899}, 4);
                                           for (int row = 0; row < 900; ++row) {
                                               grid.setCellText(0, row, "1");
                                               if (row % 3 == 0)
                                                   grid.setCellText(1, row, "");
                                           }
                                           grid.setCellText(2, 450, std::string(40, 'x'));
                                       }},
                      SourceSizingCase{"a_source_over_part_of_another",
                                       [](ResultGridState& grid, bool laid) {
                                           grid.setRowCount(8000);
                                           grid.setColumnCount(5);
                                           put(grid, laid, {5, 1, 7999}, 5);
                                           put(grid, laid, {2, 1000, 7000}, 6);
                                       }},
                      SourceSizingCase{"zoomed",
                                       [](ResultGridState& grid, bool laid) {
                                           grid.setRowCount(1200);
                                           grid.setColumnCount(2);
                                           grid.zoom(3);
                                           put(grid, laid, {2, 1, 1199}, 7);
                                       }}),
    [](const ::testing::TestParamInfo<SourceSizingCase>& info) { return info.param.name; });

TEST(ResultGridState, ALongSourceIsSizedByMeasuringAFewTexts)
{
    ResultGridState grid;
    grid.setRowCount(1'000'002);
    grid.setColumnCount(5);
    grid.addCellSource(std::make_shared<WanderingNumbers>(GridCellArea{5, 1, 1'000'001}, 8));
    FakeMeasurer measurer;
    grid.autoSizeColumns(true, 4, measurer);
    EXPECT_LE(measurer.measured, 5 * 2);
}

TEST(ResultGridState, NegativeEngineCountLeavesOneNormalRow)
{
    ResultGridState grid;
    simulate(grid, 2);
    grid.setRowCount(-1 + 2);
    grid.setColumnCount(5);
    EXPECT_EQ(gridErrorOf([&] { grid.setFixedRowCount(1); }), fixedRowsTooBig);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.columnCount(), 5);
    EXPECT_EQ(grid.fixedRowCount(), 0);
    EXPECT_EQ(grid.current(), (GridCoord{0, 0}));
    EXPECT_EQ(grid.cellText(0, 0), "Ausgefallene Triebwerke");
    EXPECT_EQ(grid.cellText(0, 1), "0 Triebwerke");
}

} // namespace
