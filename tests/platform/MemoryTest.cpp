#include "platform/Memory.h"

#include <gtest/gtest.h>
#include <sys/sysinfo.h>

// What the system can still give lies between nothing and all of its memory, as the kernel's
// own count of the latter says.
TEST(Memory, availableMemoryIsSomeOfTheSystemsMemory)
{
    struct sysinfo info;
    ASSERT_EQ(sysinfo(&info), 0);
    const std::uint64_t total = static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
    const auto available = platform::availableMemory();
    ASSERT_TRUE(available.has_value());
    EXPECT_GT(*available, 0u);
    EXPECT_LE(*available, total);
}
