#include "ui/field/NumberField.h"

#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/desktop/Clipboard.h"
#include "platform/desktop/MessageBoxes.h"
#include "presentation/FormatSettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QRandomGenerator>
#include <QStyleHints>
#include <QTest>
#include <QWidget>

#include <memory>

#ifdef _WIN32
#include <windows.h>
#endif

// The three fields of the window, loaded as the window loads them, with a button to take the
// focus away.
class FieldWindow
{
public:
    explicit FieldWindow(const QString& reliabilityText = QStringLiteral("0,999"))
    {
        window.resize(400, 60);
        engineCountField = load(NumberFormat::Integer, QStringLiteral("9"), 0);
        reliabilityField = load(NumberFormat::Float, reliabilityText, 100);
        runCountField = load(NumberFormat::Decimal, QStringLiteral("1000000"), 200);
        other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        other->setGeometry(300, 0, 50, 20);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("the test window did not become active");
    }

    NumberField* load(NumberFormat format, const QString& text, int left)
    {
        auto* field = new NumberField(&window);
        field->beginLoading();
        field->setGeometry(left, 0, 92, 21);
        if (format == NumberFormat::Float) {
            field->setTrimDecimals(true);
            field->setDisplayFormat(format);
            field->setDecimalPlaces(5);
        } else if (format == NumberFormat::Decimal) {
            field->setDisplayFormat(format);
        }
        field->setEditText(text);
        field->endLoading();
        return field;
    }

    void enter(NumberField* field) { field->setFocus(Qt::TabFocusReason); }
    void leave() { other->setFocus(Qt::TabFocusReason); }

    QWidget window;
    NumberField* engineCountField = nullptr;
    NumberField* reliabilityField = nullptr;
    NumberField* runCountField = nullptr;
    QWidget* other = nullptr;
};

class NumberFieldTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<platform::ScopedLocale> m_locale;

    void useLocale(const char16_t* decimal, const char16_t* thousand)
    {
        m_locale.reset();
        m_locale = std::make_unique<platform::ScopedLocale>(
            platform::LocaleFormats{decimal, thousand, u"€"});
        loadFormatSettings();
    }

    // Types like a keyboard; characters beyond ASCII go in as key events of their own.
    static void type(QWidget* target, const QString& text)
    {
        for (const QChar character : text) {
            if (character.unicode() >= 0x20 && character.unicode() < 0x7F)
                QTest::keyClicks(target, QString(character));
            else
                QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(character),
                                    Qt::NoModifier);
        }
    }

    static QAction* item(QMenu* menu, const QString& caption)
    {
        for (QAction* action : menu->actions())
            if (action->text() == caption)
                return action;
        return nullptr;
    }

