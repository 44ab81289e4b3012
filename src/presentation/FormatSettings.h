#pragma once

#include <string>

// The process-wide number formats of the user's locale. A NUL separator means "write none".
struct FormatSettings
{
    char16_t decimalSeparator = u'.';
    char16_t thousandSeparator = u',';
    std::u16string currencyString;
};

extern FormatSettings formatSettings;

// Refills formatSettings from the user's locale: a one-character separator is taken as it is, an
// empty one gives NUL, a longer one falls back to "." (decimal) or "," (thousands).
void loadFormatSettings();

// The separator an input or a label is written with where the number must read back as itself:
// the locale's, or the full stop where the locale writes none.
char16_t writtenDecimalSeparator();
