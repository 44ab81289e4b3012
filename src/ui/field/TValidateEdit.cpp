#include "ui/field/TValidateEdit.h"

#include "platform/Exceptions.h"
#include "platform/Utf16Text.h"
#include "platform/desktop/Clipboard.h"
#include "platform/desktop/Fonts.h"
#include "presentation/CheckedArithmetic.h"
#include "presentation/FormatSettings.h"

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
    QPointer<TValidateEdit> field;
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
    shared.undo = add(QStringLiteral("&Rückgängig"), [](TValidateEdit& field) { field.undo(); });
    shared.menu->addSeparator();
    shared.cut =
        add(QStringLiteral("&Ausschneiden"), [](TValidateEdit& field) { field.cutSelection(); });
    shared.copy =
        add(QStringLiteral("&Kopieren"), [](TValidateEdit& field) { field.copySelection(); });
    shared.paste =
        add(QStringLiteral("Einf&ügen"), [](TValidateEdit& field) { field.pasteAndCommit(); });
    shared.remove =
        add(QStringLiteral("Löschen"), [](TValidateEdit& field) { field.deleteSelection(); });
    shared.menu->addSeparator();
    shared.selectAll =
        add(QStringLiteral("Alles auswählen"), [](TValidateEdit& field) { field.selectAll(); });
}

} // namespace

TValidateEdit::TValidateEdit(QWidget* parent)
    : QLineEdit(parent)
    , m_checkChars(QStringLiteral("01234567890"))
{
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
}

TValidateEdit::~TValidateEdit()
{
    m_destroying = true;
    if (m_blinkingFlashTime)
        QGuiApplication::styleHints()->setCursorFlashTime(*m_blinkingFlashTime);
}

ValidateEditContext TValidateEdit::context() const
{
    ValidateEditContext field;
    field.displayFormat = m_displayFormat;
    field.checkChars = toU16(m_checkChars);
    field.decimalSeparator = FormatSettings.DecimalSeparator;
    field.thousandSeparator = FormatSettings.ThousandSeparator;
    field.currencySymbol = FormatSettings.CurrencyString;
    field.trimDecimals = m_trimDecimals;
    field.decimalPlaces = m_decimalPlaces;
    return field;
}

void TValidateEdit::setDisplayFormat(TValidateEditDisplayFormat format)
{
    m_displayFormat = format;
    RecalcCheckChars();
    // Every number format is right-aligned.
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!m_loading)
        RefreshDisplay();
}

void TValidateEdit::setDecimalPlaces(unsigned places)
{
    if (!m_loading && m_displayFormat != TValidateEditDisplayFormat::dfFloat)
        return;
    m_decimalPlaces = places;
    if (!m_loading)
        RefreshDisplay();
}

void TValidateEdit::setTrimDecimals(bool trim)
{
    m_trimDecimals = trim;
    if (!m_loading)
        RefreshDisplay();
}

void TValidateEdit::RecalcCheckChars()
{
    m_checkChars =
        fromU16(ValidateEditRules::checkCharsFor(m_displayFormat, FormatSettings.DecimalSeparator));
}

void TValidateEdit::setEditText(const QString& text)
{
    commit(text);
}

void TValidateEdit::setBoxText(const QString& text)
{
    if (!m_selfChange)
        commit(text);
    m_enterText = m_editText;
}

void TValidateEdit::beginLoading()
{
    m_loading = true;
}

void TValidateEdit::Loaded()
{
    m_loading = false;
    commit(m_editText);
    deselect();
    setCursorPosition(0);
}

std::int64_t TValidateEdit::AsInteger() const
{
    return ValidateEditRules::integerValue(toU16(m_editText));
}

double TValidateEdit::AsFloat() const
{
    return checkedToDouble(ValidateEditRules::floatValue(toU16(m_editText)));
}

bool TValidateEdit::AcceptsChar(const QString& context, QChar& character, int position)
{
    char16_t code = character.unicode();
    const bool accepted = ValidateEditRules::AcceptsChar(
        this->context(), toU16(context), code, static_cast<std::size_t>(position),
        !hasSelectedText(),
        m_lastDownKey == DownKey::KeypadDecimal && m_forceDecimalSeparatorInput);
    character = QChar(code);
    return accepted;
}

QString TValidateEdit::FilterEditText(const QString& text)
{
    return fromU16(ValidateEditRules::FilterEditText(context(), toU16(text)));
}

