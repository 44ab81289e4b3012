#include "ui/field/TValidateEdit.h"

#include "platform/Exceptions.h"
#include "platform/Locale.h"
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

// The three fields of the window, loaded as the window loads them, with a button to take the
// focus away.
class FieldWindow
{
public:
    explicit FieldWindow(const QString& reliabilityText = QStringLiteral("0,999"))
    {
        window.resize(400, 60);
        Anzahl = load(TValidateEditDisplayFormat::dfInteger, QStringLiteral("9"), 0);
        Zuverlaessigkeit = load(TValidateEditDisplayFormat::dfFloat, reliabilityText, 100);
        Durchlaeufe = load(TValidateEditDisplayFormat::dfDecimal, QStringLiteral("1000000"), 200);
        other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        other->setGeometry(300, 0, 50, 20);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("the test window did not become active");
    }

    TValidateEdit* load(TValidateEditDisplayFormat format, const QString& text, int left)
    {
        auto* field = new TValidateEdit(&window);
        field->beginLoading();
        field->setGeometry(left, 0, 92, 21);
        if (format == TValidateEditDisplayFormat::dfFloat) {
            field->setTrimDecimals(true);
            field->setDisplayFormat(format);
            field->setDecimalPlaces(5);
        } else if (format == TValidateEditDisplayFormat::dfDecimal) {
            field->setDisplayFormat(format);
        }
        field->setEditText(text);
        field->Loaded();
        return field;
    }

    void enter(TValidateEdit* field) { field->setFocus(Qt::TabFocusReason); }
    void leave() { other->setFocus(Qt::TabFocusReason); }

    QWidget window;
    TValidateEdit* Anzahl = nullptr;
    TValidateEdit* Zuverlaessigkeit = nullptr;
    TValidateEdit* Durchlaeufe = nullptr;
    QWidget* other = nullptr;
};

class TValidateEditTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<platform::ScopedLocale> m_locale;

    void useLocale(const char16_t* decimal, const char16_t* thousand)
    {
        m_locale.reset();
        m_locale = std::make_unique<platform::ScopedLocale>(
            platform::LocaleFormats{decimal, thousand, u"€"});
        LoadFormatSettings();
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
        QCOMPARE(w.Anzahl->text(), QStringLiteral("9"));
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("0,999"));
        QCOMPARE(w.Durchlaeufe->text(), QStringLiteral("1000000"));
        QCOMPARE(w.Anzahl->AsInteger(), 9);
        QCOMPARE(w.Zuverlaessigkeit->AsFloat(), 0.999);
        QCOMPARE(w.Durchlaeufe->AsInteger(), 1000000);
        QCOMPARE(w.Zuverlaessigkeit->EnterText(), w.Zuverlaessigkeit->EditText());
        QVERIFY(w.Anzahl->alignment() & Qt::AlignRight);
    }

    void aPointLocaleReadsTheCommaTextAsAWholeNumber()
    {
        useLocale(u".", u",");
        FieldWindow w;
        QCOMPARE(w.Zuverlaessigkeit->EditText(), QStringLiteral("0999"));
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("999"));
        QCOMPARE(w.Zuverlaessigkeit->AsFloat(), 999.0);

        FieldWindow mended(QStringLiteral("0.999"));
        QCOMPARE(mended.Zuverlaessigkeit->text(), QStringLiteral("0.999"));
        QCOMPARE(mended.Zuverlaessigkeit->AsFloat(), 0.999);
    }

    void typingDropsWhatCannotFormANumber()
    {
        FieldWindow w;
        w.enter(w.Zuverlaessigkeit);
        QVERIFY(w.Zuverlaessigkeit->hasFocus());
        QCOMPARE(w.Zuverlaessigkeit->selectedText(), QStringLiteral("0,999"));
        QTest::keyClicks(w.Zuverlaessigkeit, QStringLiteral("x1a.b e,E5,-"));
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("1,5"));
        QCOMPARE(w.Zuverlaessigkeit->EditText(), QStringLiteral("1,5"));

        w.enter(w.Anzahl);
        QTest::keyClicks(w.Anzahl, QStringLiteral("-5,3"));
        QCOMPARE(w.Anzahl->text(), QStringLiteral("-53"));

        w.enter(w.Durchlaeufe);
        QTest::keyClicks(w.Durchlaeufe, QStringLiteral("1000000,5"));
        w.leave();
        QCOMPARE(w.Durchlaeufe->text(), QStringLiteral("1000000,5"));
        QCOMPARE(w.Durchlaeufe->AsInteger(), 0);
    }

    void aSignGoesOnlyToTheFront()
    {
        FieldWindow w;
        w.enter(w.Anzahl);
        QTest::keyClicks(w.Anzahl, QStringLiteral("-5"));
        QTest::keyClick(w.Anzahl, Qt::Key_Home);
        QTest::keyClicks(w.Anzahl, QStringLiteral("-3"));
        QCOMPARE(w.Anzahl->text(), QStringLiteral("3-5"));
        QCOMPARE(w.Anzahl->AsInteger(), 0);
        w.leave();
        QCOMPARE(w.Anzahl->text(), QStringLiteral("35"));
        QCOMPARE(w.Anzahl->AsInteger(), 35);

        w.enter(w.Durchlaeufe);
        QTest::keyClicks(w.Durchlaeufe, QStringLiteral("+12"));
        w.leave();
        QCOMPARE(w.Durchlaeufe->text(), QStringLiteral("+12"));
        QCOMPARE(w.Durchlaeufe->AsInteger(), 12);
    }

    void theKeypadDecimalKeyTypesTheLocaleSeparator()
    {
        FieldWindow w;
        w.enter(w.Zuverlaessigkeit);
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_0);
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_Period, Qt::KeypadModifier);
        QVERIFY(w.Zuverlaessigkeit->ForceDecimalSeparatorInput());
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_5);
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("0,5"));
        // A second separator is refused, from either key, also while the first is selected.
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_Period, Qt::KeypadModifier);
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_Comma);
        w.Zuverlaessigkeit->setSelection(1, 1);
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_Comma);
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("0,5"));
        // The main keyboard's full stop stays refused.
        w.Zuverlaessigkeit->end(false);
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_Period);
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("0,5"));
    }

    void leavingCommitsFormattedAndKeepsTheTypedValueUntilThen()
    {
        FieldWindow w;
        w.enter(w.Zuverlaessigkeit);
        QTest::keyClicks(w.Zuverlaessigkeit, QStringLiteral("1234,5"));
        w.leave();
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("1.234,5"));
        QCOMPARE(w.Zuverlaessigkeit->AsFloat(), 1234.5);

        w.enter(w.Zuverlaessigkeit);
        QTest::keyClicks(w.Zuverlaessigkeit, QStringLiteral("0,1234567"));
        w.leave();
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("0,12346"));
        QCOMPARE(w.Zuverlaessigkeit->AsFloat(), 0.1234567);
        w.enter(w.Zuverlaessigkeit);
        w.leave();
        QCOMPARE(w.Zuverlaessigkeit->EditText(), QStringLiteral("0,12346"));
        QCOMPARE(w.Zuverlaessigkeit->AsFloat(), 0.12346);

        w.enter(w.Anzahl);
        QTest::keyClicks(w.Anzahl, QStringLiteral("007"));
        w.leave();
        QCOMPARE(w.Anzahl->text(), QStringLiteral("7"));
        QCOMPARE(w.Anzahl->EditText(), QStringLiteral("007"));
        QCOMPARE(w.Anzahl->AsInteger(), 7);

        w.enter(w.Anzahl);
        QTest::keyClicks(w.Anzahl, QStringLiteral("12345678901234567890"));
        w.leave();
        QCOMPARE(w.Anzahl->AsInteger(), 0);
        QCOMPARE(w.Anzahl->text(), QStringLiteral("0"));
    }

    void aMouseClickEntersWithoutSelecting()
    {
        FieldWindow w;
        QTest::mouseClick(w.Anzahl, Qt::LeftButton, {}, QPoint(5, 10));
        QVERIFY(w.Anzahl->hasFocus());
        QVERIFY(!w.Anzahl->hasSelectedText());
    }

    void escapeRestoresTheLastCommitAndSelectsIt()
    {
        FieldWindow w;
        w.enter(w.Zuverlaessigkeit);
        QTest::keyClicks(w.Zuverlaessigkeit, QStringLiteral("12345"));
        QCOMPARE(w.Zuverlaessigkeit->AsFloat(), 12345.0);
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_Escape);
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("0,999"));
        QCOMPARE(w.Zuverlaessigkeit->AsFloat(), 0.999);
        QCOMPARE(w.Zuverlaessigkeit->selectionStart(), 0);
        QCOMPARE(w.Zuverlaessigkeit->selectedText(), QStringLiteral("0,999"));

        // With grouping the shown text is longer than the number's own: the selection covers as
        // many characters as the number has.
        w.Zuverlaessigkeit->setEditText(QStringLiteral("1234,5"));
        QTest::keyClicks(w.Zuverlaessigkeit, QStringLiteral("9"));
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_Escape);
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("1.234,5"));
        QCOMPARE(w.Zuverlaessigkeit->selectedText(), QStringLiteral("1.234,"));
    }

    void pasteIsFilteredAndCommittedAtOnce()
    {
        FieldWindow w;
        w.enter(w.Zuverlaessigkeit);
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_Delete);
        QCOMPARE(w.Zuverlaessigkeit->text(), QString());
        QGuiApplication::clipboard()->setText(QStringLiteral("abc12,3,4"));
        QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("12,34"));
        QCOMPARE(w.Zuverlaessigkeit->EnterText(), QStringLiteral("12,34"));

        // The menu's paste does the same.
        QGuiApplication::clipboard()->setText(QStringLiteral("-7y"));
        w.enter(w.Anzahl);
        QMenu* menu = w.Anzahl->contextMenuForThisField();
        item(menu, QStringLiteral("Einf&ügen"))->trigger();
        QCOMPARE(w.Anzahl->text(), QStringLiteral("-7"));
        QCOMPARE(w.Anzahl->AsInteger(), -7);
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
        w.enter(w.Zuverlaessigkeit);
        type(w.Zuverlaessigkeit, QStringLiteral("0,95"));
        w.Zuverlaessigkeit->selectAll();
        if (image) {
            QImage picture(4, 4, QImage::Format_RGB32);
            picture.fill(Qt::red);
            QGuiApplication::clipboard()->setImage(picture);
        } else {
            QGuiApplication::clipboard()->clear();
        }
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());

        if (how == QStringLiteral("Ctrl+V"))
            QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_V, Qt::ControlModifier);
        else if (how == QStringLiteral("Shift+Insert"))
            QTest::keyClick(w.Zuverlaessigkeit, Qt::Key_Insert, Qt::ShiftModifier);
        else
            item(w.Zuverlaessigkeit->contextMenuForThisField(), QStringLiteral("Einf&ügen"))
                ->trigger();

        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("0,95"));
        QCOMPARE(w.Zuverlaessigkeit->selectedText(), QStringLiteral("0,95"));
        QCOMPARE(w.Zuverlaessigkeit->EditText(), QStringLiteral("0,95"));
        QCOMPARE(w.Zuverlaessigkeit->EnterText(), QStringLiteral("0,999"));
        w.leave();
        QCOMPARE(w.Zuverlaessigkeit->AsFloat(), 0.95);
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
            QGuiApplication::clipboard()->setText(QString(length, u'7'));
            w.enter(w.Durchlaeufe);
            QTest::keyClick(w.Durchlaeufe, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(w.Durchlaeufe->text().size(), length);
            QCOMPARE(hints->cursorFlashTime(), still ? 0 : blinking);
            w.leave();
            QCOMPARE(hints->cursorFlashTime(), blinking);
            w.enter(w.Durchlaeufe);
            QCOMPARE(hints->cursorFlashTime(), still ? 0 : blinking);
            QTest::keyClick(w.Durchlaeufe, Qt::Key_Backspace);
            QCOMPARE(w.Durchlaeufe->text(), QString());
            QCOMPARE(hints->cursorFlashTime(), blinking);
            QTest::keyClick(w.Durchlaeufe, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(hints->cursorFlashTime(), still ? 0 : blinking);
        }
        // A window closed while the long text had the focus leaves the caret blinking.
        QCOMPARE(hints->cursorFlashTime(), blinking);
    }

    // Values of 10^18 and more show all their digits, so entering and leaving the field keeps them.
    void leavingTheFieldKeepsALargeValue()
    {
        FieldWindow w;
        w.Zuverlaessigkeit->setEditText(QStringLiteral("150000000000000000000"));
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("150.000.000.000.000.000.000"));
        for (int round = 0; round < 2; ++round) {
            w.enter(w.Zuverlaessigkeit);
            w.leave();
            QCOMPARE(w.Zuverlaessigkeit->AsFloat(), 1.5e20);
            QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("150.000.000.000.000.000.000"));
        }
    }

    void theContextMenuEnablesItemsByTheSelection()
    {
        FieldWindow w;
        w.enter(w.Durchlaeufe);
        QVERIFY(w.Durchlaeufe->hasSelectedText());
        QMenu* menu = w.Durchlaeufe->contextMenuForThisField();
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

        w.Durchlaeufe->setEditText(QString());
        QVERIFY(w.Durchlaeufe->text().isEmpty());
        menu = w.Durchlaeufe->contextMenuForThisField();
        QVERIFY(item(menu, QStringLiteral("Einf&ügen"))->isEnabled());
        for (const char* caption : {"&Ausschneiden", "&Kopieren", "Löschen", "Alles auswählen"})
            QVERIFY2(!item(menu, QString::fromUtf8(caption))->isEnabled(), caption);
        QCOMPARE(item(menu, QStringLiteral("&Rückgängig"))->isEnabled(),
                 w.Durchlaeufe->isUndoAvailable());

        // The one menu follows the field that asks.
        QCOMPARE(w.Anzahl->contextMenuForThisField(), menu);
    }

    void controlKeysEditAndModifiedLettersStayOut()
    {
        FieldWindow w;
        w.enter(w.Zuverlaessigkeit);
        // The desktop's Delete key carries the DEL character as its text.
        QTest::sendKeyEvent(QTest::Click, w.Zuverlaessigkeit, Qt::Key_Delete,
                            QStringLiteral("\x7f"), Qt::NoModifier);
        QCOMPARE(w.Zuverlaessigkeit->text(), QString());
        QTest::keyClicks(w.Zuverlaessigkeit, QStringLiteral("15"));
        QTest::sendKeyEvent(QTest::Click, w.Zuverlaessigkeit, Qt::Key_Backspace,
                            QStringLiteral("\b"), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Click, w.Zuverlaessigkeit, Qt::Key_A, QStringLiteral("a"),
                            Qt::AltModifier);
        QTest::sendKeyEvent(QTest::Click, w.Zuverlaessigkeit, Qt::Key_X, QStringLiteral("x"),
                            Qt::MetaModifier);
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("1"));
        QVERIFY(!w.Zuverlaessigkeit->testAttribute(Qt::WA_InputMethodEnabled));
    }

    void aRightClickEntersWithTheTextSelected()
    {
        FieldWindow w;
        QTest::mousePress(w.Durchlaeufe, Qt::RightButton, {}, QPoint(5, 10));
        QVERIFY(w.Durchlaeufe->hasFocus());
        QCOMPARE(w.Durchlaeufe->selectedText(), QStringLiteral("1000000"));
        QTest::mouseRelease(w.Durchlaeufe, Qt::RightButton, {}, QPoint(5, 10));
    }

    void loadingLeavesNoSelectionAndNoLengthLimit()
    {
        FieldWindow w;
        QVERIFY(!w.Durchlaeufe->hasSelectedText());
        QCOMPARE(w.Durchlaeufe->cursorPosition(), 0);
        const QString longText(40000, u'7');
        w.Durchlaeufe->setEditText(longText);
        QCOMPARE(w.Durchlaeufe->text(), longText);
    }

    void undoIsOfferedOnceThereIsSomethingToUndo()
    {
        FieldWindow w;
        w.enter(w.Anzahl);
        QMenu* menu = w.Anzahl->contextMenuForThisField();
        QVERIFY(!item(menu, QStringLiteral("&Rückgängig"))->isEnabled());
        QTest::keyClicks(w.Anzahl, QStringLiteral("12"));
        menu = w.Anzahl->contextMenuForThisField();
        QVERIFY(item(menu, QStringLiteral("&Rückgängig"))->isEnabled());
        item(menu, QStringLiteral("&Rückgängig"))->trigger();
        QCOMPARE(w.Anzahl->text(), QStringLiteral("9"));
    }

    void anOverflowingValueRaisesWhenCommittedAndKeepsTheEnterText()
    {
        FieldWindow w;
        const QString huge = QStringLiteral("1") + QString(400, u'0');
        QVERIFY_THROWS_EXCEPTION(EOverflow, w.Zuverlaessigkeit->setEditText(huge));
        QCOMPARE(w.Zuverlaessigkeit->EditText(), huge);
        QCOMPARE(w.Zuverlaessigkeit->EnterText(), QStringLiteral("0,999"));
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("0,999"));
        QVERIFY_THROWS_EXCEPTION(EOverflow, w.Zuverlaessigkeit->AsFloat());

        // Entering the field again reports nothing more, so that an error box closing and handing
        // the focus back cannot start the next one. Leaving commits what the box shows.
        w.enter(w.Zuverlaessigkeit);
        QVERIFY(w.Zuverlaessigkeit->hasFocus());
        QCOMPARE(w.Zuverlaessigkeit->text(), QStringLiteral("0,999"));
        w.leave();
        QCOMPARE(w.Zuverlaessigkeit->AsFloat(), 0.999);
    }

    void survivesAnyInputAndKeepsOnlyAcceptedCharactersAfterACommit()
    {
        FieldWindow w;
        QRandomGenerator random(20261210);
        const QString alphabet = QStringLiteral("0123456789,.-+eE €abc\u00e4\u066b");
        for (TValidateEdit* field : {w.Anzahl, w.Zuverlaessigkeit, w.Durchlaeufe}) {
            for (int round = 0; round < 60; ++round) {
                QString text;
                const int length = random.bounded(0, round % 10 == 0 ? 400 : 12);
                for (int i = 0; i < length; ++i)
                    text += alphabet[random.bounded(static_cast<int>(alphabet.size()))];
                w.enter(field);
                if (round % 2 == 0) {
                    type(field, text);
                } else {
                    QGuiApplication::clipboard()->setText(text);
                    field->pasteAndCommit();
                }
                try {
                    w.leave();
                    (void)field->AsFloat();
                } catch (const EOverflow&) {
                    continue;
                }
                (void)field->AsInteger();
                QCOMPARE(field->FilterEditText(field->EditText()), field->EditText());
            }
        }
    }
};

QTEST_MAIN(TValidateEditTest)
#include "TValidateEditTest.moc"
