#include "ui/grid/ResultGrid.h"

#include "platform/Exceptions.h"
#include "platform/desktop/Fonts.h"
#include "ui/grid/FontTextMeasurer.h"
#include "ui/grid/GridKeyCommand.h"
#include "ui/window/ResultTableShape.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <memory>
#include <optional>

namespace {

const QColor buttonFace(240, 240, 240);
const QColor window(255, 255, 255);
const QColor windowText(0, 0, 0);
const QColor holderBackground(200, 120, 40);
const QColor gridLine(192, 192, 192);
const QColor fixedLine(128, 128, 128);
const QColor headerBottomLine(120, 120, 120);
const QColor selection(182, 202, 234);
const QColor border(127, 157, 185);
constexpr int frame = 2;

const char* const headers[] = {"Ausgefallene Triebwerke", "Wahrscheinlichkeit", "Prozentwert",
                               "Summiert", "Summiert Prozent"};

// One channel of step k of a gradient of s steps from white to the button face.
int gradientChannel(int to, int k, int s)
{
    return static_cast<int>(std::lround(255.0 + (to - 255.0) * k / s));
}

QColor gradientColour(int k, int s)
{
    return {gradientChannel(buttonFace.red(), k, s), gradientChannel(buttonFace.green(), k, s),
            gradientChannel(buttonFace.blue(), k, s)};
}

QString describe(const QColor& colour)
{
    return QStringLiteral("(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

// The first row and column with ink (a pixel other than white) in an image; -1 when blank.
QPoint firstInk(const QImage& image)
{
    int top = -1;
    int left = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == QColor(Qt::white))
                continue;
            if (top < 0)
                top = y;
            if (left < 0 || x < left)
                left = x;
        }
    }
    return {left, top};
}

bool hasInkInRows(const QImage& image, int firstRow, int lastRow)
{
    for (int y = std::max(firstRow, 0); y <= std::min(lastRow, image.height() - 1); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != QColor(Qt::white))
                return true;
        }
    }
    return false;
}

// Every QTimer's tick in the application passes this filter. The grid's auto-scroll timer is its
// member, not its child, so it is found by what it does: the timer whose timeout moves the
// anchor. From then on the anchor's move of each of its ticks is kept.
class AutoScrollTimerWatch : public QObject
{
public:
    explicit AutoScrollTimerWatch(const ResultGrid& grid)
        : m_grid(grid)
    {
        qApp->installEventFilter(this);
    }
    ~AutoScrollTimerWatch() override { qApp->removeEventFilter(this); }

    QTimer* timer() const { return m_timer; }
    const QList<QPoint>& steps() const { return m_steps; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* timer = event->type() == QEvent::Timer ? qobject_cast<QTimer*>(watched) : nullptr;
        if (!timer || (m_timer && timer != m_timer))
            return false;
        m_ticking = timer;
        m_before = m_grid.state().anchor();
        if (!m_connected.contains(timer)) {
            m_connected.insert(timer);
            // Connected after the grid's own slot, so this one sees the anchor after the tick.
            connect(timer, &QTimer::timeout, this, [this, timer] { ticked(timer); });
        }
        return false;
    }

private:
    void ticked(QTimer* timer)
    {
        // A timeout without a timer event is the test's own and is not counted.
        if (timer != m_ticking)
            return;
        m_ticking = nullptr;
        const GridCoord after = m_grid.state().anchor();
        const QPoint step(after.col - m_before.col, after.row - m_before.row);
        if (!m_timer && step.isNull())
            return;
        m_timer = timer;
        m_steps.append(step);
    }

    const ResultGrid& m_grid;
    QSet<QTimer*> m_connected;
    QTimer* m_ticking = nullptr;
    QTimer* m_timer = nullptr;
    GridCoord m_before;
    QList<QPoint> m_steps;
};

} // namespace

class ResultGridTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void usesTheProgramFonts();
    void frameRings();
    void headerGradientLinesAndHighlight();
    void normalCellsLinesSelectionAndEmptyArea();
    void normalCellsFollowTheWindowColour();
    void focusRectangleOnlyWithFocus();
    void textStaysInsideItsRectangle();
    void textRectanglesWrapAndClip_data();
    void textRectanglesWrapAndClip();
    void textWrapsAtSpacesOnly_data();
    void textWrapsAtSpacesOnly();
    void tabsAreExpandedAsTheColumnsAreMeasured();
    void writingACellShowsIt();
    void scrollBarsOnlyWhenNeeded();
    void headerStaysWhileScrolling();
    void scrollBarArrowsPagesAndThumb();
    void keysMapToCommands_data();
    void keysMapToCommands();
    void aKeyPressReachesTheState();
    void unusedKeysChangeNothing();
    void tabLeavesTheGrid_data();
    void tabLeavesTheGrid();
    void mousePressSelectsAndFocuses();
    void otherButtonsAndDoubleClicksDoNothing();
    void dragMovesTheAnchorAndAutoScrolls();
    void autoScrollTimerStepsOneCellPerTick();
    void wheelMovesTheCurrentRow();
    void wheelLinesAreReadWhenTheGridIsCreated_data();
    void wheelLinesAreReadWhenTheGridIsCreated();
    void ctrlWheelZooms();
    void zoomedRowsArePaintedTaller();
    void autoSizeColumnsMeasuresInTheGridFonts();
    void measurerAgreesWithTheFontForEveryNumber();
    void hugeGridPaintsAndMovesToItsEnds();
    void ctrlWheelOnAHugeGridFails_data();
    void ctrlWheelOnAHugeGridFails();

private:
    void simulate(int engines);
    QImage image() const { return m_grid->grab().toImage(); }
    // A pixel of the client area, in client coordinates.
    QColor clientPixel(const QImage& shot, int x, int y) const
    {
        return shot.pixelColor(x + frame, y + frame);
    }
    void sendWheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers);
    void sendMouse(QEvent::Type type, QPoint clientPos, Qt::MouseButton button,
                   Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    std::unique_ptr<QWidget> m_holder;
    ResultGrid* m_grid = nullptr;
    QLineEdit* m_neighbour = nullptr;
};

