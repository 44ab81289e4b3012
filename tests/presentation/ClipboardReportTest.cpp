#include "presentation/ClipboardReport.h"

#include "CommaFormatSettings.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

class ClipboardReportTest : public CommaFormatSettings
{
protected:
    std::vector<std::string> lines;
    std::function<void(const std::string&)> addLine = [this](const std::string& line) {
        lines.push_back(line);
    };
};

} // namespace

TEST_F(ClipboardReportTest, writesTheHeaderAndOneLinePerFailureCount)
{
    const std::vector<std::int32_t> histogram{2, 1, 1};
    ClipboardReport::write(0.999, 2, 4, histogram, addLine);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 4",
                         "0 Triebwerke, Ausfallwahrscheinlichekit 0,500000 = 50,000 Prozent",
                         "1 Triebwerke, Ausfallwahrscheinlichekit 0,250000 = 25,000 Prozent",
                         "2 Triebwerke, Ausfallwahrscheinlichekit 0,250000 = 25,000 Prozent",
                     }));
}

// The window refuses a report the memory cannot hold before it builds it, so the bound must never
// fall short: the widest header and lines the program can write, with decimal separators of one,
// two and three bytes in UTF-8.
TEST_F(ClipboardReportTest, sizeBoundHoldsTheWidestReports)
{
    for (const char16_t separator : {u',', u'\u066B', u'\u2396'}) {
        formatSettings.decimalSeparator = separator;
        const std::string header =
            ClipboardReport::headerLine(-1.7976931348623157e308, -2147483647 - 1);
        EXPECT_LE(header.size() + 2, 512u) << header;
        for (const std::int32_t runs : {1, -1, 2147483647}) {
            const std::int32_t count = runs > 0 ? runs : 0;
            const std::string widest = ClipboardReport::countLine(536'870'908, count, runs);
            EXPECT_LE(widest.size() + 2, 96u) << widest;

            std::uint64_t bytes = 0;
            const std::vector<std::int32_t> histogram(1001, count);
            ClipboardReport::write(-1.7976931348623157e308, 1000, runs, histogram,
                                   [&bytes](const std::string& line) { bytes += line.size() + 2; });
            EXPECT_LE(bytes, ClipboardReport::sizeBound(1000));
        }
    }
}

TEST_F(ClipboardReportTest, keepsTheQuotientsUnroundedAndTheReliabilityAsEntered)
{
    EXPECT_EQ(ClipboardReport::countLine(3, 45, 1000000),
              "3 Triebwerke, Ausfallwahrscheinlichekit 0,000045 = 0,005 Prozent");
    EXPECT_EQ(ClipboardReport::countLine(0, 30000000, 30000000),
              "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent");
    EXPECT_EQ(ClipboardReport::countLine(1, 1, 128),
              "1 Triebwerke, Ausfallwahrscheinlichekit 0,007813 = 0,781 Prozent");
    EXPECT_EQ(ClipboardReport::headerLine(99.9, 705032704),
              "Ausfallwahrscheinlichkeit: 99,900000, Durchläufe: 705032704");
}

TEST_F(ClipboardReportTest, negativeRunCountsGiveUnsignedZeros)
{
    const std::vector<std::int32_t> histogram{0, 0};
    ClipboardReport::write(0.5, 1, -3, histogram, addLine);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Ausfallwahrscheinlichkeit: 0,500000, Durchläufe: -3");
    EXPECT_EQ(lines[2], "1 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent");
}

TEST_F(ClipboardReportTest, aNegativeEngineCountGivesTheHeaderAlone)
{
    ClipboardReport::write(0.999, -1, 0, {}, addLine);
    EXPECT_EQ(lines,
              std::vector<std::string>{"Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 0"});
}

TEST_F(ClipboardReportTest, zeroRunsFailAfterTheHeaderWithTheInvalidOperation)
{
    const std::vector<std::int32_t> histogram{0, 0, 0};
    EXPECT_THROW(ClipboardReport::write(0.999, 2, 0, histogram, addLine), EInvalidOp);
    EXPECT_EQ(lines,
              std::vector<std::string>{"Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 0"});
}

TEST_F(ClipboardReportTest, aHistogramShorterThanTheEngineCountIsRefused)
{
    const std::vector<std::int32_t> histogram{1};
    EXPECT_THROW(ClipboardReport::write(0.5, 3, 1, histogram, addLine), std::out_of_range);
}
