#include "cli/ReportCommand.h"

#include "platform/Locale.h"
#include "presentation/FormatSettings.h"
#include "support/CaseNames.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using Arguments = std::vector<std::string_view>;

struct Invocation
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

// Runs the command in-process under a fixed locale, so that neither the machine's regional
// settings nor another test's leave a trace in the texts.
class ReportCommandTest : public testing::Test
{
protected:
    void SetUp() override { useDecimalSeparator(u','); }

    void TearDown() override
    {
        m_locale.reset();
        loadFormatSettings();
    }

    void useDecimalSeparator(char16_t separator)
    {
        m_locale.reset();
        if (separator == u',')
            m_locale.emplace(platform::LocaleFormats{u",", u".", u"€"});
        else
            m_locale.emplace(platform::LocaleFormats{u".", u",", u"$"});
        loadFormatSettings();
    }

    static Invocation run(const Arguments& arguments)
    {
        std::ostringstream out;
        std::ostringstream err;
        Invocation result;
        result.exitCode = runReportCommand(arguments, out, err);
        result.out = out.str();
        result.err = err.str();
        return result;
    }

private:
    std::optional<platform::ScopedLocale> m_locale;
};

// ------------------------------------------------------------------------------------------------
// A malformed command line: exit code 2, the problem and the short usage on err, nothing on out.

struct UsageCase
{
    const char* name;
    Arguments arguments;
    std::string_view mentioned; // what the problem line has to name
};

void PrintTo(const UsageCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class UsageErrorTest : public ReportCommandTest, public testing::WithParamInterface<UsageCase>
{};

TEST_P(UsageErrorTest, NamesTheProblemAndPrintsNoReport)
{
    const Invocation result = run(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    const std::string problem = firstLine(result.err);
    EXPECT_TRUE(problem.starts_with("triebwerke-report: ")) << result.err;
    EXPECT_NE(problem.find(GetParam().mentioned), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("\nAufruf: triebwerke-report --engines N"), std::string::npos)
        << result.err;
}

// Texts longer than the extended accumulation of their digits reaches: 4,933 nines after the
// separator, and integers of 4,933 and 4,934 digits (the extended maximum is about 1.19e4932).
const std::string manyNinesAfterTheSeparator = "0," + std::string(4933, '9');
const std::string integerOf4933Digits = "1" + std::string(4932, '0');
const std::string integerOf4934Digits = "1" + std::string(4933, '0');
const std::string negativeIntegerOf10000Digits = "-" + std::string(10000, '7');

const UsageCase usageCases[] = {
    {"noArguments", {}, "--engines"},
    {"missingEngines", {"--reliability", "0,999", "--runs", "5"}, "--engines"},
    {"missingReliability", {"--engines", "3", "--runs", "5"}, "--reliability"},
    {"missingRuns", {"--engines", "3", "--reliability", "0,999"}, "--runs"},
    {"unknownOption",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--motoren", "4"},
     "--motoren"},
    {"singleDash", {"-engines", "3", "--reliability", "0,999", "--runs", "5"}, "-engines"},
    {"positionalArgument",
     {"drei", "--engines", "3", "--reliability", "0,999", "--runs", "5"},
     "drei"},
    {"missingValueAtEnd", {"--engines", "3", "--reliability", "0,999", "--runs"}, "--runs"},
    {"missingSeedValue",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--seed"},
     "--seed"},
    {"duplicateEngines",
     {"--engines", "3", "--engines", "3", "--reliability", "0,999", "--runs", "5"},
     "--engines"},
    {"duplicateRunsInlineAndSeparate",
     {"--runs=5", "--engines", "3", "--reliability", "0,999", "--runs", "5"},
     "--runs"},
    {"duplicateSeed",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--seed", "1", "--seed", "1"},
     "--seed"},
    {"seedAboveRange",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--seed", "4294967296"},
     "--seed"},
    {"seedNegative",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--seed", "-1"},
     "--seed"},
    {"seedNotANumber",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--seed", "0x10"},
     "--seed"},
    {"countsWithValue",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--counts=1"},
     "--counts"},
    {"helpWithValue", {"--help=ja"}, "--help"},
    {"versionWithValue", {"--version=1"}, "--version"},
    {"enginesNotANumber",
     {"--engines", "abc", "--reliability", "0,999", "--runs", "5"},
     "--engines"},
    {"enginesWithDecimals",
     {"--engines", "3,0", "--reliability", "0,999", "--runs", "5"},
     "--engines"},
    {"enginesTrailingSpace",
     {"--engines", "3 ", "--reliability", "0,999", "--runs", "5"},
     "--engines"},
    {"enginesBeyond64Bits",
     {"--engines", "9223372036854775808", "--reliability", "0,999", "--runs", "5"},
     "--engines"},
    {"enginesMalformedUtf8",
     {"--engines", "\xff", "--reliability", "0,999", "--runs", "5"},
     "--engines"},
    {"runsWithExponent", {"--engines", "3", "--reliability", "0,999", "--runs", "1e3"}, "--runs"},
    {"runsEmpty", {"--engines", "3", "--reliability", "0,999", "--runs", ""}, "--runs"},
    {"reliabilityNotANumber",
     {"--engines", "3", "--reliability", "abc", "--runs", "5"},
     "--reliability"},
    {"reliabilityEmpty", {"--engines", "3", "--reliability", "", "--runs", "5"}, "--reliability"},
    {"reliabilityExponentWithoutDigits",
     {"--engines", "3", "--reliability", "1e", "--runs", "5"},
     "--reliability"},
    {"exactTwice",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--format", "csv", "--exact",
      "--exact"},
     "--exact ist doppelt"},
    {"countsTwice",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--counts", "--counts"},
     "--counts ist doppelt"},
    {"unknownArgumentWithAnEscapeSequence",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "\x1b[2J\x1b]0;x\x07"},
     "Unbekanntes Argument: \"\\x1b[2J\\x1b]0;x\\x07\""},
    {"reliabilityWithARightToLeftOverride",
     {"--engines", "3", "--reliability", "0,9\xe2\x80\xae", "--runs", "5"},
     "keine Zahl: \"0,9\\u202e\""},
    {"reliabilityWithDeleteAndAC1Control",
     {"--engines", "3", "--reliability", "0,9\x7f\xc2\x9b", "--runs", "5"},
     "keine Zahl: \"0,9\\x7f\\x9b\""},
    {"plotNameWithABell",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--plot", "a\x07.gif"},
     "\"a\\x07.gif\""},
    // Grouped or otherwise ambiguous reliabilities are refused with the reason, in every locale.
    {"reliabilityCommaAndStop",
     {"--engines", "3", "--reliability", "1,234.5", "--runs", "5"},
     "enthält Komma und Punkt: \"1,234.5\""},
    {"reliabilityStopAndComma",
     {"--engines", "3", "--reliability", "1.234,5", "--runs", "5"},
     "enthält Komma und Punkt"},
    {"reliabilityGroupedWithCommas",
     {"--engines", "3", "--reliability", "1,2,3", "--runs", "5"},
     "mehr als ein Dezimaltrennzeichen"},
    {"reliabilityGroupedWithStops",
     {"--engines", "3", "--reliability", "1.234.567", "--runs", "5"},
     "mehr als ein Dezimaltrennzeichen"},
    {"reliabilityWithCurrency",
     {"--engines", "3", "--reliability", "0,999 €", "--runs", "5"},
     "keine Zahl"},
    {"reliabilityLeadingSpace",
     {"--engines", "3", "--reliability", " 0,999", "--runs", "5"},
     "keine Zahl"},
    {"reliabilitySeparatorAlone",
     {"--engines", "3", "--reliability", ",", "--runs", "5"},
     "keine Zahl"},
    {"reliabilitySignAndSeparator",
     {"--engines", "3", "--reliability", "-.", "--runs", "5"},
     "keine Zahl"},
    {"reliabilityExponentWithoutMantissa",
     {"--engines", "3", "--reliability", ",e5", "--runs", "5"},
     "keine Zahl"},
    {"formatUnknown",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--format", "xml"},
     "--format"},
    {"formatEmpty",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--format="},
     "--format"},
    {"formatTwice",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--format", "csv", "--format",
      "csv"},
     "--format"},
    {"countsAgainstAnotherFormat",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--counts", "--format", "csv"},
     "--counts"},
    {"exactWithTheReport",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--exact"},
     "--exact"},
    {"exactWithCounts",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--format", "counts", "--exact"},
     "--exact"},
    {"exactWithValue",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--format", "csv", "--exact=1"},
     "--exact"},
    // The options are checked in the usage's order, whatever order they are given in.
    {"malformedEnginesBeforeAnOverflowingReliability",
     {"--engines", "abc", "--runs", "5", "--reliability", "1e400"},
     "--engines"},
    {"missingRunsNamedAlone", {"--engines", "3", "--reliability", "0,999"}, "--runs muss"},
    {"missingTwoNamedTogether", {"--reliability", "0,999"}, "--engines und --runs müssen"},
    {"maxFailuresWithoutPlot",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--max-failures", "2"},
     "--max-failures"},
    {"errorBarsWithoutPlot",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--error-bars"},
     "--error-bars"},
    {"titleWithoutPlot",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--title", "Bild"},
     "--title"},
    {"singleDashHelpWithAValue", {"-h=1"}, "-h"},
    {"malformedRunsBeforeRunsThatWouldFail",
     {"--runs", "0", "--engines", "3", "--reliability", "0,999", "--runs", "x"},
     "--runs"},
};