QString TValidateEdit::stripDecorations(const QString& text) const
{
    return fromU16(ValidateEditRules::StripDecorations(context(), toU16(text)));
}

void TValidateEdit::commit(const QString& text)
{
    m_editText = FilterEditText(stripDecorations(text));
    RefreshDisplay();
    m_enterText = m_editText;
}

void TValidateEdit::RefreshDisplay()
{
    ShowDisplayText(fromU16(ValidateEditRules::displayValue(context(), toU16(m_editText))));
}

void TValidateEdit::ShowDisplayText(const QString& text)
{
    FlagScope selfChange(m_selfChange);
    const QString shown = fromU16(ValidateEditRules::decorateDisplayText(context(), toU16(text)));
    if (shown != this->text())
        setText(shown);
}

void TValidateEdit::boxTextChanged(const QString& text)
{
    if (!m_selfChange)
        m_editText = stripDecorations(text);
}

// The box measures and draws its whole text on every paint, and a blink of the caret is a paint:
// with a pasted megabyte that keeps a core busy while nobody types. Qt lets a box blink only at
// the application's flash time, so while a long text has the focus the caret stays lit instead,
// and blinks again once the text is short or the focus has gone.
void TValidateEdit::steadyCaretForALongText()
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

void TValidateEdit::pasteAndCommit()
{
    // A clipboard without text (empty, or holding only an image) leaves the field as it is, rather
    // than deleting the selection and committing what is left.
    const QString pasted = platform::clipboardText();
    if (isReadOnly() || pasted.isEmpty())
        return;
    // The clipboard's text goes in unchecked, replacing the selection; the commit filters it.
    insert(pasted);
    commit(FilterEditText(stripDecorations(text())));
}

void TValidateEdit::copySelection()
{
    if (hasSelectedText() && echoMode() == QLineEdit::Normal)
        platform::setClipboardText(selectedText());
}

void TValidateEdit::cutSelection()
{
    if (isReadOnly() || !hasSelectedText())
        return;
    copySelection();
    del();
}

void TValidateEdit::deleteSelection()
{
    if (!isReadOnly() && hasSelectedText())
        del();
}

void TValidateEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool keypadDecimal = event->modifiers().testFlag(Qt::KeypadModifier) &&
                               (typed == QStringLiteral(".") || typed == QStringLiteral(","));
    m_lastDownKey = keypadDecimal ? DownKey::KeypadDecimal : DownKey::Other;
    if (keypadDecimal)
        m_forceDecimalSeparatorInput = typed.front().unicode() != FormatSettings.DecimalSeparator;

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

void TValidateEdit::typeCharacters(QKeyEvent* event)
{
    // A rejected character vanishes without a sound; an accepted one replaces the selection.
    for (const QChar original : event->text()) {
        QChar character = original;
        const int position = (hasSelectedText() ? selectionStart() : cursorPosition()) + 1;
        if (AcceptsChar(stripDecorations(text()), character, position))
            insert(QString(character));
    }
}

void TValidateEdit::keyReleaseEvent(QKeyEvent* event)
{
    m_lastDownKey = DownKey::None;
    QLineEdit::keyReleaseEvent(event);
}

void TValidateEdit::focusInEvent(QFocusEvent* event)
{
    // A context menu takes the focus only for the time it is open.
    if (event->reason() == Qt::PopupFocusReason) {
        QLineEdit::focusInEvent(event);
        steadyCaretForALongText();
        return;
    }
    try {
        RefreshDisplay();
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
    if (!leftPress)
        selectAll();
}

void TValidateEdit::focusOutEvent(QFocusEvent* event)
{
    struct BaseHandling
    {
        TValidateEdit* field;
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

void TValidateEdit::contextMenuEvent(QContextMenuEvent* event)
{
    contextMenuForThisField()->exec(event->globalPos());
    event->accept();
}

QMenu* TValidateEdit::contextMenuForThisField()
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

void TValidateEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the desktop's selection: filtered and committed like a paste.
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::MiddleButton && !isReadOnly() &&
        rect().contains(event->position().toPoint()) &&
        QGuiApplication::clipboard()->supportsSelection())
        commit(FilterEditText(stripDecorations(text())));
}

void TValidateEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        adjustHeightToFont();
}

int TValidateEdit::autoSizeHeight() const
{
    // The font's cell height and four pixels of border above and below it.
    return platform::textMetricsHeight(font()) + 8;
}

void TValidateEdit::adjustHeightToFont()
{
    resize(width(), autoSizeHeight());
}