void ResultGridTest::init()
{
    QApplication::setWheelScrollLines(3);
    m_holder = std::make_unique<QWidget>();
    QPalette holderPalette = m_holder->palette();
    holderPalette.setColor(QPalette::Window, holderBackground);
    m_holder->setPalette(holderPalette);
    m_neighbour = new QLineEdit(m_holder.get());
    m_neighbour->setGeometry(0, 300, 100, 20);
    m_grid = new ResultGrid(m_holder.get());
    QPalette palette = m_grid->palette();
    palette.setColor(QPalette::Base, window);
    palette.setColor(QPalette::Button, buttonFace);
    palette.setColor(QPalette::Text, windowText);
    palette.setColor(QPalette::Window, buttonFace);
    m_grid->setPalette(palette);
    // The grid's place in the window's layout at 96 DPI.
    m_grid->setGeometry(0, 0, 618, 254);
    m_holder->resize(618, 330);
    m_holder->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_holder.get()));
}

void ResultGridTest::cleanup()
{
    m_holder.reset();
}

void ResultGridTest::simulate(int engines)
{
    ResultTableShape::applyShape(*m_grid, engines);
    for (int i = 0; i <= engines; ++i) {
        m_grid->setCellText(0, i + 1, QStringLiteral("%1 Triebwerke").arg(i));
        m_grid->setCellText(1, i + 1, QStringLiteral("0,000045"));
        m_grid->setCellText(2, i + 1, QStringLiteral("0,005 Prozent"));
        m_grid->setCellText(3, i + 1, QStringLiteral("0,387420"));
        m_grid->setCellText(4, i + 1, QStringLiteral("38,742 Prozent"));
    }
    m_grid->autoSizeColumns(true, ResultTableShape::textPadding);
}

