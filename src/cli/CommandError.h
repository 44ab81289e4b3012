#pragma once

#include <stdexcept>
#include <string>

// The report tool's exit codes.
enum class ExitCode {
    Success = 0,
    Failure = 1, // the simulation, the report, the picture or the output failed
    Usage = 2,   // the command line is malformed
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
