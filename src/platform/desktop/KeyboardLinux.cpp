#include "platform/desktop/Keyboard.h"

namespace platform {

std::optional<char16_t> keypadDecimalCharacter()
{
    return std::nullopt;
}

} // namespace platform