void ResultGridTest::sendWheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers)
{
    const QPointF position(20, 40);
    QWheelEvent event(position, target->mapToGlobal(position), QPoint(), QPoint(0, delta),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

void ResultGridTest::sendMouse(QEvent::Type type, QPoint clientPos, Qt::MouseButton button,
                               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    QWidget* viewport = m_grid->viewport();
    QMouseEvent event(type, clientPos, viewport->mapToGlobal(clientPos), button, buttons,
                      modifiers);
    QApplication::sendEvent(viewport, &event);
}

void ResultGridTest::usesTheProgramFonts()
{
    if (!platform::tahomaAvailable())
        QSKIP("Wine's Tahoma is not installed");
    QCOMPARE(m_grid->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(m_grid->font().pixelSize(), 11);
    QVERIFY(!m_grid->font().bold());
    QCOMPARE(m_grid->fixedFont().family(), QStringLiteral("Tahoma"));
    QCOMPARE(m_grid->fixedFont().pixelSize(), 11);
    QVERIFY(m_grid->fixedFont().bold());
}

void ResultGridTest::frameRings()
{
    const QImage shot = image();
    const int right = shot.width() - 1;
    const int bottom = shot.height() - 1;
    for (int x : {0, 100, right}) {
        QCOMPARE(shot.pixelColor(x, 0), holderBackground);
        QCOMPARE(shot.pixelColor(x, bottom), holderBackground);
    }
    for (int y : {0, 100, bottom}) {
        QCOMPARE(shot.pixelColor(0, y), holderBackground);
        QCOMPARE(shot.pixelColor(right, y), holderBackground);
    }
    for (int x : {1, 100, right - 1}) {
        QCOMPARE(shot.pixelColor(x, 1), border);
        QCOMPARE(shot.pixelColor(x, bottom - 1), border);
    }
    for (int y : {1, 100, bottom - 1}) {
        QCOMPARE(shot.pixelColor(1, y), border);
        QCOMPARE(shot.pixelColor(right - 1, y), border);
    }
}

// The initial grid: two empty header cells 64 pixels wide in a row 24 pixels high.
void ResultGridTest::headerGradientLinesAndHighlight()
{
    const QImage shot = image();
    const int x = 64;
    const int w = 64;
    const int h = 24;
    for (int row = 1; row <= h - 3; ++row) {
        // Second pass: 22 rows, 21 steps.
        for (int col : {x + 1, x + 30, x + w - 2}) {
            QCOMPARE(describe(clientPixel(shot, col, row)), describe(gradientColour(row, 21)));
        }
    }
    // The first pass shows on row h - 2 (step 22 of 23) and under the right line column.
    QCOMPARE(describe(clientPixel(shot, x + 30, h - 2)), describe(gradientColour(22, 23)));
    for (int col = x - 1; col <= x + w - 2; ++col)
        QCOMPARE(describe(clientPixel(shot, col, h - 1)), describe(headerBottomLine));
    for (int row = 0; row <= h - 2; ++row)
        QCOMPARE(describe(clientPixel(shot, x + w - 1, row)), describe(fixedLine));
    // The last column keeps its right line's corner; the bottom line begins under the previous
    // cell's right line.
    QCOMPARE(describe(clientPixel(shot, x + w - 1, h - 1)), describe(fixedLine));
    QCOMPARE(describe(clientPixel(shot, x - 1, h - 1)), describe(headerBottomLine));
    for (int col = x + 1; col <= x + w - 2; ++col)
        QCOMPARE(clientPixel(shot, col, 0), QColor(Qt::white));
    for (int row = 0; row <= h - 2; ++row)
        QCOMPARE(clientPixel(shot, x, row), QColor(Qt::white));
}

void ResultGridTest::normalCellsLinesSelectionAndEmptyArea()
{
    const QImage shot = image();
    // Row 1 of the initial grid: (0,1) is the current cell, (1,1) is not selected.
    const int y = 24;
    QCOMPARE(clientPixel(shot, 30, y + 10), selection);
    QCOMPARE(clientPixel(shot, 64 + 30, y + 10), window);
    for (int col = 0; col <= 62; ++col)
        QCOMPARE(clientPixel(shot, col, y + 23), gridLine);
    for (int row = y; row <= y + 23; ++row) {
        QCOMPARE(clientPixel(shot, 63, row), gridLine);
        QCOMPARE(clientPixel(shot, 127, row), gridLine);
    }
    QCOMPARE(clientPixel(shot, 63, y + 47), gridLine);
    // Right of the columns and below the rows.
    QCOMPARE(clientPixel(shot, 128, 5), window);
    QCOMPARE(clientPixel(shot, 400, 200), window);
    QCOMPARE(clientPixel(shot, 30, 5 * 24), window);
    QCOMPARE(clientPixel(shot, 30, 5 * 24 - 1), gridLine);
}

void ResultGridTest::normalCellsFollowTheWindowColour()
{
    const QColor cream(255, 250, 220);
    QPalette palette = m_grid->palette();
    palette.setColor(QPalette::Base, cream);
    m_grid->setPalette(palette);
    const QImage shot = image();
    QCOMPARE(clientPixel(shot, 64 + 30, 24 + 10), cream);
    QCOMPARE(clientPixel(shot, 300, 200), cream);
    QCOMPARE(clientPixel(shot, 30, 24 + 10), selection);
}

void ResultGridTest::focusRectangleOnlyWithFocus()
{
    const QColor inverted(255 - selection.red(), 255 - selection.green(), 255 - selection.blue());
    const auto countDots = [&](const QImage& shot) {
        int dots = 0;
        for (int col = 0; col <= 62; ++col) {
            for (int row : {24, 46}) {
                if (clientPixel(shot, col, row) == inverted)
                    ++dots;
            }
        }
        return dots;
    };
    m_neighbour->setFocus();
    QCOMPARE(countDots(image()), 0);
    m_grid->setFocus();
    QVERIFY(m_grid->hasFocus());
    const QImage shot = image();
    // Every other pixel along the ring just inside the grid lines: 63 x 23 pixels.
    QCOMPARE(countDots(shot), 64);
    QCOMPARE(clientPixel(shot, 0, 24), inverted);
    QCOMPARE(clientPixel(shot, 1, 24), selection);
    QCOMPARE(clientPixel(shot, 0, 25), selection);
    QCOMPARE(clientPixel(shot, 0, 26), inverted);
    QCOMPARE(clientPixel(shot, 62, 46), inverted);
    QCOMPARE(clientPixel(shot, 63, 46), gridLine);
    QCOMPARE(clientPixel(shot, 5, 30), selection);
}

// Text is drawn from (x + 3, y + 3) in normal cells, (x + 2, y + 2) in header cells, and cut at
// the right edge of its rectangle.
void ResultGridTest::textStaysInsideItsRectangle()
{
    m_grid->setCellText(1, 0, QStringLiteral("WWWWWWWWWWWWWWWWWWWW"));
    m_grid->setCellText(1, 2, QStringLiteral("WWWWWWWWWWWWWWWWWWWW"));
    const QImage shot = image();
    const auto inked = [&](int x0, int x1, int y0, int y1, const QColor& background) {
        for (int x = x0; x <= x1; ++x) {
            for (int y = y0; y <= y1; ++y) {
                if (clientPixel(shot, x, y) != background)
                    return true;
            }
        }
        return false;
    };
    QVERIFY(inked(64 + 3, 64 + 60, 48 + 3, 48 + 22, window));
    QVERIFY(!inked(64, 64 + 2, 48, 48 + 22, window));
    QVERIFY(!inked(64 + 61, 64 + 62, 48, 48 + 22, window));
    QVERIFY(!inked(64, 64 + 62, 48, 48 + 2, window));
    // In the header the text rectangle ends at x + w - 3, 3 pixels before the right line.
    for (int row = 2; row <= 21; ++row) {
        QCOMPARE(describe(clientPixel(shot, 64 + 61, row)), describe(gradientColour(row, 21)));
        QCOMPARE(describe(clientPixel(shot, 64 + 62, row)), describe(gradientColour(row, 21)));
    }
}

void ResultGridTest::textRectanglesWrapAndClip_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("header");
    QTest::addColumn<QRect>("textRect");
    // Column 1 is 64 pixels wide at x = 64 and rows are 24 high. Normal text goes from
    // (x + 3, y + 3) to (x + w - 3, y + h - 1), header text from (x + 2, y + 2) to
    // (x + w - 3, y + h - 2), right and bottom edges excluded.
    QTest::newRow("normal cell") << 2 << false << QRect(64 + 3, 48 + 3, 58, 20);
    QTest::newRow("header cell") << 0 << true << QRect(64 + 2, 0 + 2, 59, 20);
}

// The text rectangle holds exactly what the same text drawn into a rectangle of its size shows:
// wrapped at the space, cut at the bottom, nothing outside it and the grid lines untouched.
void ResultGridTest::textRectanglesWrapAndClip()
{
    QFETCH(int, row);
    QFETCH(bool, header);
    QFETCH(QRect, textRect);
    // The "I" puts ink near the rectangle's left edge; the brackets of the second line reach
    // below its bottom edge.
    const QString text = QStringLiteral("Inhalt (Summe)");
    const QFont font = header ? m_grid->fixedFont() : m_grid->font();
    const QFontMetrics metrics(font);
    QVERIFY(metrics.horizontalAdvance(QStringLiteral("(Summe)")) < textRect.width());
    QVERIFY(metrics.horizontalAdvance(text) > textRect.width());
    const platform::TextMetrics lines = platform::textMetrics(font);

    // A white button face makes the header's gradient and highlight white, so that its text
    // stands on white like the normal cell's.
    QPalette palette = m_grid->palette();
    palette.setColor(QPalette::Button, QColor(Qt::white));
    m_grid->setPalette(palette);
    m_grid->setCellText(1, row, text);
    const QImage shot = image();

    const auto draw = [&](QSize size) {
        QImage drawn(size, shot.format());
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        painter.setFont(font);
        painter.setPen(QColor(Qt::black));
        // Two lines, broken at the space, one text-metrics height apart with the baseline at
        // the text-metrics ascent, as the desktop draws them.
        painter.drawText(QPointF(0, lines.ascent), QStringLiteral("Inhalt "));
        painter.drawText(QPointF(0, lines.ascent + lines.height()), QStringLiteral("(Summe)"));
        return drawn;
    };
    const QImage reference = draw(textRect.size());
    const QImage uncut = draw(textRect.size() + QSize(0, 20));
    QVERIFY(hasInkInRows(reference, lines.height(), textRect.height() - 1));
    QVERIFY(hasInkInRows(reference, textRect.height() - 1, textRect.height() - 1));
    QVERIFY(hasInkInRows(uncut, textRect.height(), textRect.height()));

    const int x = 64;
    const int y = row * 24;
    QImage cell(63, 23, shot.format());
    for (int cy = 0; cy < cell.height(); ++cy) {
        for (int cx = 0; cx < cell.width(); ++cx)
            cell.setPixelColor(cx, cy, clientPixel(shot, x + cx, y + cy));
    }
    const QPoint offset = textRect.topLeft() - QPoint(x, y);
    QCOMPARE(firstInk(cell), firstInk(reference) + offset);
    QVERIFY2(hasInkInRows(cell, offset.y() + lines.height(), cell.height() - 1), "no second line");
    for (int cy = 0; cy < cell.height(); ++cy) {
        for (int cx = 0; cx < cell.width(); ++cx) {
            const QPoint inRect = QPoint(cx, cy) - offset;
            const QColor expected = reference.rect().contains(inRect) ? reference.pixelColor(inRect)
                                                                      : QColor(Qt::white);
            if (cell.pixelColor(cx, cy) != expected) {
                QFAIL(qPrintable(QStringLiteral("cell pixel (%1,%2) is %3, expected %4")
                                     .arg(cx)
                                     .arg(cy)
                                     .arg(describe(cell.pixelColor(cx, cy)), describe(expected))));
            }
        }
    }
    const QColor rightLine = header ? fixedLine : gridLine;
    const QColor bottomLine = header ? QColor(127, 127, 127) : gridLine;
    for (int cy = y; cy <= y + 23; ++cy)
        QCOMPARE(describe(clientPixel(shot, x + 63, cy)), describe(rightLine));
    for (int cx = x - 1; cx <= x + 62; ++cx)
        QCOMPARE(describe(clientPixel(shot, cx, y + 23)), describe(bottomLine));
}

void ResultGridTest::textWrapsAtSpacesOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("secondLine");
    // Column 1's text rectangle is 58 pixels wide; each text is wider than that.
    QTest::newRow("a number stays on one line") << QStringLiteral("0,96081234567890") << false;
    QTest::newRow("a percentage breaks at its space")
        << QStringLiteral("96,081234 Prozent") << true;
}

// A number is one word: a column too narrow for it cuts it at its edge instead of breaking it
// after the decimal comma; text with a space breaks there.
void ResultGridTest::textWrapsAtSpacesOnly()
{
    QFETCH(QString, text);
    QFETCH(bool, secondLine);
    const QFontMetrics metrics(m_grid->font());
    const platform::TextMetrics lines = platform::textMetrics(m_grid->font());
    QVERIFY(metrics.horizontalAdvance(text) > 58);
    m_grid->setCellText(1, 2, text);
    const QImage shot = image();
    // Normal text starts at (x + 3, y + 3): column 1 at x = 64, row 2 at y = 48.
    QImage textArea(58, 20, shot.format());
    for (int y = 0; y < textArea.height(); ++y)
        for (int x = 0; x < textArea.width(); ++x)
            textArea.setPixelColor(x, y, clientPixel(shot, 64 + 3 + x, 48 + 3 + y));
    QVERIFY(hasInkInRows(textArea, 0, lines.height() - 1));
    QCOMPARE(hasInkInRows(textArea, lines.height(), textArea.height() - 1), secondLine);
    // The first line is the text's beginning, unbroken: what the text drawn on one line shows.
    QImage oneLine(textArea.size(), shot.format());
    oneLine.fill(Qt::white);
    {
        QPainter painter(&oneLine);
        painter.setFont(m_grid->font());
        painter.setPen(QColor(Qt::black));
        painter.drawText(0, lines.ascent, text);
    }
    for (int y = 0; y < lines.height(); ++y)
        for (int x = 0; x < textArea.width(); ++x)
            if (!secondLine && textArea.pixelColor(x, y) != oneLine.pixelColor(x, y))
                QFAIL(qPrintable(QStringLiteral("text pixel (%1,%2) differs").arg(x).arg(y)));
}

// A tab moves the text to the next tab stop, where the measuring of the columns puts it too.
void ResultGridTest::tabsAreExpandedAsTheColumnsAreMeasured()
{
    const QString text = QStringLiteral("1\t2");
    const QFontMetrics metrics(m_grid->font());
    const int expanded = metrics.size(Qt::TextExpandTabs, text).width();
    QVERIFY(expanded > metrics.horizontalAdvance(QStringLiteral("12")) + 10);
    QVERIFY(expanded < 58);
    m_grid->setCellText(1, 2, text);
    const QImage shot = image();
    // The text rectangle of column 1, row 2; its rightmost ink is the end of the "2".
    int rightmost = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 58; ++x)
            if (clientPixel(shot, 64 + 3 + x, 48 + 3 + y) != QColor(Qt::white))
                rightmost = std::max(rightmost, x);
    QImage reference(80, 20, shot.format());
    reference.fill(Qt::white);
    {
        QPainter painter(&reference);
        painter.setFont(m_grid->font());
        painter.setPen(QColor(Qt::black));
        painter.drawText(reference.rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, text);
    }
    int expectedRightmost = -1;
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width(); ++x)
            if (reference.pixelColor(x, y) != QColor(Qt::white))
                expectedRightmost = std::max(expectedRightmost, x);
    QCOMPARE(rightmost, expectedRightmost);
}

