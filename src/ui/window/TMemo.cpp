#include "ui/window/TMemo.h"

#include "platform/desktop/Clipboard.h"

TMemo::TMemo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void TMemo::LinesClear()
{
    m_text.clear();
    m_selectionStart = m_selectionLength = 0;
}

void TMemo::LinesAdd(const QString& line)
{
    m_text += line;
    m_text += QStringLiteral("\r\n");
}

void TMemo::SelectAll()
{
    m_selectionStart = 0;
    m_selectionLength = m_text.size();
}

bool TMemo::CopyToClipboard()
{
    return platform::setClipboardText(m_text.mid(m_selectionStart, m_selectionLength));
}

void TMemo::showEvent(QShowEvent* event)
{
    // Laying out a long report costs time; the box does it only when it is seen.
    setPlainText(m_text);
    QPlainTextEdit::showEvent(event);
}
