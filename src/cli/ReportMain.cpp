#include "cli/ReportCommand.h"
#include "platform/DescriptorOutput.h"
#include "presentation/FormatSettings.h"

#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char* argv[])
{
    LoadFormatSettings();
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    platform::DescriptorOutput standardOutput(1);
    std::ostream out(&standardOutput);
    return runReportCommand(arguments, out, std::cerr, [&standardOutput] {
        return platform::describeWriteError(standardOutput.error());
    });
}
