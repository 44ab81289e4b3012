#pragma once

#include <ostream>
#include <span>
#include <string_view>

// The command-line report: simulates like "ins Clipboard" and prints the report's lines (or the
// raw counts) to `out`. Returns the exit code: 0 on success, 1 when the simulation or the report
// fails (message on `err`), 2 for a malformed command line (usage on `err`). Nothing reaches
// `out` unless the whole report succeeded.
int runReportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err);
