#include "cli/ReportCommand.h"
#include "presentation/FormatSettings.h"

#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char* argv[])
{
    LoadFormatSettings();
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return runReportCommand(arguments, std::cout, std::cerr);
}
