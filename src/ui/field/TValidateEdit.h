#pragma once

#include "ui/field/ValidateEditRules.h"

#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <optional>

class QMenu;

// A single-line field for one number. Typing lets through only characters that can form a number
// of the field's kind; the text is filtered and shown formatted when it is committed: when the
// field loses the focus, on a paste, on Escape and when it is loaded. The number's own text
// (EditText) is kept apart from the shown one and is what AsInteger and AsFloat read.
class TValidateEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TValidateEdit(QWidget* parent = nullptr);
    ~TValidateEdit() override;

    TValidateEditDisplayFormat DisplayFormat() const { return m_displayFormat; }
    void setDisplayFormat(TValidateEditDisplayFormat format);
    unsigned DecimalPlaces() const { return m_decimalPlaces; }
    void setDecimalPlaces(unsigned places);
    bool TrimDecimals() const { return m_trimDecimals; }
    void setTrimDecimals(bool trim);
    const QString& CheckChars() const { return m_checkChars; }
    void RecalcCheckChars();

    // The number's text; writing it commits it.
    const QString& EditText() const { return m_editText; }
    void setEditText(const QString& text);
    // What the box shows; writing it commits it unless the field writes its own box text.
    void setBoxText(const QString& text);

    // The layout sets properties between these two: meanwhile they are only stored.
    void beginLoading();
    void Loaded();

    std::int64_t AsInteger() const;
    double AsFloat() const; // throws EOverflow beyond the double range

    bool ForceDecimalSeparatorInput() const { return m_forceDecimalSeparatorInput; }
    const QString& EnterText() const { return m_enterText; }

    virtual bool AcceptsChar(const QString& context, QChar& character, int position);
    virtual QString FilterEditText(const QString& text);

    // The clipboard commands, as the keyboard and the context menu give them.
    void pasteAndCommit();
    void copySelection();
    void cutSelection();
    void deleteSelection();

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
    ValidateEditContext context() const;
    QString stripDecorations(const QString& text) const;
    void commit(const QString& text);
    void RefreshDisplay();
    void ShowDisplayText(const QString& text);
    void boxTextChanged(const QString& text);
    void typeCharacters(QKeyEvent* event);
    void steadyCaretForALongText();

    TValidateEditDisplayFormat m_displayFormat = TValidateEditDisplayFormat::dfInteger;
    unsigned m_decimalPlaces = 0;
    bool m_trimDecimals = false;
    QString m_checkChars;
    QString m_editText;  // FEditText
    QString m_enterText; // FEnterText
    // FLastDownKey, as far as typing asks about it: whether the key down is the keypad's decimal.
    enum class DownKey { None, KeypadDecimal, Other };
    DownKey m_lastDownKey = DownKey::None;
    bool m_selfChange = false;
    bool m_forceDecimalSeparatorInput = false;
    bool m_loading = false;
    bool m_destroying = false;
    // The application's caret flash time while this field holds it still; none while it blinks.
    std::optional<int> m_blinkingFlashTime;
};
