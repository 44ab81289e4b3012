#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

// The memory the system can still give without swapping, as it estimates it (MemAvailable);
// nothing where it gives no estimate.
std::optional<std::uint64_t> availableMemory();

// Asks the kernel to back the whole 2 MiB pages within a freshly allocated block with huge pages,
// where it allows them: the first write to the block then costs a page fault per 2 MiB instead of
// per 4 KiB (a histogram of half a billion counts is zeroed in half the time). Nothing for a
// smaller block, and nothing where the kernel declines.
void adviseHugePages(void* data, std::size_t bytes);

} // namespace platform
