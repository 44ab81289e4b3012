#include "platform/desktop/Clipboard.h"

#include "platform/desktop/DesktopLogging.h"

#include <QThread>

#include <windows.h>

#include <cstring>

namespace platform {

namespace {

// Another program may hold the clipboard open for a moment (a clipboard manager reading what
// arrived); it is asked again for a while before the text counts as refused.
bool openClipboard()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr) != 0)
            return true;
        QThread::msleep(10);
    }
    qCInfo(lcClipboard) << "OpenClipboard refused, error" << GetLastError();
    return false;
}

// The clipboard's Unicode text format holds the text's UTF-16 units and a closing NUL, exactly:
// no line end is rewritten, so a report's CR LF arrive as they are.
bool placeUnicodeText(const char16_t* units, std::size_t count)
{
    const std::size_t bytes = (count + 1) * sizeof(char16_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        return false;
    void* target = GlobalLock(memory);
    std::memcpy(target, units, count * sizeof(char16_t));
    static_cast<char16_t*>(target)[count] = u'\0';
    GlobalUnlock(memory);
    if (!openClipboard()) {
        GlobalFree(memory);
        return false;
    }
    const bool placed =
        EmptyClipboard() != 0 && SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!placed)
        GlobalFree(memory);
    CloseClipboard();
    qCInfo(lcClipboard) << "CF_UNICODETEXT with" << count
                        << "UTF-16 units:" << (placed ? "placed" : "refused");
    return placed;
}

class WindowsClipboard final : public Clipboard
{
public:
    bool setText(const QString& text) override
    {
        return placeUnicodeText(reinterpret_cast<const char16_t*>(text.utf16()),
                                static_cast<std::size_t>(text.size()));
    }

    QString text() override
    {
        if (IsClipboardFormatAvailable(CF_UNICODETEXT) == 0 || !openClipboard())
            return {};
        QString text;
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* units = static_cast<const char16_t*>(GlobalLock(data))) {
                const std::size_t limit = GlobalSize(data) / sizeof(char16_t);
                std::size_t length = 0;
                while (length < limit && units[length] != u'\0')
                    ++length;
                text = QString::fromUtf16(units, static_cast<qsizetype>(length));
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
        return text;
    }
};

} // namespace

Clipboard& systemClipboard()
{
    static WindowsClipboard clipboard;
    return clipboard;
}

} // namespace platform
