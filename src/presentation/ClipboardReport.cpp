#include "presentation/ClipboardReport.h"

#include "presentation/CheckedArithmetic.h"
#include "presentation/FormatText.h"

#include <stdexcept>

namespace ClipboardReport {

std::string headerLine(double reliability, std::int32_t runs)
{
    return FormatText("Ausfallwahrscheinlichkeit: %.6f, Durchläufe: %d", {reliability, runs});
}

std::string countLineTail(std::int32_t count, std::int32_t runs)
{
    // Both quotients keep their 64-bit significand; 100 x count needs at most 38 bits.
    const long double probability = checkedDivide(count, runs);
    const long double percent = checkedDivide(100.0L * count, runs);
    return FormatText(" Triebwerke, Ausfallwahrscheinlichekit %.6f = %.3f Prozent",
                      {probability, percent});
}

std::string countLine(std::int32_t k, std::int32_t count, std::int32_t runs)
{
    return FormatText("%d", {k}) + countLineTail(count, runs);
}

void write(double reliability, std::int32_t engines, std::int32_t runs,
           std::span<const std::int32_t> histogram,
           const std::function<void(const std::string&)>& addLine)
{
    addLine(headerLine(reliability, runs));
    if (engines < 0)
        return;
    if (histogram.size() <= static_cast<std::size_t>(engines))
        throw std::out_of_range("ClipboardReport: histogram shorter than the engine count");
    for (std::int32_t k = 0; k <= engines; ++k)
        addLine(countLine(k, histogram[static_cast<std::size_t>(k)], runs));
}

} // namespace ClipboardReport
