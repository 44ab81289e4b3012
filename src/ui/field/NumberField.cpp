#include "ui/field/NumberField.h"

#include "platform/Exceptions.h"
#include "platform/Utf16Text.h"
#include "platform/desktop/Clipboard.h"
#include "platform/desktop/Fonts.h"
#include "platform/desktop/Keyboard.h"
#include "presentation/CheckedArithmetic.h"
#include "presentation/FormatSettings.h"
#include "ui/field/NumberFieldAccessible.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QStyleHints>

#include <limits>

namespace {

using platform::fromU16;
using platform::toU16;

// Sets a flag for as long as it lives, also when an error ends the scope early.
class FlagScope
{
public:
    explicit FlagScope(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};

// The one context menu of all fields, bound to the field that asked for it last.
struct SharedMenu
{
    QPointer<QMenu> menu;
    QPointer<NumberField> field;
    QAction* undo = nullptr;
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* remove = nullptr;
    QAction* selectAll = nullptr;
};

SharedMenu g_sharedMenu;

void buildSharedMenu(QWidget* owner)
{
    SharedMenu& shared = g_sharedMenu;
    shared.menu = new QMenu(owner);
    auto add = [](const QString& caption, auto action) {
        QAction* item = g_sharedMenu.menu->addAction(caption);
        QObject::connect(item, &QAction::triggered, g_sharedMenu.menu, [action] {
            if (g_sharedMenu.field)
                action(*g_sharedMenu.field);
        });
        return item;
    };
    // The captions of the desktop's own German text-box menu.
    shared.undo = add(QStringLiteral("&Rückgängig"), [](NumberField& field) { field.undo(); });
    shared.menu->addSeparator();
    shared.cut =
        add(QStringLiteral("&Ausschneiden"), [](NumberField& field) { field.cutSelection(); });
    shared.copy =
        add(QStringLiteral("&Kopieren"), [](NumberField& field) { field.copySelection(); });
    shared.paste =
        add(QStringLiteral("Einf&ügen"), [](NumberField& field) { field.pasteAndCommit(); });
    shared.remove =
        add(QStringLiteral("Löschen"), [](NumberField& field) { field.deleteSelection(); });
    shared.menu->addSeparator();
    shared.selectAll =
        add(QStringLiteral("Alles auswählen"), [](NumberField& field) { field.selectAll(); });
}

} // namespace

NumberField::NumberField(QWidget* parent)
    : QLineEdit(parent)
    , m_checkChars(QStringLiteral("01234567890"))
{
    static const bool readableWhole = [] {
        QAccessible::installFactory(&NumberFieldAccessible::create);
        return true;
    }();
    Q_UNUSED(readableWhole);
    // Text dropped in or composed by an input method would bypass the filter: a number field
    // takes neither (dead keys still compose, into ordinary key events).
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setMaxLength(std::numeric_limits<int>::max());
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        boxTextChanged(text);
        steadyCaretForALongText();
    });
    setBoxText(QString());
    adjustHeightToFont();
    // Where the system tells beforehand what the keypad's decimal key types, the field knows
    // from the start whether to turn it into the locale's separator; elsewhere the key says so.
    if (const auto keypad = platform::keypadDecimalCharacter())
        m_forceDecimalSeparatorInput = *keypad != formatSettings.decimalSeparator;
}

NumberField::~NumberField()
{
    m_destroying = true;
    if (m_blinkingFlashTime)
        QGuiApplication::styleHints()->setCursorFlashTime(*m_blinkingFlashTime);
}

NumberFieldContext NumberField::context() const
{
    NumberFieldContext field;
    field.displayFormat = m_displayFormat;
    field.checkChars = toU16(m_checkChars);
    field.decimalSeparator = formatSettings.decimalSeparator;
    field.thousandSeparator = formatSettings.thousandSeparator;
    field.currencySymbol = formatSettings.currencyString;
    field.trimDecimals = m_trimDecimals;
    field.decimalPlaces = m_decimalPlaces;
    return field;
}

void NumberField::setDisplayFormat(NumberFormat format)
{
    m_displayFormat = format;
    recalculateCheckChars();
    // Every number format is right-aligned.
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!m_loading)
        refreshDisplay();
}

void NumberField::setDecimalPlaces(unsigned places)
{
    if (!m_loading && m_displayFormat != NumberFormat::Float)
        return;
    m_decimalPlaces = places;
    if (!m_loading)
        refreshDisplay();
}

void NumberField::setTrimDecimals(bool trim)
{
    m_trimDecimals = trim;
    if (!m_loading)
        refreshDisplay();
}

void NumberField::recalculateCheckChars()
{
    m_checkChars =
        fromU16(NumberFieldRules::checkCharsFor(m_displayFormat, formatSettings.decimalSeparator));
}

void NumberField::setEditText(const QString& text)
{
    commit(text);
}

