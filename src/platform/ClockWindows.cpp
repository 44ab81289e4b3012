#include "platform/Clock.h"

#include <windows.h>

namespace platform {

std::optional<std::uint64_t> monotonicTicks()
{
    LARGE_INTEGER counter{};
    if (QueryPerformanceCounter(&counter) == 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(counter.QuadPart);
}

std::uint32_t millisecondsSinceBoot()
{
    return GetTickCount();
}

} // namespace platform
