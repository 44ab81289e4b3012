#pragma once

#include "presentation/TextEncoding.h"

#include <stdexcept>
#include <string>
#include <string_view>

// The report tool's exit codes.
enum class ExitCode {
    Success = 0,
    Failure = 1, // the simulation, the report, the picture or the output failed
    Usage = 2,   // the command line is malformed
    // 141, death by SIGPIPE when the reader closes the output early, is the system's, not ours.
};

// A failure that ends the command with its exit code; what() is the sentence printed for it.
class CommandError : public std::runtime_error
{
public:
    CommandError(ExitCode exitCode, const std::string& message)
        : std::runtime_error(message)
        , m_exitCode(exitCode)
    {}
    ExitCode exitCode() const noexcept { return m_exitCode; }

private:
    ExitCode m_exitCode;
};

// An argument as a message echoes it: in quotation marks and with its control characters escaped,
// so that no argument can rewrite the user's terminal.
inline std::string quotedArgument(std::string_view text)
{
    return "\"" + escapeControlCharacters(text) + "\"";
}
