// The report tool's command line from any bytes, one argument per NUL-separated piece: nothing may
// crash, and a command line that is taken asks only for what the simulation and the table can
// answer.

#include "cli/CommandError.h"
#include "cli/ReportOptions.h"
#include "simulation/FailureSimulation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

bool answerable(const ReportRequest& request)
{
    const bool sharesAsked = request.format != OutputFormat::Counts || request.plot.has_value();
    return request.engines >= 0 && request.engines <= maxEngineCount && request.runs >= 0 &&
           (request.runs > 0 || !sharesAsked) && request.reliability >= 0 &&
           request.reliability <= 100 &&
           (!request.maxFailures ||
            (*request.maxFailures >= 0 && *request.maxFailures <= maxEngineCount));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> arguments;
    for (std::size_t start = 0; start <= bytes.size();) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        arguments.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    try {
        const CommandLine commandLine(arguments);
        if (answerAlone(commandLine))
            return 0;
        if (!answerable(readRequest(commandLine)))
            std::abort();
    } catch (const CommandError& error) {
        if (error.exitCode() != ExitCode::Usage)
            std::abort();
    }
    return 0;
}
