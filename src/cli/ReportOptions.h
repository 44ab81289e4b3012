#pragma once

#include "chart/ChartFile.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class OutputFormat { Report, Counts, Csv, Json };

// Everything the command line asks for, each text read and checked, before anything is computed.
struct ReportRequest
{
    long double reliability = 0;
    std::int32_t engines = 0;
    std::int32_t runs = 0;
    std::optional<std::uint32_t> seed;
    OutputFormat format = OutputFormat::Report;
    bool exact = false;
    std::string_view reliabilityText;
    std::optional<std::string> plot;
    ChartFileType plotType = ChartFileType::Png;
    int plotWidth = 1200;
    int plotHeight = 700;
    bool logarithmic = false;
    bool errorBars = false;
    std::optional<std::int64_t> maxFailures;
    std::optional<std::string> title;
    // Whether the reliability was written with a percent sign.
    bool explicitPercent = false;
};

// One option of the command line: how it is written, what the usage says of it and the rules it
// is checked by. The table of them drives the parsing, the checks and the usage text.
struct ReportOption
{
    std::string_view name{};      // "--engines"
    std::string_view shortName{}; // "-h", where there is one
    std::string_view valueName{}; // "N" in the usage; empty for a switch
    std::string_view help{};      // the usage's lines beside the name, '\n' between them
    bool required = false;
    // An option that answers on its own (--help, --version) gives its answer here; nothing else of
    // the command line is read then.
    std::string (*answer)() = nullptr;
    // The option counts only beside one of these: an option's name, or its name and the value it
    // must have ("--format csv").
    std::vector<std::string_view> onlyWith{};
    // Refused beside this option, unless that option has the value `conflictAllows`.
    std::string_view conflictsWith{};
    std::string_view conflictAllows{};
    // The values an option may have, in the order the usage names them; empty for any.
    std::vector<std::string_view> choices{};
    // The range of a whole number.
    std::optional<std::pair<std::int64_t, std::int64_t>> range{};
    // Reads the value (or the switch) into the request; throws CommandError for a bad value.
    void (*read)(const ReportOption& option, std::string_view value,
                 ReportRequest& request) = nullptr;
};

// The options in the order of the usage; the checks run in this order too.
const std::vector<ReportOption>& reportOptions();

// The options a command line gives, each with its value (empty for a switch).
class CommandLine
{
public:
    // Throws CommandError(ExitCode::Usage) for the first unknown argument, missing value, value
    // given to a switch or option given twice, unless --help or --version is given too: they
    // answer whatever else the command line holds.
    explicit CommandLine(std::span<const std::string_view> arguments);

    bool has(std::string_view name) const { return m_values.contains(name); }
    std::string_view value(std::string_view name) const { return m_values.at(name); }

private:
    std::map<std::string_view, std::string_view> m_values;
};

// The answer of the first option given that answers on its own, if any.
std::optional<std::string> answerAlone(const CommandLine& commandLine);

// Checks the options against the table's rules and reads them, all but those that answer on
// their own; throws CommandError(ExitCode::Usage) for the first problem.
ReportRequest readRequest(const CommandLine& commandLine);

// The text of --help.
std::string usageText();
// Its first line: how the command is called.
std::string usageFirstLine();