void NumberField::setBoxText(const QString& text)
{
    if (!m_selfChange)
        commit(text);
    m_enterText = m_editText;
}

void NumberField::beginLoading()
{
    m_loading = true;
}

void NumberField::endLoading()
{
    m_loading = false;
    commit(m_editText);
    deselect();
    setCursorPosition(0);
}

std::int64_t NumberField::asInteger() const
{
    return NumberFieldRules::integerValue(toU16(m_editText));
}

double NumberField::asFloat() const
{
    return checkedToDouble(NumberFieldRules::floatValue(toU16(m_editText)));
}

bool NumberField::acceptsChar(const QString& context, QChar& character, int position)
{
    char16_t code = character.unicode();
    const bool accepted = NumberFieldRules::acceptsChar(
        this->context(), toU16(context), code, static_cast<std::size_t>(position),
        !hasSelectedText(),
        m_lastDownKey == DownKey::KeypadDecimal && m_forceDecimalSeparatorInput);
    character = QChar(code);
    return accepted;
}

QString NumberField::filterEditText(const QString& text)
{
    return fromU16(NumberFieldRules::filterEditText(context(), toU16(text)));
}

QString NumberField::stripDecorations(const QString& text) const
{
    return fromU16(NumberFieldRules::stripDecorationsOf(context(), toU16(text)));
}

void NumberField::commit(const QString& text)
{
    m_editText = filterEditText(stripDecorations(text));
    refreshDisplay();
    m_enterText = m_editText;
}

void NumberField::refreshDisplay()
{
    showDisplayText(fromU16(NumberFieldRules::displayValue(context(), toU16(m_editText))));
}

void NumberField::showDisplayText(const QString& text)
{
    FlagScope selfChange(m_selfChange);
    const QString shown = fromU16(NumberFieldRules::decorateDisplayText(context(), toU16(text)));
    if (shown != this->text())
        setText(shown);
}

void NumberField::boxTextChanged(const QString& text)
{
    if (!m_selfChange)
        m_editText = stripDecorations(text);
}

// The box measures and draws its whole text on every paint, and a blink of the caret is a paint:
// with a pasted megabyte that keeps a core busy while nobody types. Qt lets a box blink only at
// the application's flash time, so while a long text has the focus the caret stays lit instead,
// and blinks again once the text is short or the focus has gone.
void NumberField::steadyCaretForALongText()
{
    constexpr qsizetype longText = 4096;
    const bool steady = hasFocus() && text().size() > longText;
    QStyleHints* hints = QGuiApplication::styleHints();
    if (steady && !m_blinkingFlashTime) {
        m_blinkingFlashTime = hints->cursorFlashTime();
        hints->setCursorFlashTime(0);
    } else if (!steady && m_blinkingFlashTime) {
        hints->setCursorFlashTime(*m_blinkingFlashTime);
        m_blinkingFlashTime.reset();
    }
}

void NumberField::pasteAndCommit()
{
    // A clipboard without text (empty, or holding only an image) leaves the field as it is, rather
    // than deleting the selection and committing what is left.
    const QString pasted = platform::clipboardText();
    if (isReadOnly() || pasted.isEmpty())
        return;
    // The clipboard's text goes in unchecked, replacing the selection; the commit filters it.
    insert(pasted);
    commit(filterEditText(stripDecorations(text())));
}

void NumberField::copySelection()
{
    if (hasSelectedText() && echoMode() == QLineEdit::Normal)
        platform::setClipboardText(selectedText());
}

void NumberField::cutSelection()
{
    if (isReadOnly() || !hasSelectedText())
        return;
    copySelection();
    del();
}

void NumberField::deleteSelection()
{
    if (!isReadOnly() && hasSelectedText())
        del();
}

