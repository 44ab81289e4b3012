#include "cli/ChartTitle.h"

#include "chart/ChartAxis.h"
#include "presentation/FormatSettings.h"
#include "presentation/TextEncoding.h"

namespace {

std::string reliabilityInWords(const ReportRequest& request, const std::string& separator)
{
    std::string text;
    for (const char character : request.reliabilityText) {
        if (character == '.' || character == ',')
            text += separator;
        else if (character != '%' && character != ' ')
            text += character;
    }
    if (request.explicitPercent || request.reliability > 1)
        text += "\u202F%";
    return text;
}

} // namespace

ChartSeparators chartSeparators()
{
    ChartSeparators separators;
    appendUtf8(separators.decimal, writtenDecimalSeparator());
    if (formatSettings.thousandSeparator == u'\0')
        separators.digitGroup = "\u202F";
    else
        appendUtf8(separators.digitGroup, formatSettings.thousandSeparator);
    return separators;
}

std::string chartTitle(const ReportRequest& request, std::uint32_t seed,
                       const ChartSeparators& separators)
{
    const auto grouped = [&separators](std::int64_t value) {
        return groupedDigits(value, separators.digitGroup);
    };
    return grouped(request.runs) + (request.runs == 1 ? " Durchlauf" : " Durchläufe") + " mit je " +
           grouped(request.engines) + (request.engines == 1 ? " Triebwerk" : " Triebwerken") +
           " der Zuverlässigkeit " + reliabilityInWords(request, separators.decimal) +
           " (Startwert " + grouped(seed) + ")";
}
