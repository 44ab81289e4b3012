#include "platform/Locale.h"

#include <windows.h>

namespace platform {

namespace {

// One of the user's locale settings, as long as the system stores it; empty when unreadable.
std::u16string userSetting(LCTYPE setting)
{
    wchar_t text[LOCALE_NAME_MAX_LENGTH] = {};
    const int size =
        GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, setting, text, LOCALE_NAME_MAX_LENGTH);
    if (size <= 1)
        return {};
    return {reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(size - 1)};
}

} // namespace

// Not Qt's QLocale::system(), which keeps the first answer for the whole process: the settings
// change while the program runs, and the program reads them again when Windows says so.
LocaleFormats systemLocaleFormats()
{
    return {userSetting(LOCALE_SDECIMAL), userSetting(LOCALE_STHOUSAND),
            userSetting(LOCALE_SCURRENCY)};
}

} // namespace platform