INSTANTIATE_TEST_SUITE_P(cli, UsageErrorTest, testing::ValuesIn(usageCases), CaseByName());

// ------------------------------------------------------------------------------------------------
// Either separator in either locale; the report keeps the locale's separator.

struct SeparatorCase
{
    const char* name;
    char16_t localeSeparator;
    std::string_view reliability;
    std::string_view header;
};

void PrintTo(const SeparatorCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class SeparatorTest : public ReportCommandTest, public testing::WithParamInterface<SeparatorCase>
{};

TEST_P(SeparatorTest, ReadsTheReliabilityWithEitherSeparator)
{
    useDecimalSeparator(GetParam().localeSeparator);
    const Invocation result =
        run({"--engines", "0", "--reliability", GetParam().reliability, "--runs", "2"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(firstLine(result.out), GetParam().header);
}

const SeparatorCase separatorCases[] = {
    {"commaInPointLocale", u'.', "0,999", "Ausfallwahrscheinlichkeit: 0.999000, Durchläufe: 2"},
    {"pointInPointLocale", u'.', "0.999", "Ausfallwahrscheinlichkeit: 0.999000, Durchläufe: 2"},
    {"pointInCommaLocale", u',', "0.999", "Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 2"},
    {"commaInCommaLocale", u',', "0,999", "Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 2"},
    {"percentWithCommaInPointLocale", u'.', "99,9",
     "Ausfallwahrscheinlichkeit: 99.900000, Durchläufe: 2"},
    {"leadingCommaInPointLocale", u'.', ",5", "Ausfallwahrscheinlichkeit: 0.500000, Durchläufe: 2"},
    {"trailingStopInCommaLocale", u',', "5.", "Ausfallwahrscheinlichkeit: 5,000000, Durchläufe: 2"},
    {"commaWithExponentInPointLocale", u'.', "2,5e-1",
     "Ausfallwahrscheinlichkeit: 0.250000, Durchläufe: 2"},
};

INSTANTIATE_TEST_SUITE_P(cli, SeparatorTest, testing::ValuesIn(separatorCases), CaseByName());

// ------------------------------------------------------------------------------------------------
// A value the window would only take by its 32-bit or percentage rules: exit code 2, a line that
// names the program, the option, the value and the range it must lie in, nothing on out, and no
// picture left behind.

struct ValueCase
{
    const char* name;
    Arguments arguments;
    std::string_view option;
    std::string_view value; // as the message quotes it
    std::string_view range;
    bool onlyWithAPlot = false;
};

void PrintTo(const ValueCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class ValueErrorTest : public ReportCommandTest, public testing::WithParamInterface<ValueCase>
{};

TEST_P(ValueErrorTest, NamesOptionValueAndRangeAndWritesNothing)
{
    const ValueCase& c = GetParam();
    const std::filesystem::path picture =
        std::filesystem::temp_directory_path() /
        ("triebwerke-refused-" + std::to_string(::getpid()) + "-" + c.name + ".png");
    const std::string picturePath = picture.string();
    for (const bool withPlot : {false, true}) {
        if (c.onlyWithAPlot && !withPlot)
            continue;
        Arguments arguments = c.arguments;
        if (withPlot)
            arguments.insert(arguments.end(), {"--plot", picturePath});
        const Invocation result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << withPlot;
        EXPECT_EQ(result.out, "");
        const std::string problem = firstLine(result.err);
        EXPECT_TRUE(
            problem.starts_with("triebwerke-report: Der Wert von " + std::string(c.option) + " "))
            << problem;
        EXPECT_NE(problem.find("\"" + std::string(c.value) + "\""), std::string::npos) << problem;
        EXPECT_NE(problem.find(c.range), std::string::npos) << problem;
        EXPECT_FALSE(std::filesystem::exists(picture));
    }
}

constexpr std::string_view engineRange = "zwischen 0 und 536870908";
constexpr std::string_view runRange = "zwischen 0 und 2147483647";
constexpr std::string_view fractionOrPercent =
    "zwischen 0 und 1 oder, als Prozent, zwischen 1 und 100";
constexpr std::string_view percentRange = "zwischen 0 % und 100 %";

const ValueCase valueCases[] = {
    {"enginesNegative",
     {"--engines", "-5", "--reliability", "0,999", "--runs", "5"},
     "--engines",
     "-5",
     engineRange},
    {"enginesMinusOne",
     {"--engines", "-1", "--reliability", "0,999", "--runs", "0", "--counts"},
     "--engines",
     "-1",
     engineRange},
    // The window would keep the low 32 bits: 33.
    {"enginesBeyond32Bits",
     {"--engines", "4294967329", "--reliability", "0,999", "--runs", "5"},
     "--engines",
     "4294967329",
     engineRange},
    {"enginesLowBitsMinusOne",
     {"--engines", "4294967295", "--reliability", "0,999", "--runs", "3"},
     "--engines",
     "4294967295",
     engineRange},
    {"enginesSmallestInteger",
     {"--engines", "-2147483648", "--reliability", "0,999", "--runs", "1"},
     "--engines",
     "-2147483648",
     engineRange},
    {"histogramTooLong",
     {"--engines", "536870909", "--reliability", "0,999", "--runs", "1", "--counts"},
     "--engines",
     "536870909",
     engineRange},
    {"runsNegative",
     {"--engines", "3", "--reliability", "0,999", "--runs", "-1"},
     "--runs",
     "-1",
     runRange},
    {"runsWithTheSignBitSet",
     {"--engines", "1", "--reliability", "0,5", "--runs", "2147483648", "--counts"},
     "--runs",
     "2147483648",
     runRange},
    {"runsWhoseLowBitsAreZero",
     {"--engines", "2", "--reliability", "0,999", "--runs", "4294967296"},
     "--runs",
     "4294967296",
     runRange},
    {"reliabilityNegative",
     {"--engines", "3", "--reliability", "-0,5", "--runs", "5"},
     "--reliability",
     "-0,5",
     fractionOrPercent},
    {"reliabilityAboveAHundred",
     {"--engines", "3", "--reliability", "150", "--runs", "5", "--format", "csv"},
     "--reliability",
     "150",
     fractionOrPercent},
    {"reliabilityJustAboveAHundred",
     {"--engines", "3", "--reliability", "100.0000001", "--runs", "5", "--counts"},
     "--reliability",
     "100.0000001",
     fractionOrPercent},
    {"reliabilityBeyondDouble",
     {"--engines", "3", "--reliability", "1e400", "--runs", "5"},
     "--reliability",
     "1e400",
     fractionOrPercent},
    {"reliabilityBeyondExtendedRange",
     {"--engines", "3", "--reliability", "-1e5000", "--runs", "5", "--counts"},
     "--reliability",
     "-1e5000",
     fractionOrPercent},
    {"integerOf4934Digits",
     {"--engines", "3", "--reliability", integerOf4934Digits, "--runs", "5"},
     "--reliability",
     integerOf4934Digits,
     fractionOrPercent},
    {"percentAboveAHundred",
     {"--engines", "3", "--reliability", "100,5%", "--runs", "5"},
     "--reliability",
     "100,5%",
     percentRange},
    {"percentNegative",
     {"--engines", "3", "--reliability", "-1 %", "--runs", "5", "--format", "json"},
     "--reliability",
     "-1 %",
     percentRange},
    {"maxFailuresNegative",
     {"--engines", "3", "--reliability", "0,9", "--runs", "5", "--max-failures", "-1"},
     "--max-failures",
     "-1",
     engineRange,
     true},
};

INSTANTIATE_TEST_SUITE_P(cli, ValueErrorTest, testing::ValuesIn(valueCases), CaseByName());

// A bare value between 1 and 50 is read as a percentage, as the window reads it, and the reader is
// told; a percent sign, or a value from 50 up, is taken without a word.
TEST_F(ReportCommandTest, ABarePercentageBelowFiftyIsPointedOut)
{
    const Arguments common = {"--engines", "2", "--runs", "10", "--seed", "1", "--reliability"};
    for (const auto& [reliability, pointedOut] :
         std::vector<std::pair<std::string_view, bool>>{{"1,5", true},
                                                        {"1.01", true},
                                                        {"49,9", true},
                                                        {"1,5%", false},
                                                        {"50", false},
                                                        {"99,9", false},
                                                        {"1", false},
                                                        {"0,985", false}}) {
        Arguments arguments = common;
        arguments.push_back(reliability);
        const Invocation result = run(arguments);
        EXPECT_EQ(result.exitCode, 0) << reliability;
        EXPECT_EQ(result.err.starts_with("triebwerke-report: Hinweis: --reliability \"" +
                                         std::string(reliability) +
                                         "\" ist größer als 1 und wird daher als Prozent gelesen"),
                  pointedOut)
            << reliability << ": " << result.err;
        EXPECT_EQ(result.err.empty(), !pointedOut) << reliability;
    }
}

// No runs leave no share to give: only the counts are written without them.
TEST_F(ReportCommandTest, NoRunsAreRefusedWhereSharesWouldBeWritten)
{
    const Arguments common = {"--engines", "3", "--reliability", "0,999", "--runs", "0"};
    for (const Arguments& extra :
         {Arguments{}, Arguments{"--format", "csv"}, Arguments{"--format", "json", "--exact"},
          Arguments{"--counts", "--plot", "nie.png"}}) {
        Arguments arguments = common;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const Invocation result = run(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(firstLine(result.err)
                        .starts_with("triebwerke-report: Der Wert von --runs ist 0; ohne "
                                     "Durchläufe gibt es keine Anteile"))
            << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists("nie.png"));
}

// ------------------------------------------------------------------------------------------------
// An output that refuses to be written: exit code 1 and a German message with the cause, never a
// report silently lost.

// Accepts `capacity` characters, then fails every write, like a full disk.
class FullOutput final : public std::streambuf
{
public:
    explicit FullOutput(std::size_t capacity)
        : m_capacity(capacity)
    {}
    const std::string& written() const { return m_written; }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        if (m_written.size() == m_capacity)
            return traits_type::eof();
        m_written += traits_type::to_char_type(c);
        return c;
    }

private:
    std::size_t m_capacity;
    std::string m_written;
};

struct WriteFailureCase
{
    const char* name;
    Arguments arguments;
    std::size_t capacity;
};

void PrintTo(const WriteFailureCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class WriteFailureTest : public ReportCommandTest,
                         public testing::WithParamInterface<WriteFailureCase>
{};

TEST_P(WriteFailureTest, ExitsWithOneAndSaysWhy)
{
    FullOutput full(GetParam().capacity);
    std::ostream out(&full);
    std::ostringstream err;
    const int exitCode =
        runReportCommand(GetParam().arguments, out, err, [] { return std::string("Platte voll"); });
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(err.str(),
              "triebwerke-report: Die Ausgabe konnte nicht geschrieben werden: Platte voll\n");
    EXPECT_LE(full.written().size(), GetParam().capacity);
}

const WriteFailureCase writeFailureCases[] = {
    {"reportOnAClosedOutput",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--seed", "1"},
     0},
    {"reportCutShort",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--seed", "1"},
     60},
    {"countsCutShort",
     {"--engines", "2000", "--reliability", "0,5", "--runs", "5", "--seed", "1", "--counts"},
     1000},
    {"helpOnAClosedOutput", {"--help"}, 0},
};

INSTANTIATE_TEST_SUITE_P(cli, WriteFailureTest, testing::ValuesIn(writeFailureCases), CaseByName());

// ------------------------------------------------------------------------------------------------
// --help: the usage on out, exit code 0, whatever else the command line asks for.

struct HelpCase
{
    const char* name;
    Arguments arguments;
};

void PrintTo(const HelpCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class HelpTest : public ReportCommandTest, public testing::WithParamInterface<HelpCase>
{};

TEST_P(HelpTest, PrintsTheUsageInsteadOfAReport)
{
    const Invocation result = run(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.starts_with("Aufruf: triebwerke-report --engines N --reliability R "
                                       "--runs M [--seed S] [--format F]\n"))
        << result.out;
    for (const std::string_view option :
         {"--engines N", "--reliability R", "--runs M", "--seed S", "--format F", "report",
          "counts", "csv", "json", "--counts", "--exact", "--help"})
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
    EXPECT_EQ(result.out.find("Ausfallwahrscheinlichkeit:"), std::string::npos);
    EXPECT_TRUE(result.out.ends_with("\n"));
}

const HelpCase helpCases[] = {
    {"alone", {"--help"}},
    {"withAFullCommandLine",
     {"--engines", "3", "--reliability", "0,999", "--runs", "5", "--seed", "1", "--help"}},
    {"withAnIncompleteCommandLine", {"--engines", "3", "--help"}},
    {"withRunsThatWouldFail",
     {"--help", "--engines", "3", "--reliability", "0,999", "--runs", "0"}},
    {"beforeAnUnknownArgument", {"--help", "--zz"}},
    {"afterAnUnknownArgument", {"--zz", "--help"}},
    {"withAMalformedValue", {"--help", "--engines", "zz"}},
    {"twice", {"--help", "--help"}},
    {"withAValueMissingAtTheEnd", {"--engines", "3", "--help", "--runs"}},
    {"besideVersion", {"--version", "--help"}},
};

INSTANTIATE_TEST_SUITE_P(cli, HelpTest, testing::ValuesIn(helpCases), CaseByName());

// --version: one line with the program's name and a version of three numbers, whatever else the
// command line holds.
TEST_F(ReportCommandTest, VersionPrintsOneLineAndNothingElse)
{
    for (const Arguments& arguments :
         {Arguments{"--version"},
          Arguments{"--engines", "3", "--reliability", "0,999", "--runs", "0", "--version"},
          Arguments{"--version", "--motoren", "4"}, Arguments{"--version", "--version"}}) {
        const Invocation result = run(arguments);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(std::regex_match(result.out,
                                     std::regex("triebwerke-report [0-9]+\\.[0-9]+\\.[0-9]+\n")))
            << result.out;
    }
}

// A number is read whatever its length: 4,933 nines after the separator are 1 to the last bit of
// a double, as the same text with 40 nines is.
TEST_F(ReportCommandTest, AReliabilityOfAnyLengthIsRead)
{
    const Arguments common{"--engines", "3", "--runs", "1000", "--seed", "5", "--reliability"};
    Arguments longText = common;
    longText.push_back(manyNinesAfterTheSeparator);
    Arguments one = common;
    one.push_back("1");
    const Invocation result = run(longText);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, run(one).out);
    EXPECT_TRUE(result.out.starts_with("Ausfallwahrscheinlichkeit: 1,000000, Durchläufe: 1000\n"))
        << result.out.substr(0, 80);
}

// Whatever an argument holds, the message that echoes it puts no control character on the
// terminal: the only one left is the line end.
TEST_F(ReportCommandTest, EchoedArgumentsCarryNoControlCharacters)
{
    for (const std::string_view hostile :
         {std::string_view("\x1b[31m\x1b[2J"), std::string_view("\r\x08\x7f"),
          std::string_view("\xc2\x9b"
                           "31m"),
          std::string_view("\xe2\x80\xae"
                           "gnp.exe"),
          std::string_view("\xe2\x81\xa6\xe2\x81\xa9\xe2\x80\x8f"), std::string_view("\0x", 2)}) {
        for (const Arguments& arguments :
             {Arguments{"--engines", "3", "--reliability", "0,999", "--runs", "5", hostile},
              Arguments{"--engines", "3", "--reliability", hostile, "--runs", "5"},
              Arguments{"--engines", hostile, "--reliability", "0,999", "--runs", "5"}}) {
            const Invocation result = run(arguments);
            EXPECT_EQ(result.exitCode, 2);
            for (const char c : result.err) {
                const auto byte = static_cast<unsigned char>(c);
                EXPECT_TRUE(byte == '\n' || (byte >= 0x20 && byte != 0x7F)) << result.err;
            }
            EXPECT_EQ(result.err.find("\xc2\x9b"), std::string::npos) << result.err;
            EXPECT_EQ(result.err.find("\xe2\x80\xae"), std::string::npos) << result.err;
            EXPECT_EQ(result.err.find("\xe2\x81\xa6"), std::string::npos) << result.err;
        }
    }
}

// ------------------------------------------------------------------------------------------------
// --counts: one line "k count" for k = 0 .. engines; the counts add up to the runs.

struct CountsCase
{
    const char* name;
    Arguments arguments;
    int engines;
    std::int64_t runsSimulated;
};

void PrintTo(const CountsCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class CountsTest : public ReportCommandTest, public testing::WithParamInterface<CountsCase>
{};

TEST_P(CountsTest, ListsEveryFailureCountAndAddsUpToTheRuns)
{
    const Invocation result = run(GetParam().arguments);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.empty() || result.out.ends_with("\n")) << result.out;
    const std::vector<std::string> countLines = lines(result.out);
    ASSERT_EQ(countLines.size(), static_cast<std::size_t>(GetParam().engines + 1)) << result.out;
    std::int64_t total = 0;
    for (std::size_t k = 0; k < countLines.size(); ++k) {
        const std::string prefix = std::to_string(k) + " ";
        ASSERT_TRUE(countLines[k].starts_with(prefix)) << countLines[k];
        const std::string count = countLines[k].substr(prefix.size());
        ASSERT_FALSE(count.empty());
        ASSERT_EQ(count.find_first_not_of("0123456789"), std::string::npos) << countLines[k];
        total += std::stoll(count);
    }
    EXPECT_EQ(total, GetParam().runsSimulated);
}

const CountsCase countsCases[] = {
    {"halfReliability",
     {"--engines", "3", "--reliability", "0,5", "--runs", "1000", "--seed", "1", "--counts"},
     3,
     1000},
    {"defaultEngines",
     {"--engines", "9", "--reliability", "0,999", "--runs", "10007", "--seed", "649090867",
      "--counts"},
     9,
     10007},
    {"manyEngines",
     {"--counts", "--engines", "17", "--reliability", "90", "--runs", "4099", "--seed",
      "4294967295"},
     17,
     4099},
    {"enoughDrawsForThreads",
     {"--engines", "9", "--reliability", "0,999", "--runs", "1000003", "--seed", "2463534242",
      "--counts"},
     9,
     1000003},
    {"clockSeeded",
     {"--engines", "5", "--reliability", "0,7", "--runs", "333", "--counts"},
     5,
     333},
    {"noEngines", {"--engines", "0", "--reliability", "0,5", "--runs", "7", "--counts"}, 0, 7},
    {"oneRun",
     {"--engines", "1", "--reliability", "0,5", "--runs", "1", "--seed", "0", "--counts"},
     1,
     1},
    // No division, so no run is no error here.
    {"noRuns", {"--engines", "5", "--reliability", "0,999", "--runs", "0", "--counts"}, 5, 0},
};

INSTANTIATE_TEST_SUITE_P(cli, CountsTest, testing::ValuesIn(countsCases), CaseByName());

// ------------------------------------------------------------------------------------------------
// The whole report for cases whose text is known in advance.

struct ReportCase
{
    const char* name;
    char16_t decimalSeparator;
    Arguments arguments;
    std::string_view expected;
};

void PrintTo(const ReportCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class ReportTextTest : public ReportCommandTest, public testing::WithParamInterface<ReportCase>
{};

TEST_P(ReportTextTest, PrintsExactlyTheReport)
{
    useDecimalSeparator(GetParam().decimalSeparator);
    const Invocation result = run(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, GetParam().expected);
}

const ReportCase reportCases[] = {
    {"noEnginesGivesTwoLines",
     u',',
     {"--engines", "0", "--reliability", "0,999", "--runs", "7"},
     "Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 7\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"},
    {"reliabilityOneNeverFails",
     u',',
     {"--engines", "3", "--reliability", "1", "--runs", "5"},
     "Ausfallwahrscheinlichkeit: 1,000000, Durchläufe: 5\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"
     "2 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"
     "3 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"},
    {"reliabilityZeroAlwaysFails",
     u',',
     {"--engines", "3", "--reliability", "0", "--runs", "5"},
     "Ausfallwahrscheinlichkeit: 0,000000, Durchläufe: 5\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"
     "2 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"
     "3 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"},
    {"hundredPercentNeverFails",
     u',',
     {"--engines", "1", "--reliability", "100", "--runs", "5"},
     "Ausfallwahrscheinlichkeit: 100,000000, Durchläufe: 5\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"},
    {"percentageHeaderShowsTheRawValue",
     u',',
     {"--engines", "0", "--reliability", "99,9", "--runs", "2"},
     "Ausfallwahrscheinlichkeit: 99,900000, Durchläufe: 2\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"},
    {"decimalPointLocale",
     u'.',
     {"--engines", "0", "--reliability", "0.999", "--runs", "4"},
     "Ausfallwahrscheinlichkeit: 0.999000, Durchläufe: 4\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1.000000 = 100.000 Prozent\n"},
    {"commaReadAsSeparatorInAPointLocale",
     u'.',
     {"--engines", "0", "--reliability", "0,999", "--runs", "4"},
     "Ausfallwahrscheinlichkeit: 0.999000, Durchläufe: 4\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1.000000 = 100.000 Prozent\n"},
    {"pointReadAsSeparatorInACommaLocale",
     u',',
     {"--engines", "0", "--reliability", "0.999", "--runs", "4"},
     "Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 4\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"},
    // A percent sign above 1 changes nothing: the same value, the same header.
    {"percentSignAboveOne",
     u',',
     {"--engines", "0", "--reliability", "99,9%", "--runs", "2"},
     "Ausfallwahrscheinlichkeit: 99,900000, Durchläufe: 2\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"},
    {"percentSignWithASpace",
     u'.',
     {"--engines", "0", "--reliability", "99.9 %", "--runs", "2"},
     "Ausfallwahrscheinlichkeit: 99.900000, Durchläufe: 2\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1.000000 = 100.000 Prozent\n"},
    // 1 % works in one run of a hundred; the first draw from 649090867 is 0, below p = 0.99.
    {"percentSignAtOne",
     u',',
     {"--engines", "1", "--reliability", "1%", "--runs", "1", "--seed", "649090867"},
     "Ausfallwahrscheinlichkeit: 0,010000, Durchläufe: 1\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"},
    {"hundredPercentSign",
     u',',
     {"--engines", "1", "--reliability", "100%", "--runs", "1", "--seed", "649090867"},
     "Ausfallwahrscheinlichkeit: 100,000000, Durchläufe: 1\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"},
    // From state 649090867 the first draw is exactly 0: below any p > 0, not below p = 0.
    {"drawZeroFails",
     u',',
     {"--engines", "1", "--reliability", "0,999", "--runs", "1", "--seed", "649090867"},
     "Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 1\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"},
    {"drawZeroIsNotBelowZero",
     u',',
     {"--engines", "1", "--reliability", "1", "--runs", "1", "--seed", "649090867"},
     "Ausfallwahrscheinlichkeit: 1,000000, Durchläufe: 1\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"},
    // From 2796574515 the first draw is 0.5 = p: it works; from 3445665382 it is just below.
    {"drawEqualToPWorks",
     u',',
     {"--engines", "1", "--reliability", "0,5", "--runs", "1", "--seed", "2796574515"},
     "Ausfallwahrscheinlichkeit: 0,500000, Durchläufe: 1\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"},
    {"drawBelowPFails",
     u',',
     {"--engines", "1", "--reliability", "0,5", "--runs", "1", "--seed", "3445665382"},
     "Ausfallwahrscheinlichkeit: 0,500000, Durchläufe: 1\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"},
    // From state 0 the draws are 2.3e-10, 0.031 and 0.86: two runs of three fail.
    {"thirds",
     u',',
     {"--engines", "1", "--reliability", "0,5", "--runs", "3", "--seed", "0"},
     "Ausfallwahrscheinlichkeit: 0,500000, Durchläufe: 3\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 0,333333 = 33,333 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 0,666667 = 66,667 Prozent\n"},
    {"quartersInTheDecimalPointLocale",
     u'.',
     {"--engines", "2", "--reliability", "0.5", "--runs", "4", "--seed", "11"},
     "Ausfallwahrscheinlichkeit: 0.500000, Durchläufe: 4\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 0.500000 = 50.000 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 0.250000 = 25.000 Prozent\n"
     "2 Triebwerke, Ausfallwahrscheinlichekit 0.250000 = 25.000 Prozent\n"},
    // Only state 0 lies below p = 1 - 0.9999999999; it comes first. 1/128 = 0.0078125 and
    // 127/128 = 0.9921875 have a 5 as their first dropped digit and round up.
    {"cutFiveRoundsUp",
     u',',
     {"--engines", "1", "--reliability", "0,9999999999", "--runs", "128", "--seed", "649090867"},
     "Ausfallwahrscheinlichkeit: 1,000000, Durchläufe: 128\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 0,992188 = 99,219 Prozent\n"
     "1 Triebwerke, Ausfallwahrscheinlichekit 0,007813 = 0,781 Prozent\n"},
};

INSTANTIATE_TEST_SUITE_P(cli, ReportTextTest, testing::ValuesIn(reportCases), CaseByName());

// The tables for scripts: full stops in every locale, the shortest text of each double, CR LF
// after every CSV record, running sums from count 1 on as in the result table, and the shares of
// runs with at most and at least k failures from the whole counts.
constexpr std::string_view csvHeader =
    "failed_engines,count,probability,percent,cumulative,cumulative_percent,probability_at_most,"
    "probability_at_least";

const ReportCase tableCases[] = {
    {"csvInACommaLocale",
     u',',
     {"--engines", "2", "--reliability", "0,999", "--runs", "4", "--seed", "0", "--format", "csv"},
     "failed_engines,count,probability,percent,cumulative,cumulative_percent,"
     "probability_at_most,probability_at_least\r\n"
     "0,3,0.75,75,0,0,0.75,1\r\n"
     "1,1,0.25,25,0.25,25,1,0.25\r\n"
     "2,0,0,0,0.25,25,1,0\r\n"},
    {"csvInAPointLocale",
     u'.',
     {"--engines", "2", "--reliability", "0,999", "--runs", "4", "--seed", "0", "--format=csv"},
     "failed_engines,count,probability,percent,cumulative,cumulative_percent,"
     "probability_at_most,probability_at_least\r\n"
     "0,3,0.75,75,0,0,0.75,1\r\n"
     "1,1,0.25,25,0.25,25,1,0.25\r\n"
     "2,0,0,0,0.25,25,1,0\r\n"},
    {"csvWithoutEngines",
     u',',
     {"--engines", "0", "--reliability", "0,5", "--runs", "7", "--format", "csv"},
     "failed_engines,count,probability,percent,cumulative,cumulative_percent,"
     "probability_at_most,probability_at_least\r\n"
     "0,7,1,100,0,0,1,1\r\n"},
    // 0.5 is drawn exactly: the generator's probability and the nominal one are the same.
    {"csvExactWithItsStandardErrors",
     u',',
     {"--engines", "1", "--reliability", "0,5", "--runs", "4", "--seed", "0", "--format", "csv",
      "--exact"},
     "failed_engines,count,probability,percent,cumulative,cumulative_percent,"
     "probability_at_most,probability_at_least,exact_probability,standard_error,"
     "exact_probability_nominal\r\n"
     "0,1,0.25,25,0,0,0.25,1,0.5,0.25,0.5\r\n"
     "1,3,0.75,75,0.75,75,1,0.75,0.5,0.25,0.5\r\n"},
    // 1 - 0.999 = 0.0010000000000000009 in doubles; the generator fails below 4294968 / 2^32.
    {"jsonWithTheRealisedFailureProbability",
     u',',
     {"--engines", "2", "--reliability", "0,999", "--runs", "4", "--seed", "0", "--format", "json"},
     "{\"engines\":2,\"runs\":4,\"reliability\":0.999,\"seed\":0,"
     "\"failure_probability\":0.0010000001639127731,"
     "\"nominal_failure_probability\":0.0010000000000000009,\"rows\":[\n"
     "{\"failed_engines\":0,\"count\":3,\"probability\":0.75,\"percent\":75,\"cumulative\":0,"
     "\"cumulative_percent\":0,\"probability_at_most\":0.75,\"probability_at_least\":1},\n"
     "{\"failed_engines\":1,\"count\":1,\"probability\":0.25,\"percent\":25,"
     "\"cumulative\":0.25,\"cumulative_percent\":25,\"probability_at_most\":1,"
     "\"probability_at_least\":0.25},\n"
     "{\"failed_engines\":2,\"count\":0,\"probability\":0,\"percent\":0,\"cumulative\":0.25,"
     "\"cumulative_percent\":25,\"probability_at_most\":1,\"probability_at_least\":0}\n"
     "]}\n"},
    // 99.9 / 100 rounds to 0.9990000000000001, whose complement is 0.0009999999999998899.
    {"jsonReliabilityAsEntered",
     u'.',
     {"--engines", "0", "--reliability", "99,9", "--runs", "2", "--seed", "4294967295", "--format",
      "json", "--exact"},
     "{\"engines\":0,\"runs\":2,\"reliability\":99.9,\"seed\":4294967295,"
     "\"failure_probability\":0.0010000001639127731,"
     "\"nominal_failure_probability\":0.0009999999999998899,\"chi_square\":{\"statistic\":0,"
     "\"degrees_of_freedom\":0,\"p_value\":null},\"rows\":[\n"
     "{\"failed_engines\":0,\"count\":2,\"probability\":1,\"percent\":100,\"cumulative\":0,"
     "\"cumulative_percent\":0,\"probability_at_most\":1,\"probability_at_least\":1,"
     "\"exact_probability\":1,\"standard_error\":0,\"exact_probability_nominal\":1}\n"
     "]}\n"},
    {"countsByItsFormatName",
     u',',
     {"--engines", "2", "--reliability", "0,999", "--runs", "4", "--seed", "0", "--format",
      "counts", "--counts"},
     "0 3\n1 1\n2 0\n"},
    {"reportByItsFormatName",
     u',',
     {"--engines", "0", "--reliability", "0,999", "--runs", "7", "--format", "report"},
     "Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 7\n"
     "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\n"},
};

INSTANTIATE_TEST_SUITE_P(cli_tables, ReportTextTest, testing::ValuesIn(tableCases), CaseByName());

// Without --seed the generator starts from the clock; the JSON names the state it started from,
// and that seed repeats the simulation.
TEST_F(ReportCommandTest, JsonNamesTheSeedThatRepeatsAClockSeededRun)
{
    const Arguments arguments = {"--engines", "9",    "--reliability", "0,5",
                                 "--runs",    "1000", "--format",      "json"};
    const Invocation first = run(arguments);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::size_t start = first.out.find("\"seed\":") + 7;
    const std::string seed = first.out.substr(start, first.out.find(',', start) - start);
    Arguments seeded = arguments;
    seeded.push_back("--seed");
    seeded.push_back(seed);
    EXPECT_EQ(run(seeded).out, first.out);
}

// The counts of every format agree with --counts, and the shares add up along the table.
TEST_F(ReportCommandTest, CsvAgreesWithTheCountsAndItsRunningSums)
{
    const Arguments arguments = {"--engines", "17",    "--reliability", "0,9",
                                 "--runs",    "10007", "--seed",        "649090867"};
    Arguments csvArguments = arguments;
    csvArguments.insert(csvArguments.end(), {"--format", "csv", "--exact"});
    Arguments countArguments = arguments;
    countArguments.push_back("--counts");
    const std::vector<std::string> countLines = lines(run(countArguments).out);
    const std::vector<std::string> csvLines = lines(run(csvArguments).out);
    ASSERT_EQ(csvLines.size(), countLines.size() + 1);
    EXPECT_EQ(csvLines[0], std::string(csvHeader) +
                               ",exact_probability,standard_error,exact_probability_nominal\r");

    double share = 0;
    double exactTotal = 0;
    double nominalTotal = 0;
    std::int64_t runsSoFar = 0;
    for (std::size_t k = 0; k < countLines.size(); ++k) {
        std::istringstream record(csvLines[k + 1]);
        std::vector<std::string> fields;
        for (std::string field; std::getline(record, field, ',');)
            fields.push_back(field);
        ASSERT_EQ(fields.size(), 11u) << csvLines[k + 1];
        EXPECT_EQ(fields[0] + " " + fields[1], countLines[k]);
        const double count = std::stod(fields[1]);
        EXPECT_EQ(std::stod(fields[2]), count / 10007);
        EXPECT_NEAR(std::stod(fields[3]), 100 * count / 10007, 1e-12);
        if (k > 0)
            share += count / 10007;
        EXPECT_NEAR(std::stod(fields[4]), share, 1e-12);
        EXPECT_NEAR(std::stod(fields[5]), 100 * share, 1e-10);
        EXPECT_EQ(std::stod(fields[7]), static_cast<double>(10007 - runsSoFar) / 10007);
        runsSoFar += std::stoll(fields[1]);
        EXPECT_EQ(std::stod(fields[6]), static_cast<double>(runsSoFar) / 10007);
        const double exact = std::stod(fields[8]);
        exactTotal += exact;
        EXPECT_NEAR(std::stod(fields[9]), std::sqrt(exact * (1 - exact) / 10007), 1e-15);
        nominalTotal += std::stod(fields[10]);
    }
    EXPECT_EQ(runsSoFar, 10007);
    EXPECT_NEAR(exactTotal, 1, 1e-12);
    EXPECT_NEAR(nominalTotal, 1, 1e-12);
}

// The shares of runs with at most or at least k failures are quotients of whole counts by 1000,
// so each prints with three decimals at most, where the running sums of rounded shares need
// seventeen digits.
TEST_F(ReportCommandTest, SharesFromWholeCountsPrintAsShortDecimals)
{
    const std::vector<std::string> csvLines =
        lines(run({"--engines", "33", "--reliability", "0,9", "--runs", "1000", "--seed", "3",
                   "--format", "csv"})
                  .out);
    ASSERT_EQ(csvLines.size(), 35u);
    const std::regex shortDecimal("0|1|0\\.[0-9]{1,3}");
    for (std::size_t row = 1; row < csvLines.size(); ++row) {
        std::istringstream record(csvLines[row].substr(0, csvLines[row].size() - 1));
        std::vector<std::string> fields;
        for (std::string field; std::getline(record, field, ',');)
            fields.push_back(field);
        ASSERT_EQ(fields.size(), 8u);
        EXPECT_TRUE(std::regex_match(fields[6], shortDecimal)) << csvLines[row];
        EXPECT_TRUE(std::regex_match(fields[7], shortDecimal)) << csvLines[row];
    }
}

// A count no run reached still has its spread: the one the model gives it, sqrt(P (1 - P) / runs).
// The values are Python's, from the exact binomial probability of 6 failures of 9 at the failure
// probability 429496730 / 2^32 that 0.9 is drawn with, and, for the textbook column, at
// 1 - 0.9 = 0.09999999999999998 (6.123599999999993e-05 with exact fractions).
TEST_F(ReportCommandTest, StandardErrorOfAnUnreachedCountIsTheModelsSpread)
{
    const std::vector<std::string> csvLines =
        lines(run({"--engines", "9", "--reliability", "0,9", "--runs", "1000", "--seed", "1",
                   "--format", "csv", "--exact"})
                  .out);
    ASSERT_GT(csvLines.size(), 7u);
    EXPECT_TRUE(csvLines[7].starts_with("6,0,0,0,0.62,62,1,0,6.123600032317266e-05,"
                                        "0.0002474515113622002,"))
        << csvLines[7];
    const std::string nominal = csvLines[7].substr(csvLines[7].rfind(',') + 1);
    EXPECT_NEAR(std::stod(nominal), 6.123599999999993e-05, 1e-15 * 6.1236e-05) << csvLines[7];
}

// The generator repeats itself after 2^32 numbers. From half of them on, the user is told, on
// stderr and in the JSON, and the results still come with exit code 0. 2^31 = 2147483648 lies
// between 9 x 238609294 = 2147483646 and 9 x 238609295 = 2147483655.
struct PeriodCase
{
    const char* name;
    Arguments arguments;
    const char* draws; // nullptr: no note
};

void PrintTo(const PeriodCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class GeneratorPeriodTest : public ReportCommandTest, public testing::WithParamInterface<PeriodCase>
{};

TEST_P(GeneratorPeriodTest, NoteFromHalfThePeriodOn)
{
    Arguments arguments = GetParam().arguments;
    arguments.insert(arguments.end(), {"--seed", "1", "--format", "json"});
    const Invocation invocation = run(arguments);
    EXPECT_EQ(invocation.exitCode, 0);
    const std::string field =
        "\"period_warning\":{\"draws\":" + std::string(GetParam().draws ? GetParam().draws : "") +
        ",\"period\":4294967296},";
    if (GetParam().draws) {
        EXPECT_EQ(invocation.err,
                  "triebwerke-report: Hinweis: Die Simulation zieht " +
                      std::string(GetParam().draws) +
                      " Zufallszahlen, mindestens die Hälfte der 4294967296, nach denen sich der "
                      "Zufallsgenerator wiederholt. Die Durchläufe sind daher nicht mehr "
                      "unabhängig, ihre Ergebnisse streuen weniger als im Modell.\n");
        EXPECT_NE(invocation.out.find("\"failure_probability\":0.10000000009313226,"
                                      "\"nominal_failure_probability\":0.09999999999999998," +
                                      field),
                  std::string::npos)
            << firstLine(invocation.out);
    } else {
        EXPECT_EQ(invocation.err, "");
        EXPECT_EQ(invocation.out.find("period_warning"), std::string::npos)
            << firstLine(invocation.out);
    }
}

INSTANTIATE_TEST_SUITE_P(
    cli, GeneratorPeriodTest,
    testing::Values(PeriodCase{"justBelowHalf",
                               {"--engines", "9", "--reliability", "0,9", "--runs", "238609294"},
                               nullptr},
                    PeriodCase{"halfReached",
                               {"--engines", "9", "--reliability", "0,9", "--runs", "238609295"},
                               "2147483655"},
                    PeriodCase{"beyondAWholePeriod",
                               {"--engines", "9", "--reliability", "0,9", "--runs", "500000000"},
                               "4500000000"},
                    // Nothing is drawn when no engine can fail or every one must.
                    PeriodCase{"noEngineFails",
                               {"--engines", "9", "--reliability", "1", "--runs", "238609295"},
                               nullptr},
                    PeriodCase{"everyEngineFails",
                               {"--engines", "9", "--reliability", "0", "--runs", "238609295"},
                               nullptr}),
    CaseByName());

// ------------------------------------------------------------------------------------------------
// The same seed gives the same report; the report and the counts describe the same histogram.

struct SeededCase
{
    const char* name;
    Arguments arguments; // without --counts
};

void PrintTo(const SeededCase& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class SeededReportTest : public ReportCommandTest, public testing::WithParamInterface<SeededCase>
{};

TEST_P(SeededReportTest, CountsAndReportAgree)
{
    Arguments withCounts = GetParam().arguments;
    withCounts.push_back("--counts");
    const Invocation report = run(GetParam().arguments);
    const Invocation again = run(GetParam().arguments);
    const Invocation counts = run(withCounts);
    ASSERT_EQ(report.exitCode, 0) << report.err;
    ASSERT_EQ(counts.exitCode, 0) << counts.err;
    EXPECT_EQ(again.out, report.out);

    const std::vector<std::string> reportLines = lines(report.out);
    const std::vector<std::string> countLines = lines(counts.out);
    ASSERT_EQ(reportLines.size(), countLines.size() + 1);
    std::int64_t runs = 0;
    std::vector<std::int64_t> histogram;
    for (const std::string& line : countLines) {
        histogram.push_back(std::stoll(line.substr(line.find(' ') + 1)));
        runs += histogram.back();
    }
    ASSERT_GT(runs, 0);
    EXPECT_TRUE(reportLines[0].ends_with(", Durchläufe: " + std::to_string(runs)))
        << reportLines[0];
    for (std::size_t k = 0; k < histogram.size(); ++k) {
        // A count that is all or none of the runs has a probability known digit for digit.
        const std::string& line = reportLines[k + 1];
        EXPECT_TRUE(line.starts_with(std::to_string(k) + " Triebwerke, Ausfallwahrscheinlichekit "))
            << line;
        if (histogram[k] == 0)
            EXPECT_TRUE(line.ends_with(" 0,000000 = 0,000 Prozent")) << line;
        else if (histogram[k] == runs)
            EXPECT_TRUE(line.ends_with(" 1,000000 = 100,000 Prozent")) << line;
        else
            EXPECT_TRUE(line.find(" 0,") != std::string::npos) << line;
    }
}

const SeededCase seededCases[] = {
    {"defaultInputsSmaller",
     {"--engines", "9", "--reliability", "0,999", "--runs", "100000", "--seed", "1"}},
    {"seedZero", {"--engines", "3", "--reliability", "0,5", "--runs", "1000", "--seed", "0"}},
    {"seedAllOnes",
     {"--engines", "17", "--reliability", "99,9", "--runs", "1000", "--seed", "4294967295"}},
};

INSTANTIATE_TEST_SUITE_P(cli, SeededReportTest, testing::ValuesIn(seededCases), CaseByName());

} // namespace
