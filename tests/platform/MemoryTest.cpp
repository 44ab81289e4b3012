#include "platform/Memory.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/sysinfo.h>
#endif

namespace {

// All of the machine's memory, as the system counts it by another call than the one under test.
std::uint64_t totalMemory()
{
#ifdef _WIN32
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    EXPECT_NE(GlobalMemoryStatusEx(&status), 0);
    return status.ullTotalPhys;
#else
    struct sysinfo info;
    EXPECT_EQ(sysinfo(&info), 0);
    return static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
#endif
}

} // namespace

// What the system can still give lies between nothing and all of its memory.
TEST(Memory, availableMemoryIsSomeOfTheSystemsMemory)
{
    const std::uint64_t total = totalMemory();
    const auto available = platform::availableMemory();
    ASSERT_TRUE(available.has_value());
    EXPECT_GT(*available, 0u);
    EXPECT_LE(*available, total);
}
