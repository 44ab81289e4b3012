#pragma once

#include <QAccessibleWidget>

class NumberField;

// What assistive technology reads of a validated field: an editable text, named and labelled by
// its caption like any line edit.
//
// Qt's own interface for a line edit answers every question about text attributes with an empty
// run at the offset asked for ([o, o)). A reader that walks the runs to split a text into spans
// (Orca does, to pick a language per span) then ends one character before the text does and
// reads "0,99" for "0,999". The field's text has no attributes at all, so here one run spans the
// whole text. Qt keeps one interface per object and offers no way to reach the stock one beside
// ours, so this is a whole interface of its own, on the line edit's public API.
//
// What a reader writes into the field (a value, an insertion, a deletion) is filtered and
// committed like a paste, so that it cannot leave a text in the field that typing could not.
class NumberFieldAccessible : public QAccessibleWidget,
                              public QAccessibleTextInterface,
                              public QAccessibleEditableTextInterface
{
public:
    explicit NumberFieldAccessible(NumberField* field);

    // The accessibility factory for NumberField; installed once by the first field.
    static QAccessibleInterface* create(const QString& className, QObject* object);

    // The attribute run around `offset` of a text of `length` characters without attributes:
    // the whole text, for every offset from 0 to the length; nothing (-1, -1) beyond.
    struct Run
    {
        int start;
        int end;
        friend bool operator==(const Run&, const Run&) = default;
    };
    static Run attributeRun(int offset, int length);

    QString text(QAccessible::Text kind) const override;
    void setText(QAccessible::Text kind, const QString& text) override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    NumberField* field() const;
    // The offset a reader means by -2: the caret's.
    int resolved(int offset) const;
};
