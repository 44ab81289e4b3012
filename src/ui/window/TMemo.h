#pragma once

#include <QPlainTextEdit>
#include <QString>

// A multi-line text box that keeps its text exactly as written, CR LF line ends included; the
// program uses a hidden one to assemble the clipboard report.
class TMemo : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TMemo(QWidget* parent = nullptr);

    // Lines.Clear and Lines.Add: every added line ends with CR LF.
    void LinesClear();
    void LinesAdd(const QString& line);
    const QString& Text() const { return m_text; }

    void SelectAll();
    // Puts the selected text on the clipboard; false when the desktop did not take it.
    bool CopyToClipboard();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_text;
    qsizetype m_selectionStart = 0;
    qsizetype m_selectionLength = 0;
};
