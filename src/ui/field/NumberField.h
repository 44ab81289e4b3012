#pragma once

#include "ui/field/NumberFieldRules.h"

#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <optional>

class QMenu;

// A single-line field for one number. Typing lets through only characters that can form a number
// of the field's kind; the text is filtered and shown formatted when it is committed: when the
// field loses the focus, on a paste, on Escape and when it is loaded. The number's own text
// (EditText) is kept apart from the shown one and is what asInteger and asFloat read. What a
// screen reader reads of it is NumberFieldAccessible.
class NumberField : public QLineEdit
{
    Q_OBJECT

public:
    explicit NumberField(QWidget* parent = nullptr);
    ~NumberField() override;

    NumberFormat displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(NumberFormat format);
    unsigned decimalPlaces() const { return m_decimalPlaces; }
    void setDecimalPlaces(unsigned places);
    bool trimDecimals() const { return m_trimDecimals; }
    void setTrimDecimals(bool trim);
    const QString& checkChars() const { return m_checkChars; }
    void recalculateCheckChars();

    // The number's text; writing it commits it.
    const QString& editText() const { return m_editText; }
    void setEditText(const QString& text);
    // What the box shows; writing it commits it unless the field writes its own box text.
    void setBoxText(const QString& text);

    // The layout sets properties between these two: meanwhile they are only stored.
    void beginLoading();
    void endLoading();

    std::int64_t asInteger() const;
    double asFloat() const; // throws EOverflow beyond the double range

    bool forceDecimalSeparatorInput() const { return m_forceDecimalSeparatorInput; }
    const QString& enterText() const { return m_enterText; }

    virtual bool acceptsChar(const QString& context, QChar& character, int position);
    virtual QString filterEditText(const QString& text);

    // The clipboard commands, as the keyboard and the context menu give them.
    void pasteAndCommit();
    void copySelection();
    void cutSelection();
    void deleteSelection();

    // Where the box draws the character at `offset` of its shown text, in the field's own
    // coordinates; empty for an offset outside the text.
    QRect characterRect(int offset) const;

    // The height the field takes from its font.
    int autoSizeHeight() const;
    void adjustHeightToFont();

    // The fixed context menu, bound to this field; its items enabled for the field's state.
    QMenu* contextMenuForThisField();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    NumberFieldContext context() const;
    QString stripDecorations(const QString& text) const;
    void commit(const QString& text);
    void refreshDisplay();
    void showDisplayText(const QString& text);
    void boxTextChanged(const QString& text);
    void typeCharacters(QKeyEvent* event);
    void steadyCaretForALongText();
    void tellReaderOfTheSelection();

    NumberFormat m_displayFormat = NumberFormat::Integer;
    unsigned m_decimalPlaces = 0;
    bool m_trimDecimals = false;
    QString m_checkChars;
    QString m_editText;
    // The last committed number text, to which Escape returns.
    QString m_enterText;
    // The last key pressed, as far as typing asks about it: whether it is the keypad's decimal.
    enum class DownKey { None, KeypadDecimal, Other };
    DownKey m_lastDownKey = DownKey::None;
    bool m_selfChange = false;
    bool m_forceDecimalSeparatorInput = false;
    bool m_loading = false;
    bool m_destroying = false;
    // The application's caret flash time while this field holds it still; none while it blinks.
    std::optional<int> m_blinkingFlashTime;
};
