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
