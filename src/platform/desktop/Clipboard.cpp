#include "platform/desktop/Clipboard.h"

namespace platform {
namespace {

Clipboard* g_clipboard = &systemClipboard();

} // namespace

bool setClipboardText(const QString& text)
{
    return g_clipboard->setText(text);
}

bool setClipboardUtf8Text(const QByteArray& text)
{
    return g_clipboard->setUtf8Text(text);
}

QString clipboardText()
{
    return g_clipboard->text();
}

ScopedClipboard::ScopedClipboard(Clipboard& clipboard)
    : ScopedReplacement(g_clipboard, clipboard)
{}

} // namespace platform
