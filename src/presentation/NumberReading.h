#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Reads a decimal integer: optional leading spaces, an optional "+" or "-", one or more digits and
// nothing else. Anything else, or a value outside the signed 64-bit range, is unreadable.
std::optional<std::int64_t> parseInteger(std::u16string_view text);

// Reads an optional "+" or "-", digits, an optional `separator` with more digits and an optional
// exponent ("e" or "E", an optional sign, digits), in extended precision; a separator without
// digits reads as 0. Anything else, or a value that overflows, is unreadable.
std::optional<long double> parseDecimal(std::u16string_view text, char16_t separator);

// Reads the texts parseDecimal reads, whatever their length: where parseDecimal reads a value,
// the same value; where its digits overflow the accumulation, the value of the first 40
// significant digits. A value beyond the extended range is an infinity of its sign; only a text
// of another shape is unreadable.
std::optional<long double> parseDecimalOfAnyLength(std::u16string_view text, char16_t separator);

// The lenient reading of a number field's text, with the decimal separator of the user's locale
// (a text with full stops but without that separator reads them as it). Everything but digits,
// signs, exponent letters and the separator is dropped first, so "1.234,5 €" reads 1234.5 in a
// German locale. Returns nothing for a text that leaves no number, or that overflows.
std::optional<long double> tryParseFloatLenient(std::u16string_view text);

// tryParseFloatLenient with a default for every text it cannot read.
long double parseFloatLenient(std::u16string_view text, long double defaultValue);
