#include "platform/desktop/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace platform {
namespace {

QString utf8Format()
{
    return QStringLiteral("text/plain;charset=utf-8");
}

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

    bool setUtf8Text(const QByteArray& text) override
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard == nullptr)
            return false;
        // Offered as UTF-8 under both names, the text goes to a reader from these very bytes (the
        // two share them): X11's UTF8_STRING is Qt's text/plain, Wayland's readers ask for
        // text/plain;charset=utf-8. A reader that asks for another form gets it converted then.
        auto* data = new QMimeData;
        data->setData(QStringLiteral("text/plain"), text);
        data->setData(utf8Format(), text);
        clipboard->setMimeData(data, QClipboard::Clipboard);
        // The desktop reports no refusal; whether the program now owns the clipboard, with these
        // bytes, shows whether the text arrived, without reading back a copy of it.
        const QMimeData* held = clipboard->mimeData(QClipboard::Clipboard);
        return clipboard->ownsClipboard() && held != nullptr &&
               held->data(utf8Format()).constData() == text.constData();
    }

    QString text() override
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        return clipboard ? clipboard->text(QClipboard::Clipboard) : QString();
    }
};

} // namespace

Clipboard& systemClipboard()
{
    static DesktopClipboard clipboard;
    return clipboard;
}

} // namespace platform
