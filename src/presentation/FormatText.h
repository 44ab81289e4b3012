#pragma once

#include "presentation/FormatSettings.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// One argument of FormatText: an integer for %d or an extended value for %.Nf. A double is
// widened exactly.
class FormatArg
{
public:
    FormatArg(std::int32_t value)
        : m_isInteger(true)
        , m_integer(value)
    {}
    FormatArg(long double value)
        : m_floating(value)
    {}
    FormatArg(double value)
        : m_floating(value)
    {}

    bool isInteger() const { return m_isInteger; }
    std::int32_t integer() const { return m_integer; }
    long double floating() const { return m_floating; }

private:
    bool m_isInteger = false;
    std::int32_t m_integer = 0;
    long double m_floating = 0;
};

// Expands %d (decimal integer, no grouping) and %.Nf (fixed notation with N = 0..18 decimals and
// the decimal separator of the settings) in a UTF-8 pattern; %% writes a percent sign. A
// directive without a matching argument is a programming error (std::logic_error).
std::string formatText(std::string_view pattern, std::initializer_list<FormatArg> args,
                       const FormatSettings& settings = formatSettings);
