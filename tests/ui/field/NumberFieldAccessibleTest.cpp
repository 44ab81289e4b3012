#include "ui/field/NumberFieldAccessible.h"

#include "platform/Locale.h"
#include "platform/desktop/Clipboard.h"
#include "presentation/FormatSettings.h"
#include "support/FakeClipboard.h"
#include "ui/field/NumberField.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include <memory>

Q_DECLARE_METATYPE(NumberFormat)

namespace {

// What a reader does with the attribute runs of a text (Orca does it to speak each span in its
// own language): it asks for the run at the start, takes it from there to the run's end, and
// goes on from that end, or one character further where the run ends where it began.
QStringList spansAReaderReads(QAccessibleTextInterface* text)
{
    QStringList spans;
    const int length = text->characterCount();
    int offset = 0;
    while (offset < length) {
        int start = -1;
        int end = -1;
        text->attributes(offset, &start, &end);
        spans.append(text->text(std::max(start, offset), end));
        offset = std::max(end, offset + 1);
    }
    return spans;
}

} // namespace

class NumberFieldAccessibleTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<platform::ScopedLocale> m_locale;
    FakeClipboard m_clipboard;
    std::unique_ptr<platform::ScopedClipboard> m_scopedClipboard;
    std::unique_ptr<QWidget> m_window;

    // A field as the window loads it, under a caption that names it.
    NumberField* field(NumberFormat format, const QString& text)
    {
        auto* caption = new QLabel(QStringLiteral("Ausfallwahrscheinlichkeit:"), m_window.get());
        auto* created = new NumberField(m_window.get());
        created->beginLoading();
        created->setGeometry(10, 20, 92, 21);
        if (format == NumberFormat::Float) {
            created->setTrimDecimals(true);
            created->setDisplayFormat(format);
            created->setDecimalPlaces(5);
        } else if (format == NumberFormat::Decimal) {
            created->setDisplayFormat(format);
        }
        created->setEditText(text);
        created->endLoading();
        caption->setBuddy(created);
        m_window->show();
        return created;
    }

    static QAccessibleInterface* reader(NumberField* field)
    {
        return QAccessible::queryAccessibleInterface(field);
    }

