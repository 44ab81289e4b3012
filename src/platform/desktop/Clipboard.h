#pragma once

#include "platform/ScopedReplacement.h"

#include <QByteArray>
#include <QString>

namespace platform {

// The desktop's clipboard, as plain text. Tests install their own.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's content; false when the desktop did not take the text.
    virtual bool setText(const QString& text) = 0;
    // The same for a text already in UTF-8, as the desktop passes it on: a long report is offered
    // as it is instead of as a copy twice its size.
    virtual bool setUtf8Text(const QByteArray& text) { return setText(QString::fromUtf8(text)); }
    virtual QString text() = 0;
};

// The system's own clipboard, which the functions below use unless a test stands in for it.
Clipboard& systemClipboard();

bool setClipboardText(const QString& text);
bool setClipboardUtf8Text(const QByteArray& text);
QString clipboardText();

class ScopedClipboard : public ScopedReplacement<Clipboard>
{
public:
    explicit ScopedClipboard(Clipboard& clipboard);
};

} // namespace platform
