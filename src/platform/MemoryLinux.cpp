#include "platform/Memory.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <sys/mman.h>

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

void adviseHugePages(void* data, std::size_t bytes)
{
    constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = (begin + bytes) & ~(hugePage - 1);
    if (data == nullptr || end <= first)
        return;
    madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

} // namespace platform