void ResultGridTest::writingACellShowsIt()
{
    const auto inkIn = [&](int x0, int y0) {
        const QImage shot = image();
        for (int x = x0 + 3; x < x0 + 60; ++x) {
            for (int y = y0 + 3; y < y0 + 22; ++y) {
                if (clientPixel(shot, x, y) != window)
                    return true;
            }
        }
        return false;
    };
    QVERIFY(!inkIn(64, 72));
    m_grid->setCellText(1, 3, QStringLiteral("0,5"));
    QVERIFY(inkIn(64, 72));
    m_grid->setCellText(1, 7, QStringLiteral("später"));
    m_grid->setRowCount(8);
    QVERIFY(inkIn(64, 7 * 24));
}

void ResultGridTest::scrollBarsOnlyWhenNeeded()
{
    simulate(0);
    QVERIFY(!m_grid->verticalScrollBar()->isVisible());
    QVERIFY(!m_grid->horizontalScrollBar()->isVisible());
    simulate(9);
    QVERIFY(m_grid->verticalScrollBar()->isVisible());
    QCOMPARE(m_grid->verticalScrollBar()->minimum(), 0);
    QCOMPARE(m_grid->verticalScrollBar()->maximum(), 127);
    QVERIFY(!m_grid->horizontalScrollBar()->isVisible());
    m_grid->setDefaultColumnWidth(300);
    QVERIFY(m_grid->horizontalScrollBar()->isVisible());
    QCOMPARE(m_grid->horizontalScrollBar()->maximum(), 127);
    QCOMPARE(m_grid->state().clientWidth(), 614 - m_grid->verticalScrollBar()->sizeHint().width());
    simulate(3);
    QVERIFY(!m_grid->verticalScrollBar()->isVisible());
    QVERIFY(!m_grid->horizontalScrollBar()->isVisible());
    QCOMPARE(m_grid->state().clientWidth(), 614);
    QCOMPARE(m_grid->state().clientHeight(), 250);
}

