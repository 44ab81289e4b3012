#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/desktop/Clipboard.h"
#include "platform/desktop/Fonts.h"
#include "platform/desktop/MessageBoxes.h"
#include "presentation/FormatSettings.h"
#include "support/RecordedBoxes.h"
#include "ui/field/TValidateEdit.h"
#include "ui/grid/TResultGrid.h"
#include "ui/window/MainUnit.h"
#include "ui/window/TApplication.h"
#include "ui/window/TGroupBox.h"
#include "ui/window/TMemo.h"

#include <QGroupBox>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

namespace {

class FakeClipboard final : public platform::Clipboard
{
public:
    bool setText(const QString& text) override
    {
        if (refuses)
            return false;
        content = text;
        return true;
    }
    QString text() override { return content; }

    QString content = QStringLiteral("vorher");
    bool refuses = false;
};

QString cell(const TResultGrid* grid, int column, int row)
{
    return grid->Cells(column, row);
}

} // namespace

class TForm4Test : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<platform::ScopedLocale> m_locale;
    RecordedBoxes m_boxes;
    FakeClipboard m_clipboard;
    std::unique_ptr<platform::ScopedMessageBoxes> m_scopedBoxes;
    std::unique_ptr<platform::ScopedClipboard> m_scopedClipboard;
    std::unique_ptr<TForm4> m_form;

    TForm4& form() { return *m_form; }

    void useLocale(const char16_t* decimal, const char16_t* thousand)
    {
        m_locale.reset();
        m_locale = std::make_unique<platform::ScopedLocale>(
            platform::LocaleFormats{decimal, thousand, u""});
        LoadFormatSettings();
    }

    void setInputs(const QString& engines, const QString& reliability, const QString& runs)
    {
        form().Anzahl->setEditText(engines);
        form().Zuverlaessigkeit->setEditText(reliability);
        form().Durchlaeufe->setEditText(runs);
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
        m_scopedBoxes = std::make_unique<platform::ScopedMessageBoxes>(m_boxes);
        m_scopedClipboard = std::make_unique<platform::ScopedClipboard>(m_clipboard);
        m_form = std::make_unique<TForm4>(96);
        // Every simulation starts from state 4711.
        m_form->setSeedSource([] { return 4711u; });
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
        QCOMPARE(form().Anzahl->text(), QStringLiteral("9"));
        QCOMPARE(form().Zuverlaessigkeit->text(), QStringLiteral("0,999"));
        QCOMPARE(form().Durchlaeufe->text(), QStringLiteral("1000000"));
        QCOMPARE(form().Button1->text(), QStringLiteral("Simulieren"));
        QCOMPARE(form().Button2->text(), QStringLiteral("ins Clipboard"));
        QVERIFY(form().Anzahl->hasFocus());
        QCOMPARE(form().Anzahl->selectedText(), QStringLiteral("9"));
        QVERIFY(!form().Memo1->isVisible());
        QCOMPARE(form().Memo1->Text(), QStringLiteral("Memo1\r\n"));
        QCOMPARE(form().Tab->RowCount(), 5);
        QCOMPARE(form().Tab->ColCount(), 2);
        QCOMPARE(form().GroupBox1->geometry(), QRect(0, 0, 618, 53));
        QCOMPARE(form().Tab->geometry(), QRect(0, 53, 618, 254));
    }

    void aPointLocaleShowsAndReadsTheInitialReliability()
    {
        useLocale(u".", u",");
        TForm4 pointForm(96);
        QCOMPARE(pointForm.Zuverlaessigkeit->text(), QStringLiteral("0.999"));
        QCOMPARE(pointForm.Zuverlaessigkeit->AsFloat(), 0.999);
    }

    void simulierenFillsTheTableOfTheSimulation()
    {
        click(form().Button1);
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
        QCOMPARE(form().Tab->RowCount(), 11);
        QCOMPARE(form().Tab->ColCount(), 5);
        QCOMPARE(form().Tab->FixedRows(), 1);
        const QStringList headers = {QStringLiteral("Ausgefallene Triebwerke"),
                                     QStringLiteral("Wahrscheinlichkeit"),
                                     QStringLiteral("Prozentwert"), QStringLiteral("Summiert"),
                                     QStringLiteral("Summiert Prozent")};
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(cell(form().Tab, column, 0), headers[column]);
            for (int row = 1; row <= 10; ++row)
                QCOMPARE(cell(form().Tab, column, row),
                         QString::fromUtf8(expected[row - 1][column]));
        }
        QCOMPARE(cell(form().Tab, 0, 10), QStringLiteral("9 Triebwerke"));
    }

    void aShorterTableFollowsALongerOne()
    {
        click(form().Button1);
        setInputs(QStringLiteral("3"), QStringLiteral("0,999"), QStringLiteral("1000"));
        click(form().Button1);
        QCOMPARE(form().Tab->RowCount(), 5);
        QCOMPARE(cell(form().Tab, 0, 4), QStringLiteral("3 Triebwerke"));
        setInputs(QStringLiteral("0"), QStringLiteral("0,999"), QStringLiteral("7"));
        click(form().Button1);
        QCOMPARE(form().Tab->RowCount(), 2);
        QCOMPARE(cell(form().Tab, 1, 1), QStringLiteral("1,000000"));
        QCOMPARE(cell(form().Tab, 3, 1), QStringLiteral("0,000000"));
    }

    void theDeterminedReliabilitiesFillTheirRows()
    {
        setInputs(QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("5"));
        click(form().Button1);
        QCOMPARE(cell(form().Tab, 1, 4), QStringLiteral("1,000000"));
        QCOMPARE(cell(form().Tab, 4, 4), QStringLiteral("100,000 Prozent"));
        QCOMPARE(cell(form().Tab, 1, 1), QStringLiteral("0,000000"));

        for (const QString& noFailure : {QStringLiteral("1"), QStringLiteral("100")}) {
            setInputs(QStringLiteral("3"), noFailure, QStringLiteral("5"));
            click(form().Button1);
            QCOMPARE(cell(form().Tab, 1, 1), QStringLiteral("1,000000"));
            QCOMPARE(cell(form().Tab, 3, 4), QStringLiteral("0,000000"));
        }

        setInputs(QStringLiteral("2"), QStringLiteral("99,9"), QStringLiteral("1000"));
        click(form().Button1);
        // 99,9 is read as 99.9 percent: one run in 1000 from state 4711 has a failure.
        QCOMPARE(cell(form().Tab, 1, 1), QStringLiteral("0,999000"));
        QCOMPARE(cell(form().Tab, 1, 2), QStringLiteral("0,001000"));
    }

    void negativeRunsShowZerosWithoutAnError()
    {
        setInputs(QStringLiteral("2"), QStringLiteral("0,5"), QStringLiteral("-3"));
        click(form().Button1);
        QVERIFY(m_boxes.boxes.empty());
        for (int row = 1; row <= 3; ++row) {
            QCOMPARE(cell(form().Tab, 0, row), QStringLiteral("%1 Triebwerke").arg(row - 1));
            QCOMPARE(cell(form().Tab, 1, row), QStringLiteral("0,000000"));
            QCOMPARE(cell(form().Tab, 4, row), QStringLiteral("0,000 Prozent"));
        }
    }

    void zeroRunsStopAfterTheFirstCountWithTheInvalidOperation()
    {
        click(form().Button1);
        const QString earlier = cell(form().Tab, 1, 1);
        setInputs(QStringLiteral("2"), QStringLiteral("0,999"), QStringLiteral("0"));
        click(form().Button1);
        QCOMPARE(m_boxes.boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes.boxes[0].icon, platform::MessageBoxes::Icon::Stop);
        QCOMPARE(m_boxes.boxes[0].title, Application->Title);
        QCOMPARE(m_boxes.boxes[0].text, QStringLiteral("Ungültige Gleitkommaoperation."));
        QCOMPARE(form().Tab->RowCount(), 4);
        QCOMPARE(cell(form().Tab, 0, 1), QStringLiteral("0 Triebwerke"));
        QCOMPARE(cell(form().Tab, 1, 1), earlier);
        for (int column = 0; column < 5; ++column)
            QCOMPARE(form().Tab->ColWidths(column), 120);
    }

    void anOverflowingReliabilityStopsBeforeTheGridChanges()
    {
        click(form().Button1);
        const int rows = form().Tab->RowCount();
        form().Anzahl->setEditText(QStringLiteral("3"));
        form().Durchlaeufe->setEditText(QStringLiteral("10"));
        // The field keeps the number's text although showing it overflows.
        QVERIFY_THROWS_EXCEPTION(EOverflow, form().Zuverlaessigkeit->setEditText(
                                                QStringLiteral("1") + QString(400, u'0')));
        click(form().Button1);
        QCOMPARE(lastBoxText(), QStringLiteral("Gleitkommaüberlauf."));
        QCOMPARE(form().Tab->RowCount(), rows);
    }

    void insClipboardCopiesTheReportAndConfirms()
    {
        setInputs(QStringLiteral("2"), QStringLiteral("0,5"), QStringLiteral("4"));
        click(form().Button2);
        // From state 4711 three runs have no failure and one has one (reference_report.py).
        const QString expected =
            QStringLiteral("Ausfallwahrscheinlichkeit: 0,500000, Durchläufe: 4\r\n"
                           "0 Triebwerke, Ausfallwahrscheinlichekit 0,750000 = 75,000 Prozent\r\n"
                           "1 Triebwerke, Ausfallwahrscheinlichekit 0,250000 = 25,000 Prozent\r\n"
                           "2 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\r\n");
        QCOMPARE(m_clipboard.content, expected);
        QCOMPARE(form().Memo1->Text(), expected);
        QCOMPARE(m_boxes.boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes.boxes[0].icon, platform::MessageBoxes::Icon::Information);
        QCOMPARE(m_boxes.boxes[0].title, QStringLiteral("Informationen"));
        QCOMPARE(m_boxes.boxes[0].text, QStringLiteral("Ergebnis in die Zwischenablage kopiert"));
    }

    void theReportTakesTheLow32BitsAndTheRawReliability()
    {
        setInputs(QStringLiteral("0"), QStringLiteral("99,9"), QStringLiteral("5000000000"));
        click(form().Button2);
        QVERIFY(m_clipboard.content.startsWith(
            QStringLiteral("Ausfallwahrscheinlichkeit: 99,900000, Durchläufe: 705032704\r\n")));
        QVERIFY(m_clipboard.content.endsWith(QStringLiteral(
            "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\r\n")));
    }

    void aNegativeEngineCountReportsTheHeaderAlone()
    {
        setInputs(QStringLiteral("-1"), QStringLiteral("0,999"), QStringLiteral("0"));
        click(form().Button2);
        QCOMPARE(m_clipboard.content,
                 QStringLiteral("Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 0\r\n"));
        QCOMPARE(lastBoxText(), QStringLiteral("Ergebnis in die Zwischenablage kopiert"));
    }

    void aFailedReportLeavesTheClipboardAlone()
    {
        setInputs(QStringLiteral("3"), QStringLiteral("0,999"), QStringLiteral("0"));
        click(form().Button2);
        QCOMPARE(m_clipboard.content, QStringLiteral("vorher"));
        QCOMPARE(form().Memo1->Text(),
                 QStringLiteral("Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 0\r\n"));
        QCOMPARE(m_boxes.boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes.boxes[0].text, QStringLiteral("Ungültige Gleitkommaoperation."));

        setInputs(QStringLiteral("-2"), QStringLiteral("0,999"), QStringLiteral("10"));
        click(form().Button2);
        QCOMPARE(lastBoxText(), QStringLiteral("Fehler bei Bereichsprüfung."));
        QCOMPARE(form().Memo1->Text(),
                 QStringLiteral("Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 0\r\n"));
    }

    void aRefusedClipboardIsAnErrorNotAConfirmation()
    {
        m_clipboard.refuses = true;
        click(form().Button2);
        QCOMPARE(m_boxes.boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes.boxes[0].icon, platform::MessageBoxes::Icon::Stop);
        QCOMPARE(m_boxes.boxes[0].text,
                 QStringLiteral("Das Ergebnis konnte nicht in die Zwischenablage kopiert werden."));
    }

    void tabVisitsTheControlsInTheirOrder()
    {
        const std::vector<QWidget*> order = {form().Anzahl,  form().Zuverlaessigkeit,
                                             form().Button1, form().Durchlaeufe,
                                             form().Button2, form().Tab,
                                             form().Anzahl};
        QVERIFY(form().Anzahl->hasFocus());
        for (std::size_t i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form().Tab));
    }

    void arrowKeysOnAButtonMoveWithinThePanel()
    {
        struct Case
        {
            QPushButton* from;
            Qt::Key key;
            QWidget* to;
        };
        const Case cases[] = {{form().Button1, Qt::Key_Right, form().Durchlaeufe},
                              {form().Button1, Qt::Key_Down, form().Durchlaeufe},
                              {form().Button1, Qt::Key_Left, form().Zuverlaessigkeit},
                              {form().Button1, Qt::Key_Up, form().Zuverlaessigkeit},
                              {form().Button2, Qt::Key_Right, form().Anzahl},
                              {form().Button2, Qt::Key_Left, form().Durchlaeufe}};
        for (const Case& c : cases) {
            c.from->setFocus(Qt::TabFocusReason);
            QTest::keyClick(c.from, c.key);
            QCOMPARE(QApplication::focusWidget(), c.to);
        }
    }

    void enterClicksAFocusedButtonButNothingInAField()
    {
        form().Anzahl->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form().Anzahl, Qt::Key_Return);
        QTest::keyClick(form().Anzahl, Qt::Key_Escape);
        QCOMPARE(form().Tab->RowCount(), 5);
        QVERIFY(m_boxes.boxes.empty());

        form().Button1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form().Button1, Qt::Key_Return);
        QCOMPARE(form().Tab->RowCount(), 11);
        setInputs(QStringLiteral("1"), QStringLiteral("0,999"), QStringLiteral("10"));
        form().Button2->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form().Button2, Qt::Key_Space);
        QCOMPARE(lastBoxText(), QStringLiteral("Ergebnis in die Zwischenablage kopiert"));
    }

    void keypadEnterAndArrowsWorkOnButtonsToo()
    {
        form().Button1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form().Button1, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(form().Tab->RowCount(), 11);
        form().Button2->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form().Button2, Qt::Key_Right, Qt::KeypadModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form().Anzahl));
    }

    void closingWithAPendingTextReportsNothing()
    {
        form().Zuverlaessigkeit->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(form().Zuverlaessigkeit, QStringLiteral("1") + QString(400, u'0'));
        form().close();
        QVERIFY2(m_boxes.boxes.empty(), qPrintable(lastBoxText()));
    }

    void negativeAndWrappingEngineCountsLeaveOneRowAndNoHeader()
    {
        // engines + 2 in 32 bits is below 2 for these: the grid keeps one normal row, showing
        // the earlier header texts as normal cells.
        click(form().Button1);
        const QString header = cell(form().Tab, 0, 0);
        for (const QString& engines :
             {QStringLiteral("-1"), QStringLiteral("-7"), QStringLiteral("2147483647"),
              QStringLiteral("2147483646"), QStringLiteral("4294967295")}) {
            m_boxes.boxes.clear();
            setInputs(engines, QStringLiteral("0,999"), QStringLiteral("10"));
            click(form().Button1);
            QCOMPARE(
                lastBoxText(),
                QStringLiteral("Die Anzahl fester Zeilen muss kleiner sein als die Zeilenanzahl."));
            QCOMPARE(form().Tab->RowCount(), 1);
            QCOMPARE(form().Tab->ColCount(), 5);
            QCOMPARE(form().Tab->FixedRows(), 0);
            QCOMPARE(cell(form().Tab, 0, 0), header);
        }
        // Only the low 32 bits count: 4294967297 engines are one engine.
        setInputs(QStringLiteral("4294967297"), QStringLiteral("0,999"), QStringLiteral("10"));
        click(form().Button1);
        QCOMPARE(form().Tab->RowCount(), 3);
    }

    void thePanelKeepsItsHeightAndTheGridTakesTheRest()
    {
        form().resize(300, 40);
        QCOMPARE(form().GroupBox1->geometry(), QRect(0, 0, 300, 53));
        QCOMPARE(form().Tab->height(), 0);
        form().resize(800, 500);
        QCOMPARE(form().Tab->geometry(), QRect(0, 53, 800, 447));
    }

    // The panel is a plain frame without a title: its frame runs along the panel's very edges,
    // with no room kept above it for a title.
    void thePanelsFrameRunsAlongItsEdges()
    {
        const QImage panel = form().GroupBox1->grab().toImage();
        const QColor face = form().GroupBox1->palette().color(QPalette::Window);
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
        TForm4 scaled(144);
        QCOMPARE(scaled.font().pixelSize(), 17);
        QCOMPARE(scaled.size(), QSize(927, 461));
        QCOMPARE(scaled.GroupBox1->height(), 80);
        QCOMPARE(scaled.Button2->geometry(), QRect(722, 30, 112, 41));
        QCOMPARE(scaled.Tab->DefaultColWidth(), 96);
        QCOMPARE(scaled.Tab->RowHeights(0), 36);
        QCOMPARE(scaled.Tab->ColWidths(0), 64);
        QCOMPARE(scaled.Tab->geometry(), QRect(0, 80, 927, 381));
        QCOMPARE(scaled.Tab->font().pixelSize(), 17);
        QCOMPARE(scaled.Tab->FixedFont().pixelSize(), 17);
        QVERIFY(scaled.Tab->FixedFont().bold());
        QCOMPARE(scaled.Memo1->geometry(), QRect(360, 252, 278, 134));
        QCOMPARE(scaled.Anzahl->pos(), QPoint(12, 35));
        QCOMPARE(scaled.Anzahl->width(), 138);
        // The fields keep taking their height from the font: the layout's 21 pixels at 96 dots
        // per inch are 13 pixels of Tahoma's text and 8 of border; scaled, the text is 21.
        QCOMPARE(form().Anzahl->height(), 21);
        if (platform::tahomaAvailable())
            QCOMPARE(scaled.Anzahl->height(), 29);
        QVERIFY(scaled.Anzahl->height() > 21);
    }

    void aLocaleChangeReloadsTheSeparators()
    {
        m_locale.reset();
        m_locale =
            std::make_unique<platform::ScopedLocale>(platform::LocaleFormats{u".", u",", u""});
        QCOMPARE(FormatSettings.DecimalSeparator, u',');
        QEvent change(QEvent::LocaleChange);
        QApplication::sendEvent(Application, &change);
        QCOMPARE(FormatSettings.DecimalSeparator, u'.');
        setInputs(QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("4"));
        click(form().Button2);
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
    TApplication application(argc, argv);
    TForm4Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "TForm4Test.moc"