private slots:
    void init()
    {
        m_locale =
            std::make_unique<platform::ScopedLocale>(platform::LocaleFormats{u",", u".", u""});
        loadFormatSettings();
        m_scopedClipboard = std::make_unique<platform::ScopedClipboard>(m_clipboard);
        m_window = std::make_unique<QWidget>();
        m_window->resize(300, 80);
    }

    void cleanup()
    {
        m_window.reset();
        m_scopedClipboard.reset();
        m_locale.reset();
    }

    void aRunSpansTheWholeText_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::newRow("empty text") << 0 << 0 << 0 << 0;
        QTest::newRow("one character, at it") << 0 << 1 << 0 << 1;
        QTest::newRow("one character, at its end") << 1 << 1 << 0 << 1;
        QTest::newRow("start") << 0 << 5 << 0 << 5;
        QTest::newRow("middle") << 3 << 5 << 0 << 5;
        QTest::newRow("last character") << 4 << 5 << 0 << 5;
        QTest::newRow("end") << 5 << 5 << 0 << 5;
        QTest::newRow("before the text") << -1 << 5 << -1 << -1;
        QTest::newRow("beyond the end") << 6 << 5 << -1 << -1;
    }
    void aRunSpansTheWholeText()
    {
        QFETCH(int, offset);
        QFETCH(int, length);
        QFETCH(int, start);
        QFETCH(int, end);
        QCOMPARE(NumberFieldAccessible::attributeRun(offset, length),
                 (NumberFieldAccessible::Run{start, end}));
    }

    void aReaderReadsTheWholeValue_data()
    {
        QTest::addColumn<NumberFormat>("format");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("shown");
        // A committed field is never empty (it shows 0); a field being typed into is.
        QTest::newRow("empty") << NumberFormat::Integer << ""
                               << "";
        QTest::newRow("engines") << NumberFormat::Integer << "9"
                                 << "9";
        QTest::newRow("reliability") << NumberFormat::Float << "0,999"
                                     << "0,999";
        QTest::newRow("runs") << NumberFormat::Decimal << "1000000"
                              << "1000000";
        QTest::newRow("grouped") << NumberFormat::Float << "150000000000000000000"
                                 << "150.000.000.000.000.000.000";
    }
    void aReaderReadsTheWholeValue()
    {
        QFETCH(NumberFormat, format);
        QFETCH(QString, entered);
        QFETCH(QString, shown);
        NumberField* edit = field(format, entered);
        if (entered.isEmpty())
            edit->clear();
        QCOMPARE(edit->displayText(), shown);
        QAccessibleTextInterface* text = reader(edit)->textInterface();
        QVERIFY(text != nullptr);
        const int length = static_cast<int>(shown.size());
        QCOMPARE(text->characterCount(), length);
        for (int offset = 0; offset <= length; ++offset) {
            int start = -1;
            int end = -1;
            QCOMPARE(text->attributes(offset, &start, &end), QString());
            QCOMPARE(start, 0);
            QCOMPARE(end, length);
        }
        QCOMPARE(spansAReaderReads(text).join(QString()), shown);
        QCOMPARE(reader(edit)->text(QAccessible::Value), shown);
    }

    void theFieldIsAnEditableTextNamedByItsCaption()
    {
        NumberField* edit = field(NumberFormat::Float, QStringLiteral("0,999"));
        QAccessibleInterface* iface = reader(edit);
        QVERIFY(dynamic_cast<NumberFieldAccessible*>(iface) != nullptr);
        QCOMPARE(iface->role(), QAccessible::EditableText);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Ausfallwahrscheinlichkeit:"));
        const auto labels = iface->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.first().first->text(QAccessible::Name),
                 QStringLiteral("Ausfallwahrscheinlichkeit:"));
        QVERIFY(iface->state().editable);
        QVERIFY(iface->state().selectableText);
        QVERIFY(!iface->state().readOnly);
        QVERIFY(iface->editableTextInterface() != nullptr);
    }

    void theSelectionIsTheFieldsSelection()
    {
        NumberField* edit = field(NumberFormat::Float, QStringLiteral("0,999"));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        edit->setFocus(Qt::TabFocusReason);
        QAccessibleTextInterface* text = reader(edit)->textInterface();
        int start = -1;
        int end = -1;
        QCOMPARE(text->selectionCount(), 1);
        text->selection(0, &start, &end);
        QCOMPARE(start, 0);
        QCOMPARE(end, 5);
        text->setSelection(0, 2, 4);
        QCOMPARE(edit->selectedText(), QStringLiteral("99"));
        text->removeSelection(0);
        QCOMPARE(text->selectionCount(), 0);
        text->setCursorPosition(3);
        QCOMPARE(text->cursorPosition(), 3);
    }

    // What a reader writes goes the way of a paste: whatever cannot form a number is dropped and
    // the rest is committed. The same text pasted over the same part of a second field is what
    // the reader's write must give.
    void aReaderWritesLikeAPaste_data()
    {
        QTest::addColumn<NumberFormat>("format");
        QTest::addColumn<QString>("initial");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("expected");
        QTest::newRow("inserted digits and letters")
            << NumberFormat::Integer << "9" << 1 << 1 << "2x3"
            << "923";
        QTest::newRow("replaced by a decimal")
            << NumberFormat::Float << "0,999" << 0 << 5 << "1,5abc"
            << "1,5";
        QTest::newRow("a part replaced") << NumberFormat::Decimal << "1000000" << 1 << 3 << "5e"
                                         << "150000";
        QTest::newRow("deleted") << NumberFormat::Integer << "123" << 0 << 1 << ""
                                 << "23";
    }
    void aReaderWritesLikeAPaste()
    {
        QFETCH(NumberFormat, format);
        QFETCH(QString, initial);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, written);
        QFETCH(QString, expected);

        NumberField* byReader = field(format, initial);
        reader(byReader)->editableTextInterface()->replaceText(start, end, written);
        QCOMPARE(byReader->text(), expected);

        NumberField* pasted = field(format, initial);
        pasted->setSelection(start, end - start);
        m_clipboard.content = written;
        if (!written.isEmpty())
            pasted->pasteAndCommit();
        else
            pasted->deleteSelection();
        QCOMPARE(byReader->text(), pasted->text());
        QCOMPARE(byReader->editText(), pasted->editText());
    }

    void aReaderSettingTheValueCommitsIt()
    {
        NumberField* edit = field(NumberFormat::Float, QStringLiteral("0,999"));
        reader(edit)->setText(QAccessible::Value, QStringLiteral("9x9,5"));
        QCOMPARE(edit->text(), QStringLiteral("99,5"));
        QCOMPARE(edit->asFloat(), 99.5);
    }

    void charactersAreWhereTheBoxDrawsThem()
    {
        NumberField* edit = field(NumberFormat::Float, QStringLiteral("0,999"));
        QAccessibleInterface* iface = reader(edit);
        QAccessibleTextInterface* text = iface->textInterface();
        const QRect box = iface->rect();
        int previousRight = box.left();
        for (int offset = 0; offset < 5; ++offset) {
            const QRect character = text->characterRect(offset);
            QVERIFY2(box.contains(character), qPrintable(QString::number(offset)));
            QVERIFY(character.left() >= previousRight);
            previousRight = character.right();
            // The box places the caret before a character left of the character's middle.
            const QPoint inside(character.left() + character.width() / 4, character.center().y());
            QCOMPARE(text->offsetAtPoint(inside), offset);
        }
        QCOMPARE(text->characterRect(5), QRect());
    }
};

QTEST_MAIN(NumberFieldAccessibleTest)
#include "NumberFieldAccessibleTest.moc"
