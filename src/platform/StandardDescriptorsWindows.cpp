#include "platform/StandardDescriptors.h"

#include "platform/WideText.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace platform {

std::optional<std::string> closedStandardDescriptor()
{
    static constexpr const char* names[] = {"Die Standardeingabe", "Die Standardausgabe",
                                            "Die Standardfehlerausgabe"};
    for (int descriptor = 0; descriptor < 3; ++descriptor) {
        // The runtime answers -2 for a standard stream that has no handle behind it.
        const intptr_t handle = _get_osfhandle(descriptor);
        if (handle == -1 || handle == -2)
            return std::string(names[descriptor]) + " (Deskriptor " + std::to_string(descriptor) +
                   ") ist nicht geöffnet";
    }
    return std::nullopt;
}

void prepareStandardStreams()
{
    // The runtime's text mode would turn every line end into CR LF: the tool's output is the same
    // bytes as on Linux, which every spreadsheet and script on Windows reads as well.
    for (int descriptor = 0; descriptor < 3; ++descriptor)
        _setmode(descriptor, _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return {argv + (argc > 0 ? 1 : 0), argv + argc};
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(fromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

} // namespace platform
