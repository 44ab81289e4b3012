#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

// The plain-text report of one simulation: a header line with the reliability as entered and the
// run count, then one line per failure count k = 0 .. engines with its probability and percentage.
namespace ClipboardReport {

std::string headerLine(double reliability, std::int32_t runs);

// The line of failure count k; throws EInvalidOp for runs = 0 (0 / 0).
std::string countLine(std::int32_t k, std::int32_t count, std::int32_t runs);

// The count line without its leading k: the same for every k of equal count, so that a long
// report can format it once per count instead of once per line.
std::string countLineTail(std::int32_t count, std::int32_t runs);

// The report's size in bytes at most, each line with its CR LF, for `engines` failure counts: a
// header of up to 512 bytes (a reliability near the double range has 309 digits) and up to 96
// bytes a line (a nine-digit count, signs, and separators of up to four bytes in UTF-8).
std::uint64_t sizeBound(std::int32_t engines);

// Hands the lines to `addLine` one after the other, each as soon as it is formatted, so that a
// failure part-way leaves exactly the lines before it delivered. No count line follows the header
// for a negative engine count. `histogram` holds at least engines + 1 counts.
void write(double reliability, std::int32_t engines, std::int32_t runs,
           std::span<const std::int32_t> histogram,
           const std::function<void(const std::string&)>& addLine);

} // namespace ClipboardReport