private slots:
    void init() { useLocale(u",", u"."); }
    void cleanup() { m_locale.reset(); }

    void loadsTheInitialTexts()
    {
        FieldWindow w;
        QCOMPARE(w.engineCountField->text(), QStringLiteral("9"));
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("0,999"));
        QCOMPARE(w.runCountField->text(), QStringLiteral("1000000"));
        QCOMPARE(w.engineCountField->asInteger(), 9);
        QCOMPARE(w.reliabilityField->asFloat(), 0.999);
        QCOMPARE(w.runCountField->asInteger(), 1000000);
        QCOMPARE(w.reliabilityField->enterText(), w.reliabilityField->editText());
        QVERIFY(w.engineCountField->alignment() & Qt::AlignRight);
    }

    void aPointLocaleReadsTheCommaTextAsAWholeNumber()
    {
        useLocale(u".", u",");
        FieldWindow w;
        QCOMPARE(w.reliabilityField->editText(), QStringLiteral("0999"));
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("999"));
        QCOMPARE(w.reliabilityField->asFloat(), 999.0);

        FieldWindow mended(QStringLiteral("0.999"));
        QCOMPARE(mended.reliabilityField->text(), QStringLiteral("0.999"));
        QCOMPARE(mended.reliabilityField->asFloat(), 0.999);
    }

    void typingDropsWhatCannotFormANumber()
    {
        FieldWindow w;
        w.enter(w.reliabilityField);
        QVERIFY(w.reliabilityField->hasFocus());
        QCOMPARE(w.reliabilityField->selectedText(), QStringLiteral("0,999"));
        QTest::keyClicks(w.reliabilityField, QStringLiteral("x1a.b e,E5,-"));
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("1,5"));
        QCOMPARE(w.reliabilityField->editText(), QStringLiteral("1,5"));

        w.enter(w.engineCountField);
        QTest::keyClicks(w.engineCountField, QStringLiteral("-5,3"));
        QCOMPARE(w.engineCountField->text(), QStringLiteral("-53"));

        w.enter(w.runCountField);
        QTest::keyClicks(w.runCountField, QStringLiteral("1000000,5"));
        w.leave();
        QCOMPARE(w.runCountField->text(), QStringLiteral("1000000,5"));
        QCOMPARE(w.runCountField->asInteger(), 0);
    }

    void aSignGoesOnlyToTheFront()
    {
        FieldWindow w;
        w.enter(w.engineCountField);
        QTest::keyClicks(w.engineCountField, QStringLiteral("-5"));
        QTest::keyClick(w.engineCountField, Qt::Key_Home);
        QTest::keyClicks(w.engineCountField, QStringLiteral("-3"));
        QCOMPARE(w.engineCountField->text(), QStringLiteral("3-5"));
        QCOMPARE(w.engineCountField->asInteger(), 0);
        w.leave();
        QCOMPARE(w.engineCountField->text(), QStringLiteral("35"));
        QCOMPARE(w.engineCountField->asInteger(), 35);

        w.enter(w.runCountField);
        QTest::keyClicks(w.runCountField, QStringLiteral("+12"));
        w.leave();
        QCOMPARE(w.runCountField->text(), QStringLiteral("+12"));
        QCOMPARE(w.runCountField->asInteger(), 12);
    }

    void theKeypadDecimalKeyTypesTheLocaleSeparator()
    {
        FieldWindow w;
        w.enter(w.reliabilityField);
        QTest::keyClick(w.reliabilityField, Qt::Key_0);
        QTest::keyClick(w.reliabilityField, Qt::Key_Period, Qt::KeypadModifier);
        QVERIFY(w.reliabilityField->forceDecimalSeparatorInput());
        QTest::keyClick(w.reliabilityField, Qt::Key_5);
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("0,5"));
        // A second separator is refused, from either key, also while the first is selected.
        QTest::keyClick(w.reliabilityField, Qt::Key_Period, Qt::KeypadModifier);
        QTest::keyClick(w.reliabilityField, Qt::Key_Comma);
        w.reliabilityField->setSelection(1, 1);
        QTest::keyClick(w.reliabilityField, Qt::Key_Comma);
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("0,5"));
        // The main keyboard's full stop stays refused.
        w.reliabilityField->end(false);
        QTest::keyClick(w.reliabilityField, Qt::Key_Period);
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("0,5"));
    }

    void leavingCommitsFormattedAndKeepsTheTypedValueUntilThen()
    {
        FieldWindow w;
        w.enter(w.reliabilityField);
        QTest::keyClicks(w.reliabilityField, QStringLiteral("1234,5"));
        w.leave();
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("1.234,5"));
        QCOMPARE(w.reliabilityField->asFloat(), 1234.5);

        w.enter(w.reliabilityField);
        QTest::keyClicks(w.reliabilityField, QStringLiteral("0,1234567"));
        w.leave();
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("0,12346"));
        QCOMPARE(w.reliabilityField->asFloat(), 0.1234567);
        w.enter(w.reliabilityField);
        w.leave();
        QCOMPARE(w.reliabilityField->editText(), QStringLiteral("0,12346"));
        QCOMPARE(w.reliabilityField->asFloat(), 0.12346);

        w.enter(w.engineCountField);
        QTest::keyClicks(w.engineCountField, QStringLiteral("007"));
        w.leave();
        QCOMPARE(w.engineCountField->text(), QStringLiteral("7"));
        QCOMPARE(w.engineCountField->editText(), QStringLiteral("007"));
        QCOMPARE(w.engineCountField->asInteger(), 7);

        w.enter(w.engineCountField);
        QTest::keyClicks(w.engineCountField, QStringLiteral("12345678901234567890"));
        w.leave();
        QCOMPARE(w.engineCountField->asInteger(), 0);
        QCOMPARE(w.engineCountField->text(), QStringLiteral("0"));
    }

    void aMouseClickEntersWithoutSelecting()
    {
        FieldWindow w;
        QTest::mouseClick(w.engineCountField, Qt::LeftButton, {}, QPoint(5, 10));
        QVERIFY(w.engineCountField->hasFocus());
        QVERIFY(!w.engineCountField->hasSelectedText());
    }

    void escapeRestoresTheLastCommitAndSelectsIt()
    {
        FieldWindow w;
        w.enter(w.reliabilityField);
        QTest::keyClicks(w.reliabilityField, QStringLiteral("12345"));
        QCOMPARE(w.reliabilityField->asFloat(), 12345.0);
        QTest::keyClick(w.reliabilityField, Qt::Key_Escape);
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("0,999"));
        QCOMPARE(w.reliabilityField->asFloat(), 0.999);
        QCOMPARE(w.reliabilityField->selectionStart(), 0);
        QCOMPARE(w.reliabilityField->selectedText(), QStringLiteral("0,999"));

        // With grouping the shown text is longer than the number's own: the selection covers as
        // many characters as the number has.
        w.reliabilityField->setEditText(QStringLiteral("1234,5"));
        QTest::keyClicks(w.reliabilityField, QStringLiteral("9"));
        QTest::keyClick(w.reliabilityField, Qt::Key_Escape);
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("1.234,5"));
        QCOMPARE(w.reliabilityField->selectedText(), QStringLiteral("1.234,"));
    }

    void pasteIsFilteredAndCommittedAtOnce()
    {
        FieldWindow w;
        w.enter(w.reliabilityField);
        QTest::keyClick(w.reliabilityField, Qt::Key_Delete);
        QCOMPARE(w.reliabilityField->text(), QString());
        platform::setClipboardText(QStringLiteral("abc12,3,4"));
        QTest::keyClick(w.reliabilityField, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("12,34"));
        QCOMPARE(w.reliabilityField->enterText(), QStringLiteral("12,34"));

        // The menu's paste does the same.
        platform::setClipboardText(QStringLiteral("-7y"));
        w.enter(w.engineCountField);
        QMenu* menu = w.engineCountField->contextMenuForThisField();
        item(menu, QStringLiteral("Einf&ügen"))->trigger();
        QCOMPARE(w.engineCountField->text(), QStringLiteral("-7"));
        QCOMPARE(w.engineCountField->asInteger(), -7);
    }

    void aPasteWithoutTextChangesNothing_data()
    {
        QTest::addColumn<bool>("image");
        QTest::addColumn<QString>("how");
        for (const bool image : {false, true}) {
            const char* what = image ? "image only" : "empty";
            for (const char* how : {"Ctrl+V", "Shift+Insert", "menu"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(what, how)))
                    << image << QString::fromLatin1(how);
        }
    }

    // An empty clipboard, or one holding only a picture, has no text to paste: the selection
    // stays, nothing is committed, and the value typed so far survives.
    void aPasteWithoutTextChangesNothing()
    {
        QFETCH(bool, image);
        QFETCH(QString, how);
        FieldWindow w;
        w.enter(w.reliabilityField);
        type(w.reliabilityField, QStringLiteral("0,95"));
        w.reliabilityField->selectAll();
        if (image) {
            QImage picture(4, 4, QImage::Format_RGB32);
            picture.fill(Qt::red);
            QGuiApplication::clipboard()->setImage(picture);
        } else {
            QGuiApplication::clipboard()->clear();
        }
#ifdef _WIN32
        // The offscreen platform's clipboard is the test's own; the field reads Windows' one.
        QVERIFY(OpenClipboard(nullptr) && EmptyClipboard() && CloseClipboard());
#endif
        QVERIFY(platform::clipboardText().isEmpty());

        if (how == QStringLiteral("Ctrl+V"))
            QTest::keyClick(w.reliabilityField, Qt::Key_V, Qt::ControlModifier);
        else if (how == QStringLiteral("Shift+Insert"))
            QTest::keyClick(w.reliabilityField, Qt::Key_Insert, Qt::ShiftModifier);
        else
            item(w.reliabilityField->contextMenuForThisField(), QStringLiteral("Einf&ügen"))
                ->trigger();

        QCOMPARE(w.reliabilityField->text(), QStringLiteral("0,95"));
        QCOMPARE(w.reliabilityField->selectedText(), QStringLiteral("0,95"));
        QCOMPARE(w.reliabilityField->editText(), QStringLiteral("0,95"));
        QCOMPARE(w.reliabilityField->enterText(), QStringLiteral("0,999"));
        w.leave();
        QCOMPARE(w.reliabilityField->asFloat(), 0.95);
    }

    void aLongTextHoldsTheCaretStillWhileItHasTheFocus_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("still");
        QTest::newRow("4,096 characters blink") << 4096 << false;
        QTest::newRow("4,097 characters hold still") << 4097 << true;
        QTest::newRow("a megabyte holds still") << (1 << 20) << true;
    }

    // Every blink repaints the box, and the box measures and draws its whole text for it; a text
    // far longer than any number holds the caret still instead, for as long as it has the focus.
    void aLongTextHoldsTheCaretStillWhileItHasTheFocus()
    {
        QFETCH(int, length);
        QFETCH(bool, still);
        QStyleHints* hints = QGuiApplication::styleHints();
        const int blinking = hints->cursorFlashTime();
        QVERIFY(blinking > 0);
        {
            FieldWindow w;
            platform::setClipboardText(QString(length, u'7'));
            w.enter(w.runCountField);
            QTest::keyClick(w.runCountField, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(w.runCountField->text().size(), length);
            QCOMPARE(hints->cursorFlashTime(), still ? 0 : blinking);
            w.leave();
            QCOMPARE(hints->cursorFlashTime(), blinking);
            w.enter(w.runCountField);
            QCOMPARE(hints->cursorFlashTime(), still ? 0 : blinking);
            QTest::keyClick(w.runCountField, Qt::Key_Backspace);
            QCOMPARE(w.runCountField->text(), QString());
            QCOMPARE(hints->cursorFlashTime(), blinking);
            QTest::keyClick(w.runCountField, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(hints->cursorFlashTime(), still ? 0 : blinking);
        }
        // A window closed while the long text had the focus leaves the caret blinking.
        QCOMPARE(hints->cursorFlashTime(), blinking);
    }

    // Values of 10^18 and more show all their digits, so entering and leaving the field keeps them.
    void leavingTheFieldKeepsALargeValue()
    {
        FieldWindow w;
        w.reliabilityField->setEditText(QStringLiteral("150000000000000000000"));
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("150.000.000.000.000.000.000"));
        for (int round = 0; round < 2; ++round) {
            w.enter(w.reliabilityField);
            w.leave();
            QCOMPARE(w.reliabilityField->asFloat(), 1.5e20);
            QCOMPARE(w.reliabilityField->text(), QStringLiteral("150.000.000.000.000.000.000"));
        }
    }

    void theContextMenuEnablesItemsByTheSelection()
    {
        FieldWindow w;
        w.enter(w.runCountField);
        QVERIFY(w.runCountField->hasSelectedText());
        QMenu* menu = w.runCountField->contextMenuForThisField();
        const QStringList captions = {QStringLiteral("&Rückgängig"),
                                      QString(),
                                      QStringLiteral("&Ausschneiden"),
                                      QStringLiteral("&Kopieren"),
                                      QStringLiteral("Einf&ügen"),
                                      QStringLiteral("Löschen"),
                                      QString(),
                                      QStringLiteral("Alles auswählen")};
        QStringList actual;
        for (QAction* action : menu->actions())
            actual << (action->isSeparator() ? QString() : action->text());
        QCOMPARE(actual, captions);
        QVERIFY(!item(menu, QStringLiteral("Alles auswählen"))->isEnabled());
        for (const char* caption : {"&Ausschneiden", "&Kopieren", "Einf&ügen", "Löschen"})
            QVERIFY2(item(menu, QString::fromUtf8(caption))->isEnabled(), caption);

        w.runCountField->setEditText(QString());
        QVERIFY(w.runCountField->text().isEmpty());
        menu = w.runCountField->contextMenuForThisField();
        QVERIFY(item(menu, QStringLiteral("Einf&ügen"))->isEnabled());
        for (const char* caption : {"&Ausschneiden", "&Kopieren", "Löschen", "Alles auswählen"})
            QVERIFY2(!item(menu, QString::fromUtf8(caption))->isEnabled(), caption);
        QCOMPARE(item(menu, QStringLiteral("&Rückgängig"))->isEnabled(),
                 w.runCountField->isUndoAvailable());

        // The one menu follows the field that asks.
        QCOMPARE(w.engineCountField->contextMenuForThisField(), menu);
    }

    void controlKeysEditAndModifiedLettersStayOut()
    {
        FieldWindow w;
        w.enter(w.reliabilityField);
        // The desktop's Delete key carries the DEL character as its text.
        QTest::sendKeyEvent(QTest::Click, w.reliabilityField, Qt::Key_Delete,
                            QStringLiteral("\x7f"), Qt::NoModifier);
        QCOMPARE(w.reliabilityField->text(), QString());
        QTest::keyClicks(w.reliabilityField, QStringLiteral("15"));
        QTest::sendKeyEvent(QTest::Click, w.reliabilityField, Qt::Key_Backspace,
                            QStringLiteral("\b"), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Click, w.reliabilityField, Qt::Key_A, QStringLiteral("a"),
                            Qt::AltModifier);
        QTest::sendKeyEvent(QTest::Click, w.reliabilityField, Qt::Key_X, QStringLiteral("x"),
                            Qt::MetaModifier);
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("1"));
        QVERIFY(!w.reliabilityField->testAttribute(Qt::WA_InputMethodEnabled));
    }

    void aRightClickEntersWithTheTextSelected()
    {
        FieldWindow w;
        QTest::mousePress(w.runCountField, Qt::RightButton, {}, QPoint(5, 10));
        QVERIFY(w.runCountField->hasFocus());
        QCOMPARE(w.runCountField->selectedText(), QStringLiteral("1000000"));
        QTest::mouseRelease(w.runCountField, Qt::RightButton, {}, QPoint(5, 10));
    }

    void loadingLeavesNoSelectionAndNoLengthLimit()
    {
        FieldWindow w;
        QVERIFY(!w.runCountField->hasSelectedText());
        QCOMPARE(w.runCountField->cursorPosition(), 0);
        const QString longText(40000, u'7');
        w.runCountField->setEditText(longText);
        QCOMPARE(w.runCountField->text(), longText);
    }

    void undoIsOfferedOnceThereIsSomethingToUndo()
    {
        FieldWindow w;
        w.enter(w.engineCountField);
        QMenu* menu = w.engineCountField->contextMenuForThisField();
        QVERIFY(!item(menu, QStringLiteral("&Rückgängig"))->isEnabled());
        QTest::keyClicks(w.engineCountField, QStringLiteral("12"));
        menu = w.engineCountField->contextMenuForThisField();
        QVERIFY(item(menu, QStringLiteral("&Rückgängig"))->isEnabled());
        item(menu, QStringLiteral("&Rückgängig"))->trigger();
        QCOMPARE(w.engineCountField->text(), QStringLiteral("9"));
    }

    void anOverflowingValueRaisesWhenCommittedAndKeepsTheEnterText()
    {
        FieldWindow w;
        const QString huge = QStringLiteral("1") + QString(400, u'0');
        QVERIFY_THROWS_EXCEPTION(EOverflow, w.reliabilityField->setEditText(huge));
        QCOMPARE(w.reliabilityField->editText(), huge);
        QCOMPARE(w.reliabilityField->enterText(), QStringLiteral("0,999"));
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("0,999"));
        QVERIFY_THROWS_EXCEPTION(EOverflow, w.reliabilityField->asFloat());

        // Entering the field again reports nothing more, so that an error box closing and handing
        // the focus back cannot start the next one. Leaving commits what the box shows.
        w.enter(w.reliabilityField);
        QVERIFY(w.reliabilityField->hasFocus());
        QCOMPARE(w.reliabilityField->text(), QStringLiteral("0,999"));
        w.leave();
        QCOMPARE(w.reliabilityField->asFloat(), 0.999);
    }

    void survivesAnyInputAndKeepsOnlyAcceptedCharactersAfterACommit()
    {
        FieldWindow w;
        QRandomGenerator random(20261210);
        const QString alphabet = QStringLiteral("0123456789,.-+eE €abc\u00e4\u066b");
        for (NumberField* field : {w.engineCountField, w.reliabilityField, w.runCountField}) {
            for (int round = 0; round < 60; ++round) {
                QString text;
                const int length = random.bounded(0, round % 10 == 0 ? 400 : 12);
                for (int i = 0; i < length; ++i)
                    text += alphabet[random.bounded(static_cast<int>(alphabet.size()))];
                w.enter(field);
                if (round % 2 == 0) {
                    type(field, text);
                } else {
                    platform::setClipboardText(text);
                    field->pasteAndCommit();
                }
                try {
                    w.leave();
                    (void)field->asFloat();
                } catch (const EOverflow&) {
                    continue;
                }
                (void)field->asInteger();
                QCOMPARE(field->filterEditText(field->editText()), field->editText());
            }
        }
    }
};

QTEST_MAIN(NumberFieldTest)
#include "NumberFieldTest.moc"
