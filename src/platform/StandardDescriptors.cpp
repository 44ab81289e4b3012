#include "platform/StandardDescriptors.h"

#include <cerrno>
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

} // namespace platform
