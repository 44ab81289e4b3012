#include "platform/desktop/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {
namespace {

class DesktopClipboard final : public Clipboard
{
public:
    bool setText(const QString& text) override
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard == nullptr)
            return false;
        clipboard->setText(text, QClipboard::Clipboard);
        // The desktop reports no refusal; reading back shows whether the text arrived.
        return clipboard->text(QClipboard::Clipboard) == text;
    }

    QString text() override
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        return clipboard ? clipboard->text(QClipboard::Clipboard) : QString();
    }
};

DesktopClipboard g_desktopClipboard;
Clipboard* g_clipboard = &g_desktopClipboard;

} // namespace

bool setClipboardText(const QString& text)
{
    return g_clipboard->setText(text);
}

QString clipboardText()
{
    return g_clipboard->text();
}

ScopedClipboard::ScopedClipboard(Clipboard& clipboard)
    : ScopedReplacement(g_clipboard, clipboard)
{}

} // namespace platform
