#include "ui/window/ResultTableCellSource.h"

#include "platform/desktop/Fonts.h"
#include "presentation/FormatSettings.h"
#include "presentation/ResultTable.h"
#include "presentation/ResultTableRows.h"
#include "simulation/FailureSimulation.h"
#include "ui/grid/ResultGrid.h"
#include "ui/window/ResultTableShape.h"

#include <QApplication>
#include <QTest>

#include <cstdint>
#include <memory>
#include <vector>

Q_DECLARE_METATYPE(std::vector<std::int32_t>)

namespace {

// The window's font at 96 dots per inch.
QFont windowFont()
{
    QFont font = platform::programFont();
    font.setPixelSize(11);
    return font;
}

} // namespace

// A table shown from its data must look, read and size exactly as the same texts written cell by
// cell, in the program's own font, where digits beside the decimal comma kern.
class ResultTableCellSourceTest : public QObject
{
    Q_OBJECT

private slots:
    void sizesAndReadsAsTheWrittenTexts_data();
    void sizesAndReadsAsTheWrittenTexts();
};

void ResultTableCellSourceTest::sizesAndReadsAsTheWrittenTexts_data()
{
    QTest::addColumn<std::int32_t>("runs");
    QTest::addColumn<std::vector<std::int32_t>>("histogram");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<char16_t>("separator");

    const auto simulated = [](std::int32_t engines, std::int32_t runs, double reliability) {
        std::vector<std::int32_t> histogram;
        simulateFailures(engines, runs, histogram, reliability, 4711u);
        return histogram;
    };
    QTest::newRow("many counts") << 100'000 << simulated(3000, 100'000, 0.5) << 0 << u',';
    QTest::newRow("many counts, zoomed") << 100'000 << simulated(3000, 100'000, 0.5) << 3 << u',';
    QTest::newRow("point") << 100'000 << simulated(3000, 100'000, 0.5) << 0 << u'.';
    QTest::newRow("one run, long") << 1 << simulated(200'000, 1, 0.99999) << 0 << u',';
    QTest::newRow("a few rare failures")
        << 1'000'000 << simulated(40'000, 1'000'000, 0.9999) << -2 << u',';
    QTest::newRow("negative runs") << -3 << std::vector<std::int32_t>(501, 0) << 0 << u',';
    std::vector<std::int32_t> everyCount(12'001);
    for (std::size_t i = 0; i < everyCount.size(); ++i)
        everyCount[i] = static_cast<std::int32_t>((i * 7919) % 1000);
    std::int32_t total = 0;
    for (std::int32_t count : everyCount)
        total += count;
    QTest::newRow("every count differs") << total << everyCount << 0 << u',';
}

void ResultTableCellSourceTest::sizesAndReadsAsTheWrittenTexts()
{
    QFETCH(std::int32_t, runs);
    QFETCH(std::vector<std::int32_t>, histogram);
    QFETCH(int, zoom);
    QFETCH(char16_t, separator);
    FormatSettings settings;
    settings.decimalSeparator = separator;
    const auto engines = static_cast<std::int32_t>(histogram.size()) - 1;
    const ResultTableRows rows(engines, runs, histogram, settings);

    ResultGrid written;
    ResultGrid shown;
    for (ResultGrid* grid : {&written, &shown}) {
        grid->setFont(windowFont());
        grid->resize(618, 254);
        grid->zoom(zoom);
        ResultTableShape::applyShape(*grid, engines);
    }
    for (std::int32_t i = 0; i <= engines; ++i) {
        for (int column = 0; column < ResultTable::columnCount; ++column)
            written.setCellText(column, i + 1, std::string_view(rows.text(column, i)));
    }
    shown.addCellSource(std::make_shared<ResultTableCellSource>(rows));
    for (ResultGrid* grid : {&written, &shown})
        grid->autoSizeColumns(true, ResultTableShape::textPadding);

    for (int column = 0; column < ResultTable::columnCount; ++column) {
        QCOMPARE(shown.columnWidth(column), written.columnWidth(column));
        for (int row : {0, 1, 2, engines / 2, engines + 1})
            QCOMPARE(shown.cellText(column, row), written.cellText(column, row));
    }
    QCOMPARE(shown.grab().toImage(), written.grab().toImage());
}

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ResultTableCellSourceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ResultTableCellSourceTest.moc"
