#include "platform/StandardDescriptors.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>

namespace platform {

std::optional<std::string> closedStandardDescriptor()
{
    static constexpr const char* names[] = {"Die Standardeingabe", "Die Standardausgabe",
                                            "Die Standardfehlerausgabe"};
    for (int descriptor = 0; descriptor < 3; ++descriptor)
        if (::fcntl(descriptor, F_GETFD) == -1 && errno == EBADF)
            return std::string(names[descriptor]) + " (Deskriptor " + std::to_string(descriptor) +
                   ") ist nicht geöffnet";
    return std::nullopt;
}

void prepareStandardStreams()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

} // namespace platform
