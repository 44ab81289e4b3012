#include "platform/Locale.h"

#include "platform/Utf16Text.h"

#include <QLocale>

namespace platform {

LocaleFormats systemLocaleFormats()
{
    // Qt reads LC_ALL, LC_NUMERIC, LC_MONETARY and LANG by category itself.
    const QLocale locale = QLocale::system();
    return {toU16(locale.decimalPoint()), toU16(locale.groupSeparator()),
            toU16(locale.currencySymbol())};
}

} // namespace platform