void ResultGridTest::headerStaysWhileScrolling()
{
    simulate(9);
    m_grid->setFocus();
    QTest::keyClick(m_grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(m_grid->topRow(), 2);
    const QImage shot = image();
    const int x = m_grid->columnWidth(0) + 20;
    // Below the header texts.
    for (int row = 16; row <= 21; ++row)
        QCOMPARE(describe(clientPixel(shot, x, row)), describe(gradientColour(row, 21)));
    QCOMPARE(describe(clientPixel(shot, x, 23)), describe(headerBottomLine));
    QCOMPARE(m_grid->verticalScrollBar()->value(), 127);
}

void ResultGridTest::scrollBarArrowsPagesAndThumb()
{
    simulate(30);
    QScrollBar* bar = m_grid->verticalScrollBar();
    // 32 rows; 9 normal rows fit below the header in 226 pixels, so TopRow goes up to 23.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(m_grid->topRow(), 2);
    QCOMPARE(bar->value(), 6); // 1 x 127 / 22 = 5.77
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(m_grid->topRow(), 10);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(m_grid->topRow(), 2);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(m_grid->topRow(), 23);
    QCOMPARE(bar->value(), 127);

    // Dragging moves the view only on release.
    bar->setSliderDown(true);
    bar->setSliderPosition(64);
    QCOMPARE(m_grid->topRow(), 23);
    bar->setSliderDown(false);
    QCOMPARE(m_grid->topRow(), 12); // 1 + 64 x 22 / 127 = 12.09
    QCOMPARE(bar->value(), 64);     // (12 - 1) x 127 / 22 = 63.5
    QCOMPARE(m_grid->currentRow(), 1);
}

// The widget only maps keys to the state's verbs; what each verb does is the state's, tested in
// ResultGridStateTest.
void ResultGridTest::keysMapToCommands_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<std::optional<GridKeyCommand>>("command");
    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    const int ctrl = Qt::ControlModifier;
    const int keypad = Qt::KeypadModifier;
    const int alt = Qt::AltModifier;
    const int meta = Qt::MetaModifier;
    using Verb = GridKeyCommand::Verb;
    const std::optional<GridKeyCommand> nothing;
    const auto move = [](GridKey key, bool shifted, bool ctrled) {
        return std::optional(GridKeyCommand{Verb::Move, key, shifted, ctrled});
    };
    const std::optional selectAll(GridKeyCommand{Verb::SelectAll});
    QTest::newRow("Down") << int(Qt::Key_Down) << none << move(GridKey::Down, false, false);
    QTest::newRow("Up") << int(Qt::Key_Up) << none << move(GridKey::Up, false, false);
    QTest::newRow("Left") << int(Qt::Key_Left) << none << move(GridKey::Left, false, false);
    QTest::newRow("Right") << int(Qt::Key_Right) << none << move(GridKey::Right, false, false);
    QTest::newRow("Home") << int(Qt::Key_Home) << none << move(GridKey::Home, false, false);
    QTest::newRow("End") << int(Qt::Key_End) << none << move(GridKey::End, false, false);
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << none
                              << move(GridKey::PageDown, false, false);
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << none << move(GridKey::PageUp, false, false);
    QTest::newRow("CtrlHome") << int(Qt::Key_Home) << ctrl << move(GridKey::Home, false, true);
    QTest::newRow("CtrlEnd") << int(Qt::Key_End) << ctrl << move(GridKey::End, false, true);
    QTest::newRow("CtrlPageDown") << int(Qt::Key_PageDown) << ctrl
                                  << move(GridKey::PageDown, false, true);
    QTest::newRow("CtrlPageUp") << int(Qt::Key_PageUp) << ctrl
                                << move(GridKey::PageUp, false, true);
    QTest::newRow("CtrlDown") << int(Qt::Key_Down) << ctrl << move(GridKey::Down, false, true);
    QTest::newRow("ShiftDown") << int(Qt::Key_Down) << shift << move(GridKey::Down, true, false);
    QTest::newRow("ShiftCtrlEnd") << int(Qt::Key_End) << (shift | ctrl)
                                  << move(GridKey::End, true, true);
    QTest::newRow("ShiftEnd") << int(Qt::Key_End) << shift << move(GridKey::End, true, false);
    QTest::newRow("KeypadDown") << int(Qt::Key_Down) << keypad << move(GridKey::Down, false, false);
    QTest::newRow("KeypadShiftUp")
        << int(Qt::Key_Up) << (keypad | shift) << move(GridKey::Up, true, false);
    QTest::newRow("CtrlA") << int(Qt::Key_A) << ctrl << selectAll;
    QTest::newRow("ShiftCtrlA") << int(Qt::Key_A) << (shift | ctrl) << selectAll;
    QTest::newRow("A") << int(Qt::Key_A) << none << nothing;
    QTest::newRow("AltDown") << int(Qt::Key_Down) << alt << nothing;
    QTest::newRow("MetaHome") << int(Qt::Key_Home) << meta << nothing;
    QTest::newRow("AltCtrlA") << int(Qt::Key_A) << (alt | ctrl) << nothing;
    QTest::newRow("Return") << int(Qt::Key_Return) << none << nothing;
    QTest::newRow("F2") << int(Qt::Key_F2) << none << nothing;
    QTest::newRow("CtrlC") << int(Qt::Key_C) << ctrl << nothing;
    QTest::newRow("ShiftInsert") << int(Qt::Key_Insert) << shift << nothing;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << none << nothing;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << nothing;
}

void ResultGridTest::keysMapToCommands()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QTEST(gridKeyCommand(key, Qt::KeyboardModifiers(modifiers)), "command");
}

