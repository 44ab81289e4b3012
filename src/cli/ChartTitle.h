#pragma once

#include "cli/ReportOptions.h"

#include <cstdint>
#include <string>

// The separators a picture's numbers are written with, UTF-8.
struct ChartSeparators
{
    std::string decimal;
    std::string digitGroup;
};

// The locale's decimal separator as the window writes it, and its thousands separator, or a
// narrow no-break space where the locale writes none (as the C locale does): a figure's 10000000
// is hard to read either way.
ChartSeparators chartSeparators();

// The inputs in words: "10.000.000 Durchläufe mit je 33 Triebwerken der Zuverlässigkeit 0,999
// (Startwert 42)". The reliability is the text typed, with the picture's decimal separator; a
// percentage, bare above 1 or with its sign, says so.
std::string chartTitle(const ReportRequest& request, std::uint32_t seed,
                       const ChartSeparators& separators);
