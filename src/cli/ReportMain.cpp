#include "cli/CommandError.h"
#include "cli/ReportCommand.h"
#include "platform/DescriptorOutput.h"
#include "platform/FloatingPoint.h"
#include "platform/StandardDescriptors.h"
#include "presentation/FormatSettings.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char* argv[])
{
    // Before anything is opened, or a library's descriptor takes a free standard number. With
    // standard error closed there is nobody to tell; the exit code says it alone.
    if (const auto closed = platform::closedStandardDescriptor()) {
        std::cerr << "triebwerke-report: " << *closed << '\n';
        return static_cast<int>(ExitCode::Failure);
    }
    platform::prepareStandardStreams();
    platform::ensureExtendedPrecision();
    loadFormatSettings();
    const std::vector<std::string> words = platform::commandLineArguments(argc, argv);
    const std::vector<std::string_view> arguments(words.begin(), words.end());
    platform::DescriptorOutput standardOutput(1);
    std::ostream out(&standardOutput);
    return runReportCommand(arguments, out, std::cerr, [&standardOutput] {
        return platform::describeWriteError(standardOutput.error());
    });
}
