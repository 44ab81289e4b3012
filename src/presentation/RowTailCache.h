#pragma once

#include <optional>
#include <string>

// The text of a table row after its failure count, formatted anew only where the row differs from
// the one before: long tables are mostly runs of equal rows (of nothing).
template <typename Row> class RowTailCache
{
public:
    // `format(row, text)` appends the row's tail to an empty text.
    template <typename Format> const std::string& tail(const Row& row, const Format& format)
    {
        if (!m_row || !(*m_row == row)) {
            m_text.clear();
            format(row, m_text);
            m_row = row;
        }
        return m_text;
    }

private:
    std::optional<Row> m_row;
    std::string m_text;
};
