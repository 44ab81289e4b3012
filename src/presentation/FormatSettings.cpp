#include "presentation/FormatSettings.h"

#include "platform/Locale.h"

FormatSettings formatSettings;

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

void loadFormatSettings()
{
    const platform::LocaleFormats formats = platform::userLocaleFormats();
    formatSettings.decimalSeparator = separatorOf(formats.decimalSeparator, u'.');
    formatSettings.thousandSeparator = separatorOf(formats.thousandSeparator, u',');
    formatSettings.currencyString = formats.currencySymbol;
}

char16_t writtenDecimalSeparator()
{
    return formatSettings.decimalSeparator == u'\0' ? u'.' : formatSettings.decimalSeparator;
}
