#include "platform/desktop/Keyboard.h"

#include "platform/desktop/DesktopLogging.h"

#include <windows.h>

namespace platform {

std::optional<char16_t> keypadDecimalCharacter()
{
    const UINT character = MapVirtualKeyW(VK_DECIMAL, MAPVK_VK_TO_CHAR) & 0xFFFF;
    qCInfo(lcKeyboard) << "keypad's decimal key types" << Qt::hex << character;
    if (character == 0)
        return std::nullopt;
    return static_cast<char16_t>(character);
}

} // namespace platform
