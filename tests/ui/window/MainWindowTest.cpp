#include "ui/window/MainWindow.h"

#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/desktop/Clipboard.h"
#include "platform/desktop/Fonts.h"
#include "platform/desktop/MessageBoxes.h"
#include "presentation/FormatSettings.h"
#include "support/FakeClipboard.h"
#include "support/RecordedBoxes.h"
#include "ui/field/NumberField.h"
#include "ui/grid/ResultGrid.h"
#include "ui/grid/ResultGridAccessible.h"
#include "ui/window/Application.h"
#include "ui/window/FramedPanel.h"

#include <QAccessible>
#include <QGroupBox>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

namespace {

QString cell(const ResultGrid* grid, int column, int row)
{
    return grid->cellText(column, row);
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<platform::ScopedLocale> m_locale;
    RecordedBoxes m_boxes;
    FakeClipboard m_clipboard;
    std::unique_ptr<platform::ScopedMessageBoxes> m_scopedBoxes;
    std::unique_ptr<platform::ScopedClipboard> m_scopedClipboard;
    std::unique_ptr<MainWindow> m_form;

    MainWindow& form() { return *m_form; }

    void useLocale(const char16_t* decimal, const char16_t* thousand)
    {
        m_locale.reset();
        m_locale = std::make_unique<platform::ScopedLocale>(
            platform::LocaleFormats{decimal, thousand, u""});
        loadFormatSettings();
    }

    void setInputs(const QString& engines, const QString& reliability, const QString& runs)
    {
        form().engineCountField()->setEditText(engines);
        form().reliabilityField()->setEditText(reliability);
        form().runCountField()->setEditText(runs);
    }

    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    QString lastBoxText() const
    {
        return m_boxes.boxes.empty() ? QString() : m_boxes.boxes.back().text;
    }

private slots:
    void init()
    {
        useLocale(u",", u".");
        m_boxes.boxes.clear();
        m_clipboard = FakeClipboard();
        m_clipboard.content = QStringLiteral("vorher");
        m_scopedBoxes = std::make_unique<platform::ScopedMessageBoxes>(m_boxes);
        m_scopedClipboard = std::make_unique<platform::ScopedClipboard>(m_clipboard);
        // Every simulation starts from state 4711.
        m_form = std::make_unique<MainWindow>(96, nullptr, [] { return 4711u; });
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void cleanup()
    {
        m_form.reset();
        m_scopedClipboard.reset();
        m_scopedBoxes.reset();
        m_locale.reset();
    }

    void startsWithTheLayoutsTextsAndTheFocusInTheEngineField()
    {
        QCOMPARE(form().windowTitle(),
                 QStringLiteral("Ausfallwahrscheinlichkeit von Raketentriebwerken"));
        QCOMPARE(form().size(), QSize(618, 307));
        QCOMPARE(form().engineCountField()->text(), QStringLiteral("9"));
        QCOMPARE(form().reliabilityField()->text(), QStringLiteral("0,999"));
        QCOMPARE(form().runCountField()->text(), QStringLiteral("1000000"));
        QCOMPARE(form().simulateButton()->text(), QStringLiteral("Simulieren"));
        QCOMPARE(form().clipboardButton()->text(), QStringLiteral("ins Clipboard"));
        QVERIFY(form().engineCountField()->hasFocus());
        QCOMPARE(form().engineCountField()->selectedText(), QStringLiteral("9"));
        QCOMPARE(form().resultGrid()->rowCount(), 5);
        QCOMPARE(form().resultGrid()->columnCount(), 2);
        QCOMPARE(form().inputPanel()->geometry(), QRect(0, 0, 618, 53));
        QCOMPARE(form().resultGrid()->geometry(), QRect(0, 53, 618, 254));
    }

    void aPointLocaleShowsAndReadsTheInitialReliability()
    {
        useLocale(u".", u",");
        MainWindow pointForm(96);
        QCOMPARE(pointForm.reliabilityField()->text(), QStringLiteral("0.999"));
        QCOMPARE(pointForm.reliabilityField()->asFloat(), 0.999);
    }

    void simulierenFillsTheTableOfTheSimulation()
    {
        click(form().simulateButton());
        QVERIFY(m_boxes.boxes.empty());
        // The initial inputs, 9 engines at 0,999 and 1000000 runs, from state 4711: 991108 runs
        // without a failure, 8864 with one, 28 with two (tests/cli/reference_report.py).
        const char* const expected[10][5] = {
            {"0 Triebwerke", "0,991108", "99,111 Prozent", "0,000000", "0,000 Prozent"},
            {"1 Triebwerke", "0,008864", "0,886 Prozent", "0,008864", "0,886 Prozent"},
            {"2 Triebwerke", "0,000028", "0,003 Prozent", "0,008892", "0,889 Prozent"},
            {"3 Triebwerke", "0,000000", "0,000 Prozent", "0,008892", "0,889 Prozent"},
            {"4 Triebwerke", "0,000000", "0,000 Prozent", "0,008892", "0,889 Prozent"},
            {"5 Triebwerke", "0,000000", "0,000 Prozent", "0,008892", "0,889 Prozent"},
            {"6 Triebwerke", "0,000000", "0,000 Prozent", "0,008892", "0,889 Prozent"},
            {"7 Triebwerke", "0,000000", "0,000 Prozent", "0,008892", "0,889 Prozent"},
            {"8 Triebwerke", "0,000000", "0,000 Prozent", "0,008892", "0,889 Prozent"},
            {"9 Triebwerke", "0,000000", "0,000 Prozent", "0,008892", "0,889 Prozent"},
        };
        QCOMPARE(form().resultGrid()->rowCount(), 11);
        QCOMPARE(form().resultGrid()->columnCount(), 5);
        QCOMPARE(form().resultGrid()->fixedRowCount(), 1);
        const QStringList headers = {QStringLiteral("Ausgefallene Triebwerke"),
                                     QStringLiteral("Wahrscheinlichkeit"),
                                     QStringLiteral("Prozentwert"), QStringLiteral("Summiert"),
                                     QStringLiteral("Summiert Prozent")};
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(cell(form().resultGrid(), column, 0), headers[column]);
            for (int row = 1; row <= 10; ++row)
                QCOMPARE(cell(form().resultGrid(), column, row),
                         QString::fromUtf8(expected[row - 1][column]));
        }
        QCOMPARE(cell(form().resultGrid(), 0, 10), QStringLiteral("9 Triebwerke"));
    }

    // A reader hears what the grid holds: nothing before the first simulation, then the table
    // of the simulation, named, with one row per failure count of the nine engines.
    void aReaderIsToldWhatTheGridHolds()
    {
        auto* table = dynamic_cast<ResultGridAccessible*>(
            QAccessible::queryAccessibleInterface(form().resultGrid()));
        QVERIFY(table != nullptr);
        QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Ergebnis"));
        QCOMPARE(table->text(QAccessible::Description), QStringLiteral("noch keine Ergebnisse"));
        click(form().simulateButton());
        QCOMPARE(table->newTableMessage(), QStringLiteral("Ergebnis: 10 Zeilen, 5 Spalten"));
        QCOMPARE(table->cellAt(1, 1)->text(QAccessible::Description),
                 QStringLiteral("Wahrscheinlichkeit ") + cell(form().resultGrid(), 1, 2) +
                     QStringLiteral(", 1 Triebwerke"));
    }

    void aShorterTableFollowsALongerOne()
    {
        click(form().simulateButton());
        setInputs(QStringLiteral("3"), QStringLiteral("0,999"), QStringLiteral("1000"));
        click(form().simulateButton());
        QCOMPARE(form().resultGrid()->rowCount(), 5);
        QCOMPARE(cell(form().resultGrid(), 0, 4), QStringLiteral("3 Triebwerke"));
        setInputs(QStringLiteral("0"), QStringLiteral("0,999"), QStringLiteral("7"));
        click(form().simulateButton());
        QCOMPARE(form().resultGrid()->rowCount(), 2);
        QCOMPARE(cell(form().resultGrid(), 1, 1), QStringLiteral("1,000000"));
        QCOMPARE(cell(form().resultGrid(), 3, 1), QStringLiteral("0,000000"));
    }

    void theDeterminedReliabilitiesFillTheirRows()
    {
        setInputs(QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("5"));
        click(form().simulateButton());
        QCOMPARE(cell(form().resultGrid(), 1, 4), QStringLiteral("1,000000"));
        QCOMPARE(cell(form().resultGrid(), 4, 4), QStringLiteral("100,000 Prozent"));
        QCOMPARE(cell(form().resultGrid(), 1, 1), QStringLiteral("0,000000"));

        for (const QString& noFailure : {QStringLiteral("1"), QStringLiteral("100")}) {
            setInputs(QStringLiteral("3"), noFailure, QStringLiteral("5"));
            click(form().simulateButton());
            QCOMPARE(cell(form().resultGrid(), 1, 1), QStringLiteral("1,000000"));
            QCOMPARE(cell(form().resultGrid(), 3, 4), QStringLiteral("0,000000"));
        }

        setInputs(QStringLiteral("2"), QStringLiteral("99,9"), QStringLiteral("1000"));
        click(form().simulateButton());
        // 99,9 is read as 99.9 percent: one run in 1000 from state 4711 has a failure.
        QCOMPARE(cell(form().resultGrid(), 1, 1), QStringLiteral("0,999000"));
        QCOMPARE(cell(form().resultGrid(), 1, 2), QStringLiteral("0,001000"));
    }

    void negativeRunsShowZerosWithoutAnError()
    {
        setInputs(QStringLiteral("2"), QStringLiteral("0,5"), QStringLiteral("-3"));
        click(form().simulateButton());
        QVERIFY(m_boxes.boxes.empty());
        for (int row = 1; row <= 3; ++row) {
            QCOMPARE(cell(form().resultGrid(), 0, row),
                     QStringLiteral("%1 Triebwerke").arg(row - 1));
            QCOMPARE(cell(form().resultGrid(), 1, row), QStringLiteral("0,000000"));
            QCOMPARE(cell(form().resultGrid(), 4, row), QStringLiteral("0,000 Prozent"));
        }
    }

    void zeroRunsStopAfterTheFirstCountWithTheInvalidOperation()
    {
        click(form().simulateButton());
        const QString earlier = cell(form().resultGrid(), 1, 1);
        setInputs(QStringLiteral("2"), QStringLiteral("0,999"), QStringLiteral("0"));
        click(form().simulateButton());
        QCOMPARE(m_boxes.boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes.boxes[0].icon, platform::MessageBoxes::Icon::Stop);
        QCOMPARE(m_boxes.boxes[0].title, Application::instance()->title());
        QCOMPARE(m_boxes.boxes[0].text, QStringLiteral("Ungültige Gleitkommaoperation."));
        QCOMPARE(form().resultGrid()->rowCount(), 4);
        QCOMPARE(cell(form().resultGrid(), 0, 1), QStringLiteral("0 Triebwerke"));
        QCOMPARE(cell(form().resultGrid(), 1, 1), earlier);
        for (int column = 0; column < 5; ++column)
            QCOMPARE(form().resultGrid()->columnWidth(column), 120);
    }

    // The rows of a table the grid shows come back from under a shorter one, and a failed click
    // shows what it wrote over both.
    void aFailedClickShowsTheEarlierTablesBeneathWhatItWrote()
    {
        const auto texts = [this](int firstRow, int lastRow) {
            QStringList shown;
            for (int row = firstRow; row <= lastRow; ++row) {
                for (int column = 0; column < 5; ++column)
                    shown.append(cell(form().resultGrid(), column, row));
            }
            return shown;
        };
        setInputs(QStringLiteral("9"), QStringLiteral("0,5"), QStringLiteral("1000"));
        click(form().simulateButton());
        const QStringList nineEngines = texts(1, 10);
        setInputs(QStringLiteral("3"), QStringLiteral("0,7"), QStringLiteral("77"));
        click(form().simulateButton());
        const QStringList threeEngines = texts(1, 4);
        QVERIFY(threeEngines != nineEngines.mid(0, 20));

        setInputs(QStringLiteral("9"), QStringLiteral("0,5"), QStringLiteral("0"));
        click(form().simulateButton());
        QCOMPARE(lastBoxText(), QStringLiteral("Ungültige Gleitkommaoperation."));
        QCOMPARE(form().resultGrid()->rowCount(), 11);
        QCOMPARE(cell(form().resultGrid(), 0, 1), QStringLiteral("0 Triebwerke"));
        QCOMPARE(texts(1, 1).mid(1), threeEngines.mid(1, 4));
        QCOMPARE(texts(2, 4), threeEngines.mid(5));
        QCOMPARE(texts(5, 10), nineEngines.mid(20));
    }

    // A table keeps the separator it was made with; the next click takes the new one.
    void aLocaleChangeLeavesTheShownTableAsItWas()
    {
        click(form().simulateButton());
        QCOMPARE(cell(form().resultGrid(), 1, 2), QStringLiteral("0,008864"));
        m_locale.reset();
        m_locale =
            std::make_unique<platform::ScopedLocale>(platform::LocaleFormats{u".", u",", u""});
        QEvent change(QEvent::LocaleChange);
        QApplication::sendEvent(Application::instance(), &change);
        QCOMPARE(formatSettings.decimalSeparator, u'.');
        QCOMPARE(cell(form().resultGrid(), 1, 2), QStringLiteral("0,008864"));
        QCOMPARE(cell(form().resultGrid(), 4, 10), QStringLiteral("0,889 Prozent"));
        click(form().simulateButton());
        QVERIFY(cell(form().resultGrid(), 1, 2).startsWith(QStringLiteral("0.")));
        QCOMPARE(cell(form().resultGrid(), 4, 10).right(12), QStringLiteral(".000 Prozent"));
    }

    // Two million rows are shown, read and sized without a text stored for each: the grid holds
    // the header's texts alone.
    void aLongTableIsShownFromItsData()
    {
        setInputs(QStringLiteral("2000000"), QStringLiteral("0,999999"), QStringLiteral("1"));
        click(form().simulateButton());
        QVERIFY(m_boxes.boxes.empty());
        const ResultGrid* grid = form().resultGrid();
        QCOMPARE(grid->rowCount(), 2'000'002);
        QCOMPARE(grid->state().cellStore().size(), std::size_t{5});
        QCOMPARE(cell(grid, 0, 2'000'001), QStringLiteral("2000000 Triebwerke"));
        // One run: a single count of 1, a share of 1 there and 0 elsewhere.
        int failed = -1;
        for (int row = 1; row <= 2'000'001 && failed < 0; row += 1) {
            if (cell(grid, 1, row) == QStringLiteral("1,000000"))
                failed = row;
            else if (row % 100'000 == 0)
                QCOMPARE(cell(grid, 1, row), QStringLiteral("0,000000"));
        }
        QVERIFY(failed > 0);
        QCOMPARE(cell(grid, 2, failed), QStringLiteral("100,000 Prozent"));
        // The running sums start at count 1: the row of 0 failures sums to 0.
        const QString sumAfter =
            failed == 1 ? QStringLiteral("0,000000") : QStringLiteral("1,000000");
        QCOMPARE(cell(grid, 3, 2'000'001), sumAfter);

        const QFontMetrics normal(grid->font());
        const QFontMetrics bold(grid->fixedFont());
        const auto widthOf = [&](const char* header, std::initializer_list<const char*> texts) {
            int widest = bold.horizontalAdvance(QString::fromUtf8(header));
            for (const char* text : texts)
                widest = std::max(widest, normal.horizontalAdvance(QString::fromUtf8(text)));
            return widest + 8 + 4;
        };
        QCOMPARE(grid->columnWidth(0), widthOf("Ausgefallene Triebwerke", {"2000000 Triebwerke"}));
        QCOMPARE(grid->columnWidth(1), widthOf("Wahrscheinlichkeit", {"0,000000", "1,000000"}));
        QCOMPARE(grid->columnWidth(2),
                 widthOf("Prozentwert", {"0,000 Prozent", "100,000 Prozent"}));
        QCOMPARE(grid->columnWidth(4),
                 widthOf("Summiert Prozent",
                         {"0,000 Prozent", failed == 1 ? "0,000 Prozent" : "100,000 Prozent"}));
    }

    void anOverflowingReliabilityStopsBeforeTheGridChanges()
    {
        click(form().simulateButton());
        const int rows = form().resultGrid()->rowCount();
        form().engineCountField()->setEditText(QStringLiteral("3"));
        form().runCountField()->setEditText(QStringLiteral("10"));
        // The field keeps the number's text although showing it overflows.
        QVERIFY_THROWS_EXCEPTION(EOverflow, form().reliabilityField()->setEditText(
                                                QStringLiteral("1") + QString(400, u'0')));
        click(form().simulateButton());
        QCOMPARE(lastBoxText(), QStringLiteral("Gleitkommaüberlauf."));
        QCOMPARE(form().resultGrid()->rowCount(), rows);
    }

    void insClipboardCopiesTheReportAndConfirms()
    {
        setInputs(QStringLiteral("2"), QStringLiteral("0,5"), QStringLiteral("4"));
        click(form().clipboardButton());
        // From state 4711 three runs have no failure and one has one (reference_report.py).
        const QString expected =
            QStringLiteral("Ausfallwahrscheinlichkeit: 0,500000, Durchläufe: 4\r\n"
                           "0 Triebwerke, Ausfallwahrscheinlichekit 0,750000 = 75,000 Prozent\r\n"
                           "1 Triebwerke, Ausfallwahrscheinlichekit 0,250000 = 25,000 Prozent\r\n"
                           "2 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\r\n");
        QCOMPARE(m_clipboard.content, expected);
        QCOMPARE(m_boxes.boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes.boxes[0].icon, platform::MessageBoxes::Icon::Information);
        QCOMPARE(m_boxes.boxes[0].title, QStringLiteral("Informationen"));
        QCOMPARE(m_boxes.boxes[0].text, QStringLiteral("Ergebnis in die Zwischenablage kopiert"));
    }

    void theReportTakesTheLow32BitsAndTheRawReliability()
    {
        setInputs(QStringLiteral("0"), QStringLiteral("99,9"), QStringLiteral("5000000000"));
        click(form().clipboardButton());
        QVERIFY(m_clipboard.content.startsWith(
            QStringLiteral("Ausfallwahrscheinlichkeit: 99,900000, Durchläufe: 705032704\r\n")));
        QVERIFY(m_clipboard.content.endsWith(QStringLiteral(
            "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\r\n")));
    }

    void aNegativeEngineCountReportsTheHeaderAlone()
    {
        setInputs(QStringLiteral("-1"), QStringLiteral("0,999"), QStringLiteral("0"));
        click(form().clipboardButton());
        QCOMPARE(m_clipboard.content,
                 QStringLiteral("Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 0\r\n"));
        QCOMPARE(lastBoxText(), QStringLiteral("Ergebnis in die Zwischenablage kopiert"));
    }

    void aFailedReportLeavesTheClipboardAlone()
    {
        setInputs(QStringLiteral("3"), QStringLiteral("0,999"), QStringLiteral("0"));
        click(form().clipboardButton());
        QCOMPARE(m_clipboard.content, QStringLiteral("vorher"));
        QCOMPARE(m_boxes.boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes.boxes[0].text, QStringLiteral("Ungültige Gleitkommaoperation."));

        setInputs(QStringLiteral("-2"), QStringLiteral("0,999"), QStringLiteral("10"));
        click(form().clipboardButton());
        QCOMPARE(lastBoxText(), QStringLiteral("Fehler bei Bereichsprüfung."));
        QCOMPARE(m_clipboard.content, QStringLiteral("vorher"));
    }

    void aRefusedClipboardIsAnErrorNotAConfirmation()
    {
        m_clipboard.refuses = true;
        click(form().clipboardButton());
        QCOMPARE(m_boxes.boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes.boxes[0].icon, platform::MessageBoxes::Icon::Stop);
        QCOMPARE(m_boxes.boxes[0].text,
                 QStringLiteral("Das Ergebnis konnte nicht in die Zwischenablage kopiert werden."));
    }

    void tabVisitsTheControlsInTheirOrder()
    {
        const std::vector<QWidget*> order = {form().engineCountField(), form().reliabilityField(),
                                             form().simulateButton(),   form().runCountField(),
                                             form().clipboardButton(),  form().resultGrid(),
                                             form().engineCountField()};
        QVERIFY(form().engineCountField()->hasFocus());
        for (std::size_t i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form().resultGrid()));
    }

    void arrowKeysOnAButtonMoveWithinThePanel()
    {
        struct Case
        {
            QPushButton* from;
            Qt::Key key;
            QWidget* to;
        };
        const Case cases[] = {{form().simulateButton(), Qt::Key_Right, form().runCountField()},
                              {form().simulateButton(), Qt::Key_Down, form().runCountField()},
                              {form().simulateButton(), Qt::Key_Left, form().reliabilityField()},
                              {form().simulateButton(), Qt::Key_Up, form().reliabilityField()},
                              {form().clipboardButton(), Qt::Key_Right, form().engineCountField()},
                              {form().clipboardButton(), Qt::Key_Left, form().runCountField()}};
        for (const Case& c : cases) {
            c.from->setFocus(Qt::TabFocusReason);
            QTest::keyClick(c.from, c.key);
            QCOMPARE(QApplication::focusWidget(), c.to);
        }
    }

    void enterClicksAFocusedButtonButNothingInAField()
    {
        form().engineCountField()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form().engineCountField(), Qt::Key_Return);
        QTest::keyClick(form().engineCountField(), Qt::Key_Escape);
        QCOMPARE(form().resultGrid()->rowCount(), 5);
        QVERIFY(m_boxes.boxes.empty());

        form().simulateButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form().simulateButton(), Qt::Key_Return);
        QCOMPARE(form().resultGrid()->rowCount(), 11);
        setInputs(QStringLiteral("1"), QStringLiteral("0,999"), QStringLiteral("10"));
        form().clipboardButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form().clipboardButton(), Qt::Key_Space);
        QCOMPARE(lastBoxText(), QStringLiteral("Ergebnis in die Zwischenablage kopiert"));
    }

    void keypadEnterAndArrowsWorkOnButtonsToo()
    {
        form().simulateButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form().simulateButton(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(form().resultGrid()->rowCount(), 11);
        form().clipboardButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form().clipboardButton(), Qt::Key_Right, Qt::KeypadModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form().engineCountField()));
    }

    void closingWithAPendingTextReportsNothing()
    {
        form().reliabilityField()->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(form().reliabilityField(), QStringLiteral("1") + QString(400, u'0'));
        form().close();
        QVERIFY2(m_boxes.boxes.empty(), qPrintable(lastBoxText()));
    }

    void negativeAndWrappingEngineCountsLeaveOneRowAndNoHeader()
    {
        // engines + 2 in 32 bits is below 2 for these: the grid keeps one normal row, showing
        // the earlier header texts as normal cells.
        click(form().simulateButton());
        const QString header = cell(form().resultGrid(), 0, 0);
        for (const QString& engines :
             {QStringLiteral("-1"), QStringLiteral("-7"), QStringLiteral("2147483647"),
              QStringLiteral("2147483646"), QStringLiteral("4294967295")}) {
            m_boxes.boxes.clear();
            setInputs(engines, QStringLiteral("0,999"), QStringLiteral("10"));
            click(form().simulateButton());
            QCOMPARE(
                lastBoxText(),
                QStringLiteral("Die Anzahl fester Zeilen muss kleiner sein als die Zeilenanzahl."));
            QCOMPARE(form().resultGrid()->rowCount(), 1);
            QCOMPARE(form().resultGrid()->columnCount(), 5);
            QCOMPARE(form().resultGrid()->fixedRowCount(), 0);
            QCOMPARE(cell(form().resultGrid(), 0, 0), header);
        }
        // Only the low 32 bits count: 4294967297 engines are one engine.
        setInputs(QStringLiteral("4294967297"), QStringLiteral("0,999"), QStringLiteral("10"));
        click(form().simulateButton());
        QCOMPARE(form().resultGrid()->rowCount(), 3);
    }

    void thePanelKeepsItsHeightAndTheGridTakesTheRest()
    {
        form().resize(300, 40);
        QCOMPARE(form().inputPanel()->geometry(), QRect(0, 0, 300, 53));
        QCOMPARE(form().resultGrid()->height(), 0);
        form().resize(800, 500);
        QCOMPARE(form().resultGrid()->geometry(), QRect(0, 53, 800, 447));
    }

    // The panel is a plain frame without a title: its frame runs along the panel's very edges,
    // with no room kept above it for a title.
    void thePanelsFrameRunsAlongItsEdges()
    {
        const QImage panel = form().inputPanel()->grab().toImage();
        const QColor face = form().inputPanel()->palette().color(QPalette::Window);
        // Right of "ins Clipboard" the panel holds nothing but its frame.
        const int middle = 590;
        QVERIFY(panel.pixelColor(middle, 0) != face);
        QVERIFY(panel.pixelColor(middle, panel.height() - 1) != face);
        QVERIFY(panel.pixelColor(0, panel.height() / 2) != face);
        QVERIFY(panel.pixelColor(panel.width() - 1, panel.height() / 2) != face);
        for (int y = 3; y < panel.height() - 3; ++y)
            QCOMPARE(panel.pixelColor(middle, y), face);
    }

    void scalesTheLayoutToTheDisplay()
    {
        MainWindow scaled(144);
        QCOMPARE(scaled.font().pixelSize(), 17);
        QCOMPARE(scaled.size(), QSize(927, 461));
        QCOMPARE(scaled.inputPanel()->height(), 80);
        QCOMPARE(scaled.clipboardButton()->geometry(), QRect(722, 30, 112, 41));
        QCOMPARE(scaled.resultGrid()->defaultColumnWidth(), 96);
        QCOMPARE(scaled.resultGrid()->rowHeight(0), 36);
        QCOMPARE(scaled.resultGrid()->columnWidth(0), 64);
        QCOMPARE(scaled.resultGrid()->geometry(), QRect(0, 80, 927, 381));
        QCOMPARE(scaled.resultGrid()->font().pixelSize(), 17);
        QCOMPARE(scaled.resultGrid()->fixedFont().pixelSize(), 17);
        QVERIFY(scaled.resultGrid()->fixedFont().bold());
        QCOMPARE(scaled.engineCountField()->pos(), QPoint(12, 35));
        QCOMPARE(scaled.engineCountField()->width(), 138);
        // The fields keep taking their height from the font: the layout's 21 pixels at 96 dots
        // per inch are 13 pixels of Tahoma's text and 8 of border; scaled, the text is 21.
        QCOMPARE(form().engineCountField()->height(), 21);
        if (platform::tahomaAvailable())
            QCOMPARE(scaled.engineCountField()->height(), 29);
        QVERIFY(scaled.engineCountField()->height() > 21);
    }

    void aLocaleChangeReloadsTheSeparators()
    {
        m_locale.reset();
        m_locale =
            std::make_unique<platform::ScopedLocale>(platform::LocaleFormats{u".", u",", u""});
        QCOMPARE(formatSettings.decimalSeparator, u',');
        QEvent change(QEvent::LocaleChange);
        QApplication::sendEvent(Application::instance(), &change);
        QCOMPARE(formatSettings.decimalSeparator, u'.');
        setInputs(QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("4"));
        click(form().clipboardButton());
        QVERIFY(
            m_clipboard.content.startsWith(QStringLiteral("Ausfallwahrscheinlichkeit: 5.000000,")));
    }

    void derivesTheTitleFromTheProgramFile()
    {
        const std::pair<const char*, const char*> cases[] = {
            {"/usr/bin/Triebwerke", "Triebwerke"},
            {"/opt/ABC.Tool.EXE", "Abc"},
            {"x.y.exe", "x"},
            {"/home/u/MYTOOL.EXE", "Mytool"},
            {"C:\\Programme\\Rakete.exe", "Rakete"},
            {"/bin/a", "a"},
        };
        for (const auto& [path, title] : cases)
            QCOMPARE(applicationTitle(QString::fromUtf8(path)), QString::fromUtf8(title));
    }
};

int main(int argc, char* argv[])
{
    Application application(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainWindowTest.moc"
