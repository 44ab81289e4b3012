#include "presentation/FormatSettings.h"

#include "platform/Locale.h"

TFormatSettings FormatSettings;

namespace {

char16_t separatorOf(const std::u16string& text, char16_t fallback)
{
    // The locale database hands out separators through a two-character buffer: one character and
    // its terminator fit, anything longer does not.
    if (text.empty())
        return u'\0';
    if (text.size() == 1)
        return text.front();
    return fallback;
}

} // namespace

void LoadFormatSettings()
{
    const platform::LocaleFormats formats = platform::userLocaleFormats();
    FormatSettings.DecimalSeparator = separatorOf(formats.decimalSeparator, u'.');
    FormatSettings.ThousandSeparator = separatorOf(formats.thousandSeparator, u',');
    FormatSettings.CurrencyString = formats.currencySymbol;
}

char16_t writtenDecimalSeparator()
{
    return FormatSettings.DecimalSeparator == u'\0' ? u'.' : FormatSettings.DecimalSeparator;
}
