#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// The memory the system can still give without swapping, as it estimates it (MemAvailable);
// nothing where it gives no estimate.
std::optional<std::uint64_t> availableMemory();

} // namespace platform
