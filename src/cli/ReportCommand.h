#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

// The command-line report: simulates like "ins Clipboard" and prints the report's lines (or the
// raw counts) to `out`. Returns the exit code: 0 on success, 1 when the simulation, the report or
// writing it to `out` fails (message on `err`, with the cause `describeWriteFailure` gives for a
// failed write), 2 for a malformed command line (usage on `err`); the whole command line is
// checked before anything is computed. The report is written as it is formatted, and every error
// of the simulation or the report arises before its first line, so that nothing reaches `out`
// when they fail.
int runReportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err,
                     const std::function<std::string()>& describeWriteFailure = {});
