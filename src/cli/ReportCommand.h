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
// checked before anything is computed. Nothing reaches `out` when the simulation or the report
// fails.
int runReportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err,
                     const std::function<std::string()>& describeWriteFailure = {});
