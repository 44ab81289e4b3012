#include "ui/field/NumberFieldAccessible.h"

#include "ui/field/NumberField.h"

#include <algorithm>

NumberFieldAccessible::NumberFieldAccessible(NumberField* field)
    : QAccessibleWidget(field, QAccessible::EditableText)
{}

QAccessibleInterface* NumberFieldAccessible::create(const QString& className, QObject* object)
{
    auto* field = qobject_cast<NumberField*>(object);
    if (field == nullptr || className != QLatin1String(NumberField::staticMetaObject.className()))
        return nullptr;
    return new NumberFieldAccessible(field);
}

NumberFieldAccessible::Run NumberFieldAccessible::attributeRun(int offset, int length)
{
    if (offset < 0 || offset > length)
        return {-1, -1};
    return {0, length};
}

NumberField* NumberFieldAccessible::field() const
{
    return static_cast<NumberField*>(object());
}

int NumberFieldAccessible::resolved(int offset) const
{
    return offset == -2 ? cursorPosition() : offset;
}

QString NumberFieldAccessible::text(QAccessible::Text kind) const
{
    QString text;
    if (kind == QAccessible::Value)
        text = field()->displayText();
    if (text.isEmpty())
        text = QAccessibleWidget::text(kind);
    if (text.isEmpty() && kind == QAccessible::Description)
        text = field()->placeholderText();
    return text;
}

void NumberFieldAccessible::setText(QAccessible::Text kind, const QString& text)
{
    if (kind != QAccessible::Value) {
        QAccessibleWidget::setText(kind, text);
        return;
    }
    if (!field()->isReadOnly())
        field()->setBoxText(text);
}

QAccessible::State NumberFieldAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.readOnly = field()->isReadOnly();
    state.passwordEdit = field()->echoMode() != QLineEdit::Normal;
    state.selectableText = true;
    return state;
}

void* NumberFieldAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

void NumberFieldAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !field()->hasSelectedText())
        return;
    *startOffset = field()->selectionStart();
    *endOffset = *startOffset + static_cast<int>(field()->selectedText().size());
}

int NumberFieldAccessible::selectionCount() const
{
    return field()->hasSelectedText() ? 1 : 0;
}

void NumberFieldAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void NumberFieldAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        field()->deselect();
}

void NumberFieldAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        field()->setSelection(startOffset, endOffset - startOffset);
}

int NumberFieldAccessible::cursorPosition() const
{
    return field()->cursorPosition();
}

void NumberFieldAccessible::setCursorPosition(int position)
{
    field()->setCursorPosition(position);
}

QString NumberFieldAccessible::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset)
        return {};
    return field()->displayText().mid(startOffset, endOffset - startOffset);
}

QString NumberFieldAccessible::textBeforeOffset(int offset,
                                                QAccessible::TextBoundaryType boundaryType,
                                                int* startOffset, int* endOffset) const
{
    return QAccessibleTextInterface::textBeforeOffset(resolved(offset), boundaryType, startOffset,
                                                      endOffset);
}

QString NumberFieldAccessible::textAfterOffset(int offset,
                                               QAccessible::TextBoundaryType boundaryType,
                                               int* startOffset, int* endOffset) const
{
    return QAccessibleTextInterface::textAfterOffset(resolved(offset), boundaryType, startOffset,
                                                     endOffset);
}

QString NumberFieldAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const
{
    return QAccessibleTextInterface::textAtOffset(resolved(offset), boundaryType, startOffset,
                                                  endOffset);
}

int NumberFieldAccessible::characterCount() const
{
    return static_cast<int>(field()->displayText().size());
}

QRect NumberFieldAccessible::characterRect(int offset) const
{
    const QRect local = field()->characterRect(offset);
    if (local.isEmpty())
        return {};
    return {field()->mapToGlobal(local.topLeft()), local.size()};
}

int NumberFieldAccessible::offsetAtPoint(const QPoint& point) const
{
    return field()->cursorPositionAt(field()->mapFromGlobal(point));
}

void NumberFieldAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    // The box scrolls to show its caret: first the end, then the start of the part.
    field()->setCursorPosition(endIndex);
    field()->setCursorPosition(startIndex);
}

QString NumberFieldAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    const Run run = attributeRun(resolved(offset), characterCount());
    *startOffset = run.start;
    *endOffset = run.end;
    return {};
}

void NumberFieldAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void NumberFieldAccessible::insertText(int offset, const QString& text)
{
    replaceText(offset, offset, text);
}

void NumberFieldAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    if (field()->isReadOnly())
        return;
    const QString shown = field()->text();
    const auto length = static_cast<int>(shown.size());
    const int start = std::clamp(startOffset, 0, length);
    const int end = std::clamp(endOffset, start, length);
    field()->setBoxText(QString(shown).replace(start, end - start, text));
}
