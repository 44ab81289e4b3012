#include "platform/Memory.h"

#include <fstream>
#include <string>

namespace platform {

std::optional<std::uint64_t> availableMemory()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string name;
    std::uint64_t kib = 0;
    std::string unit;
    while (meminfo >> name >> kib >> unit) {
        if (name == "MemAvailable:")
            return kib * 1024;
    }
    return std::nullopt;
}

} // namespace platform
