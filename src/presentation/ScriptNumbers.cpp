#include "presentation/ScriptNumbers.h"

#include <charconv>

void appendInteger(std::string& text, std::int64_t value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

void appendShortest(std::string& text, double value)
{
    char digits[32];
    // A negative zero (a count divided by a negative run count) is a zero to a script.
    const auto end = std::to_chars(digits, digits + sizeof digits, value == 0 ? 0.0 : value).ptr;
    text.append(digits, end);
}