// A key press goes to the state and the view follows it.
void ResultGridTest::aKeyPressReachesTheState()
{
    simulate(18);
    m_grid->setFocus();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(m_grid, Qt::Key_Down);
    QTest::keyClick(m_grid, Qt::Key_Right);
    QCOMPARE(m_grid->currentColumn(), 1);
    QCOMPARE(m_grid->currentRow(), 5);
    QTest::keyClick(m_grid, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(m_grid->selection(), (GridRect{0, 1, 4, 19}));
}

void ResultGridTest::unusedKeysChangeNothing()
{
    simulate(9);
    m_grid->setFocus();
    QTest::keyClick(m_grid, Qt::Key_Down, Qt::ShiftModifier);
    const GridRect before = m_grid->selection();
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {{Qt::Key_Return, Qt::NoModifier}, {Qt::Key_F2, Qt::NoModifier},
                {Qt::Key_X, Qt::NoModifier},      {Qt::Key_C, Qt::ControlModifier},
                {Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier},
                {Qt::Key_Delete, Qt::NoModifier}, {Qt::Key_Escape, Qt::NoModifier},
                {Qt::Key_Down, Qt::AltModifier}};
    for (const auto& press : keys)
        QTest::keyClick(m_grid, press.key, press.modifiers);
    QCOMPARE(m_grid->selection(), before);
    QCOMPARE(m_grid->cellText(0, 1), QStringLiteral("0 Triebwerke"));
    QVERIFY(m_grid->hasFocus());
}

void ResultGridTest::tabLeavesTheGrid_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("forward");
    QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << true;
    // The window system reports Shift+Tab as Backtab; Qt's own key events may say Tab with Shift.
    QTest::newRow("Backtab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << false;
    QTest::newRow("ShiftTab") << int(Qt::Key_Tab) << int(Qt::ShiftModifier) << false;
}

// The grid neither moves nor selects on Tab; the focus goes to the control after it or, with
// Shift, to the one before it.
void ResultGridTest::tabLeavesTheGrid()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, forward);
    auto* next = new QLineEdit(m_holder.get());
    next->setGeometry(200, 300, 100, 20);
    next->show();
    simulate(9);
    m_grid->setFocus();
    QTest::keyClick(m_grid, Qt::Key_Down, Qt::ShiftModifier);
    const GridRect selection = m_grid->selection();
    const GridCoord current = m_grid->state().current();

    QTest::keyClick(m_grid, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
    QWidget* const expected = forward ? static_cast<QWidget*>(next) : m_neighbour;
    QCOMPARE(QApplication::focusWidget(), expected);
    QCOMPARE(m_grid->selection(), selection);
    QCOMPARE(m_grid->state().current(), current);
}

void ResultGridTest::mousePressSelectsAndFocuses()
{
    simulate(9);
    m_neighbour->setFocus();
    const int col2 = m_grid->columnWidth(0) + m_grid->columnWidth(1) + 5;
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(col2, 24 * 3 + 5));
    QVERIFY(m_grid->hasFocus());
    QCOMPARE(m_grid->currentColumn(), 2);
    QCOMPARE(m_grid->currentRow(), 3);
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 24 * 5 + 5));
    QCOMPARE(m_grid->selection(), (GridRect{0, 3, 2, 5}));
    QCOMPARE(m_grid->currentColumn(), 2);
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    // A header click changes nothing.
    QCOMPARE(m_grid->selection(), (GridRect{0, 3, 2, 5}));
}

