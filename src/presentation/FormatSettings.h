#pragma once

#include <string>

// The process-wide number formats of the user's locale. A NUL separator means "write none".
struct TFormatSettings
{
    char16_t DecimalSeparator = u'.';
    char16_t ThousandSeparator = u',';
    std::u16string CurrencyString;
};

extern TFormatSettings FormatSettings;

// Refills FormatSettings from the user's locale: a one-character separator is taken as it is, an
// empty one gives NUL, a longer one falls back to "." (decimal) or "," (thousands).
void LoadFormatSettings();
