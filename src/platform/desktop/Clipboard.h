#pragma once

#include "platform/ScopedReplacement.h"

#include <QString>

namespace platform {

// The desktop's clipboard, as plain text. Tests install their own.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's content; false when the desktop did not take the text.
    virtual bool setText(const QString& text) = 0;
    virtual QString text() = 0;
};

bool setClipboardText(const QString& text);
QString clipboardText();

class ScopedClipboard : public ScopedReplacement<Clipboard>
{
public:
    explicit ScopedClipboard(Clipboard& clipboard);
};

} // namespace platform