void NumberField::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool keypadDecimal = event->modifiers().testFlag(Qt::KeypadModifier) &&
                               (typed == QStringLiteral(".") || typed == QStringLiteral(","));
    m_lastDownKey = keypadDecimal ? DownKey::KeypadDecimal : DownKey::Other;
    if (keypadDecimal)
        m_forceDecimalSeparatorInput = typed.front().unicode() != formatSettings.decimalSeparator;

    if (event->key() == Qt::Key_Escape) {
        event->accept();
        commit(m_enterText);
        setSelection(0, static_cast<int>(m_editText.size()));
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        pasteAndCommit();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        event->accept();
        copySelection();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        event->accept();
        cutSelection();
        return;
    }
    // Printable text goes through the filter, whatever Alt or Meta key is held; Delete's text
    // (DEL, 0x7F) and every control character pass to the box's own key handling, as do the
    // Ctrl shortcuts.
    const bool command = event->modifiers() & Qt::ControlModifier;
    const bool printable = !typed.isEmpty() && typed.front().unicode() >= 32 &&
                           typed.front().unicode() != 0x7F && event->key() != Qt::Key_Delete &&
                           event->key() != Qt::Key_Backspace;
    if (printable && !command) {
        event->accept();
        typeCharacters(event);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberField::typeCharacters(QKeyEvent* event)
{
    // A rejected character vanishes without a sound; an accepted one replaces the selection.
    for (const QChar original : event->text()) {
        QChar character = original;
        const int position = (hasSelectedText() ? selectionStart() : cursorPosition()) + 1;
        if (acceptsChar(stripDecorations(text()), character, position))
            insert(QString(character));
    }
}

void NumberField::keyReleaseEvent(QKeyEvent* event)
{
    m_lastDownKey = DownKey::None;
    QLineEdit::keyReleaseEvent(event);
}

void NumberField::focusInEvent(QFocusEvent* event)
{
    // A context menu takes the focus only for the time it is open.
    if (event->reason() == Qt::PopupFocusReason) {
        QLineEdit::focusInEvent(event);
        steadyCaretForALongText();
        return;
    }
    try {
        refreshDisplay();
    } catch (const EOverflow&) {
        // The commit that stored this value has reported it already. Reporting it on entry too
        // would put the focus into the error box and back here, and so on without end; the field
        // keeps its shown text and the user can mend the value.
    }
    QLineEdit::focusInEvent(event);
    steadyCaretForALongText();
    // Only a press of the left button places the caret itself.
    const bool leftPress = event->reason() == Qt::MouseFocusReason &&
                           QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    if (!leftPress) {
        selectAll();
        if (QAccessible::isActive())
            QMetaObject::invokeMethod(
                this, [this] { tellReaderOfTheSelection(); }, Qt::QueuedConnection);
    }
}

// Qt tells a reader of the selection made on entering before it tells of the focus, which it
// does only once this handler is done. A reader hears of a selection in a field it has not been
// told about as news of its own: it speaks the value, then the caption with the value again.
// Readers pass over all but the latest selection event of a field, so the selection is told once
// more, after the focus: the reader then speaks the caption with the selected value, once, and
// the selection it hears last is the one it already knows.
void NumberField::tellReaderOfTheSelection()
{
    if (!QAccessible::isActive() || !hasFocus())
        return;
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    QAccessibleTextSelectionEvent selection(this, start,
                                            start + static_cast<int>(selectedText().size()));
    selection.setCursorPosition(cursorPosition());
    QAccessible::updateAccessibility(&selection);
}

void NumberField::focusOutEvent(QFocusEvent* event)
{
    struct BaseHandling
    {
        NumberField* field;
        QFocusEvent* event;
        ~BaseHandling()
        {
            field->QLineEdit::focusOutEvent(event);
            field->steadyCaretForALongText();
        }
    } baseHandling{this, event};
    // A window that is closing is gone for the user: nothing to commit, nothing to report.
    if (!m_destroying && event->reason() != Qt::PopupFocusReason && !window()->isHidden())
        commit(stripDecorations(text()));
}

void NumberField::contextMenuEvent(QContextMenuEvent* event)
{
    contextMenuForThisField()->exec(event->globalPos());
    event->accept();
}

QMenu* NumberField::contextMenuForThisField()
{
    if (!g_sharedMenu.menu)
        buildSharedMenu(window());
    SharedMenu& shared = g_sharedMenu;
    shared.field = this;
    const bool selection = hasSelectedText();
    const bool writable = !isReadOnly();
    shared.undo->setEnabled(isUndoAvailable());
    shared.cut->setEnabled(selection && writable);
    shared.copy->setEnabled(selection);
    shared.paste->setEnabled(writable);
    shared.remove->setEnabled(selection && writable);
    shared.selectAll->setEnabled(!text().isEmpty() && selectedText() != text());
    return shared.menu;
}

void NumberField::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the desktop's selection: filtered and committed like a paste.
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::MiddleButton && !isReadOnly() &&
        rect().contains(event->position().toPoint()) &&
        QGuiApplication::clipboard()->supportsSelection())
        commit(filterEditText(stripDecorations(text())));
}

void NumberField::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        adjustHeightToFont();
}

QRect NumberField::characterRect(int offset) const
{
    const QString shown = displayText();
    if (offset < 0 || offset >= shown.size())
        return {};
    // The caret's rectangle is centred on the caret; the character lies the advance of the text
    // between the caret and it away.
    const QFontMetrics metrics(font());
    const QRect caret = cursorRect();
    const int x = caret.center().x() + metrics.horizontalAdvance(shown.left(offset)) -
                  metrics.horizontalAdvance(shown.left(cursorPosition()));
    return {x, caret.top(), metrics.horizontalAdvance(shown.at(offset)), caret.height()};
}

int NumberField::autoSizeHeight() const
{
    // The font's cell height and four pixels of border above and below it.
    return platform::textMetricsHeight(font()) + 8;
}

void NumberField::adjustHeightToFont()
{
    resize(width(), autoSizeHeight());
}
