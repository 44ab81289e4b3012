#pragma once

#include "presentation/FormatSettings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The data rows of one result table, kept as the click computed them: the histogram, the run
// count and the number formats then in force. A cell's text is made when it is asked for, the
// same bytes whenever that is: a table of fifty million rows costs its histogram, not a quarter
// of a billion texts, and a later change of the locale's separator leaves its texts as they were.
//
// Row i (i = 0 .. engines) holds, column by column: "%d Triebwerke" of i; "%.6f" of
// q_i = count_i / runs; "%.3f Prozent" of 100 x count_i / runs; "%.6f" of the running sum S_i;
// "%.3f Prozent" of 100 x S_i (see ResultTable).
class ResultTableRows
{
public:
    // Rows for the failure counts 0 .. engines, none for a negative count; the histogram holds
    // at least engines + 1 counts (std::out_of_range otherwise).
    ResultTableRows(std::int32_t engines, std::int32_t runs, std::vector<std::int32_t> histogram,
                    const FormatSettings& settings);

    std::int32_t engines() const { return m_engines; }

    // The text of the column in the row of `failures` failed engines (0 .. engines). A number
    // column of a table without runs fails with EInvalidOp (0/0), as computing it does.
    std::string text(int column, std::int32_t failures) const;

    // The rows of the smallest and the largest value of the column among [first, last]: a text
    // of any other row differs from one of theirs only in its digits and has no more of them.
    std::array<std::int32_t, 2> extremeRows(int column, std::int32_t first,
                                            std::int32_t last) const;

    // Calls f(top, bottom, text) for runs of rows covering [first, last] in order, the rows of a
    // run sharing its text. A count of 0 adds nothing to the running sum, so the number columns
    // change their texts only where counts do: a table of fifty million rows and a few thousand
    // counts has a few thousand runs there.
    void forEachTextRun(
        int column, std::int32_t first, std::int32_t last,
        const std::function<void(std::int32_t, std::int32_t, const std::string&)>& f) const;

private:
    double runningSum(std::int32_t failures) const;
    std::string textOf(int column, std::int32_t failures, double sum) const;

    std::int32_t m_engines;
    std::int32_t m_runs;
    std::vector<std::int32_t> m_histogram;
    FormatSettings m_settings;
    // S at every sumStride-th row, so that a sum takes at most sumStride - 1 additions and the
    // table 1/4 byte per row.
    std::vector<double> m_sums;
    // Every share is at least 0, so the sums never fall and their extremes are the ends.
    bool m_sumsNeverFall = true;
};
