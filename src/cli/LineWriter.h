#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

// Thrown when the output refuses a write; whatever follows would be lost as well.
class OutputFailed
{};

// Collects text in a block of its own and hands it to the stream a block at a time, so that a
// report of millions of lines costs neither memory nor a call per line; a failed write ends the
// report at once with OutputFailed.
class LineWriter
{
public:
    explicit LineWriter(std::ostream& out);

    void append(std::string_view text);
    void append(char c);
    void appendInteger(std::int64_t value);
    // Hands everything collected to the stream and flushes it.
    void finish();

private:
    void spill();

    std::ostream& m_out;
    std::string m_block;
};
