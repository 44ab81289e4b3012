#pragma once

#include <cstddef>

namespace platform {

// Writes all `size` bytes to an open descriptor, retrying where the system wrote less; 0 when
// every byte went out, else the system's error code (errno on Linux, GetLastError's on Windows),
// which describeWriteError puts into words.
int writeToDescriptor(int descriptor, const char* text, std::size_t size);

} // namespace platform
