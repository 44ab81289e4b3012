#include "presentation/ClipboardReport.h"

#include "presentation/CheckedArithmetic.h"
#include "presentation/FormatText.h"
#include "presentation/RowTailCache.h"

#include <charconv>
#include <stdexcept>

namespace ClipboardReport {

// The report's wording is the program's published format and is kept as it has always been
// written, odd as it reads: the header puts the reliability under "Ausfallwahrscheinlichkeit",
// and every count line spells it "Ausfallwahrscheinlichekit". Scripts match these texts; a
// well-meant correction would break every one of them.
std::string headerLine(double reliability, std::int32_t runs)
{
    return formatText("Ausfallwahrscheinlichkeit: %.6f, Durchläufe: %d", {reliability, runs});
}

std::string countLineTail(std::int32_t count, std::int32_t runs)
{
    // Both quotients keep their 64-bit significand; 100 x count needs at most 38 bits.
    const long double probability = checkedDivide(count, runs);
    const long double percent = checkedDivide(100.0L * count, runs);
    // "Ausfallwahrscheinlichekit": as published, see headerLine.
    return formatText(" Triebwerke, Ausfallwahrscheinlichekit %.6f = %.3f Prozent",
                      {probability, percent});
}

std::string countLine(std::int32_t k, std::int32_t count, std::int32_t runs)
{
    return formatText("%d", {k}) + countLineTail(count, runs);
}

std::uint64_t sizeBound(std::int32_t engines)
{
    const std::uint64_t lines = engines < 0 ? 0 : static_cast<std::uint64_t>(engines) + 1;
    return 512 + 96 * lines;
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
    // Most counts of a long report are equal (mostly 0), and lines of equal counts differ only in
    // k: the rest of a line is formatted once per run of equal counts.
    RowTailCache<std::int32_t> tails;
    const auto format = [runs](std::int32_t count, std::string& text) {
        text = countLineTail(count, runs);
    };
    std::string line;
    for (std::int32_t k = 0; k <= engines; ++k) {
        // k >= 0: "%d" writes its digits alone.
        char digits[16];
        const auto written = std::to_chars(digits, digits + sizeof digits, k).ptr;
        line.assign(digits, written);
        line += tails.tail(histogram[static_cast<std::size_t>(k)], format);
        addLine(line);
    }
}

} // namespace ClipboardReport
