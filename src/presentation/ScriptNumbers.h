#pragma once

#include <cstdint>
#include <string>

// Numbers as scripts read them, the same in every locale: a full stop, no grouping.
void appendInteger(std::string& text, std::int64_t value);
// The shortest text that reads back as the same double; a negative zero is written as 0.
void appendShortest(std::string& text, double value);
