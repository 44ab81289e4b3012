#pragma once

#include <optional>

namespace platform {

// The character the numeric keypad's decimal key types in the current keyboard layout, where the
// system can tell without a key being pressed (Windows); nothing where it cannot (X11 and Wayland
// say it with each key event, which the field reads then).
std::optional<char16_t> keypadDecimalCharacter();

} // namespace platform