void ResultGridTest::otherButtonsAndDoubleClicksDoNothing()
{
    simulate(9);
    m_neighbour->setFocus();
    QTest::mouseClick(m_grid->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(5, 24 * 4 + 5));
    QVERIFY(!m_grid->hasFocus());
    QCOMPARE(m_grid->currentRow(), 1);
    sendMouse(QEvent::MouseButtonDblClick, QPoint(5, 24 * 6 + 5), Qt::LeftButton, Qt::LeftButton);
    sendMouse(QEvent::MouseButtonRelease, QPoint(5, 24 * 6 + 5), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(m_grid->currentRow(), 1);
}

void ResultGridTest::dragMovesTheAnchorAndAutoScrolls()
{
    simulate(30);
    sendMouse(QEvent::MouseButtonPress, QPoint(5, 24 * 2 + 5), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(m_grid->currentRow(), 2);
    const int col1 = m_grid->columnWidth(0) + 5;
    sendMouse(QEvent::MouseMove, QPoint(col1, 24 * 4 + 5), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(m_grid->selection(), (GridRect{0, 2, 1, 4}));
    // Below the client area the timer walks the anchor down and scrolls.
    sendMouse(QEvent::MouseMove, QPoint(col1, 400), Qt::NoButton, Qt::LeftButton);
    QTRY_VERIFY(m_grid->state().anchor().row >= 12);
    QVERIFY(m_grid->topRow() > 1);
    QCOMPARE(m_grid->currentRow(), 2);
    sendMouse(QEvent::MouseButtonRelease, QPoint(col1, 400), Qt::LeftButton, Qt::NoButton);
    const GridCoord released = m_grid->state().anchor();
    QTest::qWait(200);
    QCOMPARE(m_grid->state().anchor(), released);
}

// The timer runs while the left button selects. Each tick moves the anchor one cell towards the
// pointer when it lies beyond the fully visible normal cells, and none while it lies over them.
void ResultGridTest::autoScrollTimerStepsOneCellPerTick()
{
    simulate(30);
    const int col1 = m_grid->columnWidth(0) + 5;
    const int right = m_grid->state().cols().fullyVisibleEnd();
    QVERIFY(right < m_grid->state().clientWidth());
    AutoScrollTimerWatch watch(*m_grid);
    sendMouse(QEvent::MouseButtonPress, QPoint(col1, 24 * 5 + 5), Qt::LeftButton, Qt::LeftButton);
    sendMouse(QEvent::MouseMove, QPoint(col1, 400), Qt::NoButton, Qt::LeftButton);
    QTRY_VERIFY(watch.steps().size() >= 3);
    for (const QPoint& step : watch.steps())
        QCOMPARE(step, QPoint(0, 1));
    QTimer* const timer = watch.timer();
    QCOMPARE(timer->interval(), 60);
    QVERIFY(timer->isActive());
    QVERIFY(!timer->isSingleShot());

    // From here on the timeouts are the test's own; no event is processed in between.
    const struct
    {
        QPoint pointer;
        QPoint step;
    } ticks[] = {{{col1, 400}, {0, 1}},        {{right + 2, 24 * 4}, {1, 0}},
                 {{-3, 24 * 4}, {-1, 0}},      {{col1, 10}, {0, -1}},
                 {{col1, -10}, {0, -1}},       {{right + 2, 300}, {1, 1}},
                 {{right - 2, 24 * 4}, {0, 0}}};
    for (const auto& tick : ticks) {
        sendMouse(QEvent::MouseMove, tick.pointer, Qt::NoButton, Qt::LeftButton);
        const GridCoord before = m_grid->state().anchor();
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection));
        const GridCoord after = m_grid->state().anchor();
        QCOMPARE(QPoint(after.col - before.col, after.row - before.row), tick.step);
        QVERIFY(m_grid->topRow() <= after.row);
        QVERIFY(after.row <= m_grid->state().rows().lastFullyVisible());
        QCOMPARE(m_grid->state().current(), (GridCoord{1, 5}));
    }

    sendMouse(QEvent::MouseButtonRelease, QPoint(col1, 400), Qt::LeftButton, Qt::NoButton);
    QVERIFY(!timer->isActive());
    // A press on the header selects nothing and starts no timer.
    sendMouse(QEvent::MouseButtonPress, QPoint(col1, 10), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(!timer->isActive());
    sendMouse(QEvent::MouseButtonRelease, QPoint(col1, 10), Qt::LeftButton, Qt::NoButton);
    sendMouse(QEvent::MouseButtonPress, QPoint(col1, 24 * 2 + 5), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(timer->isActive());
    sendMouse(QEvent::MouseButtonRelease, QPoint(col1, 24 * 2 + 5), Qt::LeftButton, Qt::NoButton);
    QVERIFY(!timer->isActive());
}

void ResultGridTest::wheelMovesTheCurrentRow()
{
    simulate(9);
    QCOMPARE(m_grid->wheelScrollLines(), 3);
    m_grid->setFocus();
    QTest::keyClick(m_grid, Qt::Key_Down, Qt::ShiftModifier);
    sendWheel(m_grid->viewport(), -120, Qt::NoModifier);
    QCOMPARE(m_grid->selection(), (GridRect{0, 5, 0, 5}));
    sendWheel(m_grid->viewport(), -1, Qt::NoModifier);
    // A small step is a whole step, over the scroll bar too; and the last row stays.
    QCOMPARE(m_grid->currentRow(), 8);
    sendWheel(m_grid->verticalScrollBar(), 240, Qt::NoModifier);
    QCOMPARE(m_grid->currentRow(), 5);
    QTest::keyClick(m_grid, Qt::Key_End, Qt::ControlModifier);
    sendWheel(m_grid->viewport(), -120, Qt::NoModifier);
    QCOMPARE(m_grid->currentRow(), 10);
}

void ResultGridTest::wheelLinesAreReadWhenTheGridIsCreated_data()
{
    QTest::addColumn<int>("atCreation");
    QTest::addColumn<int>("later");
    QTest::newRow("1, then 5") << 1 << 5;
    QTest::newRow("3, then 1") << 3 << 1;
    QTest::newRow("5, then 3") << 5 << 3;
}

// Changing the system setting later moves neither the current row nor the zoom by the new amount.
void ResultGridTest::wheelLinesAreReadWhenTheGridIsCreated()
{
    QFETCH(int, atCreation);
    QFETCH(int, later);
    const int original = QApplication::wheelScrollLines();
    const auto restore = qScopeGuard([original] { QApplication::setWheelScrollLines(original); });
    QApplication::setWheelScrollLines(atCreation);
    auto* grid = new ResultGrid(m_holder.get());
    grid->setGeometry(0, 0, 618, 254);
    grid->show();
    grid->setRowCount(30);
    QApplication::setWheelScrollLines(later);

    QCOMPARE(grid->wheelScrollLines(), atCreation);
    sendWheel(grid->viewport(), -120, Qt::NoModifier);
    QCOMPARE(grid->currentRow(), 1 + atCreation);
    sendWheel(grid->viewport(), -120, Qt::NoModifier);
    QCOMPARE(grid->currentRow(), 1 + 2 * atCreation);
    sendWheel(grid->viewport(), 120, Qt::NoModifier);
    QCOMPARE(grid->currentRow(), 1 + atCreation);
    sendWheel(grid->viewport(), 120, Qt::ControlModifier);
    QCOMPARE(grid->zoomFactor(), atCreation);
    QCOMPARE(grid->rowHeight(1), 24 + atCreation);
}

void ResultGridTest::ctrlWheelZooms()
{
    simulate(9);
    QList<int> widths;
    for (int col = 0; col < 5; ++col)
        widths << m_grid->columnWidth(col);
    int zoom = 0;
    for (int step = 1; step <= 7; ++step) {
        sendWheel(m_grid->viewport(), 120, Qt::ControlModifier);
        if (step < 7)
            zoom += 3;
        QCOMPARE(m_grid->zoomFactor(), zoom);
        for (int col = 0; col < 5; ++col)
            QCOMPARE(m_grid->columnWidth(col), widths[col] + zoom);
        QCOMPARE(m_grid->rowHeight(0), 24 + zoom);
        QCOMPARE(m_grid->rowHeight(10), 24 + zoom);
    }
    sendWheel(m_grid->viewport(), -120, Qt::ControlModifier);
    QCOMPARE(m_grid->zoomFactor(), 15);
    QCOMPARE(m_grid->currentRow(), 1);
}

void ResultGridTest::zoomedRowsArePaintedTaller()
{
    m_grid->zoom(3);
    const QImage shot = image();
    const int x = 67; // column 1 starts at 64 + 3
    QCOMPARE(describe(clientPixel(shot, x + 30, 26)), describe(headerBottomLine));
    QCOMPARE(describe(clientPixel(shot, x + 30, 24)), describe(gradientColour(24, 24)));
    QCOMPARE(describe(clientPixel(shot, x + 30, 12)), describe(gradientColour(12, 24)));
    QCOMPARE(clientPixel(shot, 66, 40), gridLine);
    QCOMPARE(clientPixel(shot, 30, 27 + 26), gridLine);
}

void ResultGridTest::autoSizeColumnsMeasuresInTheGridFonts()
{
    simulate(12);
    const QFontMetrics normal(m_grid->font());
    const QFontMetrics bold(m_grid->fixedFont());
    const QString widest[] = {QStringLiteral("12 Triebwerke"), QStringLiteral("0,000045"),
                              QStringLiteral("0,005 Prozent"), QStringLiteral("0,387420"),
                              QStringLiteral("38,742 Prozent")};
    for (int col = 0; col < 5; ++col) {
        int m = bold.horizontalAdvance(QString::fromUtf8(headers[col]));
        for (int i = 0; i <= 12; ++i) {
            const QString text = col == 0 ? QStringLiteral("%1 Triebwerke").arg(i) : widest[col];
            m = std::max(m, normal.horizontalAdvance(text));
        }
        QCOMPARE(m_grid->columnWidth(col), std::max(10, m + 8) + 4);
    }
    m_grid->setColumnCount(6);
    m_grid->autoSizeColumns(true, 4);
    QCOMPARE(m_grid->columnWidth(5), 14);

    const int before = m_grid->columnWidth(0);
    m_grid->zoom(4);
    m_grid->autoSizeColumns(true, 4);
    QVERIFY(m_grid->columnWidth(0) > before + 4);
}

// Texts that share a shape are measured once; each must still get its own exact width.
void ResultGridTest::measurerAgreesWithTheFontForEveryNumber()
{
    const GridFonts fonts{m_grid->font(), m_grid->fixedFont(), 96};
    FontTextMeasurer measurer(fonts);
    const QFontMetrics normal(fonts.font);
    const QFontMetrics zoomed(fonts.zoomed(GridFont::Normal, 5));
    const QFontMetrics bold(fonts.fixedFont);
    for (int i = 0; i < 3000; i += 7) {
        const QString texts[] = {QStringLiteral("%1 Triebwerke").arg(i * 331),
                                 QStringLiteral("0,%1").arg(i * 97, 6, 10, QLatin1Char('0')),
                                 QStringLiteral("%1,%2 Prozent").arg(i % 101).arg(i % 1000),
                                 QStringLiteral("x%1y-%1.%1/%1").arg(i)};
        for (const QString& text : texts) {
            const QByteArray utf8 = text.toUtf8();
            const std::string_view view(utf8.constData(), static_cast<std::size_t>(utf8.size()));
            QCOMPARE(measurer.textWidth(view, GridFont::Normal, 0), normal.horizontalAdvance(text));
            QCOMPARE(measurer.textWidth(view, GridFont::Fixed, 0), bold.horizontalAdvance(text));
            QCOMPARE(measurer.textWidth(view, GridFont::Normal, 5), zoomed.horizontalAdvance(text));
        }
    }
    QCOMPARE(measurer.textWidth("a\tb&c\nlonger line", GridFont::Normal, 0),
             normal.size(Qt::TextExpandTabs, QStringLiteral("a\tb&c\nlonger line")).width());
}

// Two billion rows cost no row memory; painting and the keys reach the last row all the same.
void ResultGridTest::hugeGridPaintsAndMovesToItsEnds()
{
    const int rows = 2'000'000'000;
    m_grid->setRowCount(rows);
    QScrollBar* bar = m_grid->verticalScrollBar();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), 0);
    QCOMPARE(clientPixel(image(), 30, 24 + 10), selection);

    m_grid->setFocus();
    QTest::keyClick(m_grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(m_grid->currentRow(), rows - 1);
    QCOMPARE(m_grid->currentColumn(), 1);
    // Nine rows fit fully below the header in 250 pixels.
    QCOMPARE(m_grid->topRow(), rows - 9);
    QCOMPARE(bar->value(), 127);
    const QImage end = image();
    QCOMPARE(clientPixel(end, 64 + 30, 24 + 8 * 24 + 10), selection);
    QCOMPARE(clientPixel(end, 30, 24 + 8 * 24 + 10), window);
    QCOMPARE(clientPixel(end, 30, 24 + 9 * 24 - 1), gridLine);
    QCOMPARE(clientPixel(end, 30, 24 + 9 * 24 + 2), window);

    QTest::keyClick(m_grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(m_grid->currentRow(), 1);
    QCOMPARE(m_grid->currentColumn(), 0);
    QCOMPARE(m_grid->topRow(), 1);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(clientPixel(image(), 30, 24 + 10), selection);
    QVERIFY(!m_grid->state().hasRowHeightList());
}

void ResultGridTest::ctrlWheelOnAHugeGridFails_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("overScrollBar");
    // A row height list holds at most 134,217,725 rows.
    QTest::newRow("one row too many") << 134'217'726 << false;
    QTest::newRow("two billion rows") << 2'000'000'000 << false;
    QTest::newRow("over the scroll bar") << 134'217'726 << true;
}

// The zoom's error leaves the event handler, for the application object to show, and the grid
// is as before.
void ResultGridTest::ctrlWheelOnAHugeGridFails()
{
    QFETCH(int, rows);
    QFETCH(bool, overScrollBar);
    m_grid->setRowCount(rows);
    QWidget* const target =
        overScrollBar ? static_cast<QWidget*>(m_grid->verticalScrollBar()) : m_grid->viewport();
    bool thrown = false;
    try {
        sendWheel(target, 120, Qt::ControlModifier);
    } catch (const EInvalidGridOperation& error) {
        thrown = true;
        QCOMPARE(QString::fromStdString(error.message()),
                 QStringLiteral("Gitter zu groß für Operation"));
        QCOMPARE(QByteArray(error.className()), QByteArray("EInvalidGridOperation"));
    }
    QVERIFY(thrown);
    QCOMPARE(m_grid->zoomFactor(), 0);
    QCOMPARE(m_grid->rowCount(), rows);
    QCOMPARE(m_grid->columnCount(), 2);
    QCOMPARE(m_grid->columnWidth(0), 64);
    QCOMPARE(m_grid->rowHeight(1), 24);
    QVERIFY(!m_grid->state().hasRowHeightList());
    QVERIFY(!m_grid->state().hasColumnWidthList());

    // The grid goes on working: the next wheel step without Ctrl moves the current row.
    sendWheel(target, -120, Qt::NoModifier);
    QCOMPARE(m_grid->currentRow(), 4);
    QCOMPARE(clientPixel(image(), 30, 24 * 4 + 10), selection);
}

QTEST_MAIN(ResultGridTest)
#include "ResultGridTest.moc"
