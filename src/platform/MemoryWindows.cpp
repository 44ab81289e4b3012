#include "platform/Memory.h"

#include <windows.h>

namespace platform {

std::optional<std::uint64_t> availableMemory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status) == 0)
        return std::nullopt;
    return status.ullAvailPhys;
}

// Large pages on Windows need the "lock pages in memory" privilege, which a program run with its
// user's rights does not hold; the histogram takes ordinary pages.
void adviseHugePages(void*, std::size_t) {}

} // namespace platform
