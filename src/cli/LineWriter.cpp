#include "cli/LineWriter.h"

#include <charconv>

namespace {

constexpr std::size_t blockSize = 1 << 16;

} // namespace

LineWriter::LineWriter(std::ostream& out)
    : m_out(out)
{
    m_block.reserve(blockSize + 256);
}

void LineWriter::append(std::string_view text)
{
    m_block.append(text);
    if (m_block.size() >= blockSize)
        spill();
}

void LineWriter::append(char c)
{
    m_block.push_back(c);
    if (m_block.size() >= blockSize)
        spill();
}

void LineWriter::appendInteger(std::int64_t value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    append(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void LineWriter::spill()
{
    m_out.write(m_block.data(), static_cast<std::streamsize>(m_block.size()));
    m_block.clear();
    if (!m_out)
        throw OutputFailed();
}

void LineWriter::finish()
{
    spill();
    m_out.flush();
    if (!m_out)
        throw OutputFailed();
}
