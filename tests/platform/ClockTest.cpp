#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(Clock, monotonicTicksAreReadableAndDoNotGoBackwards)
{
    const auto first = platform::monotonicTicks();
    const auto second = platform::monotonicTicks();
    ASSERT_TRUE(first && second);
    EXPECT_LE(*first, *second);
}

TEST(Clock, millisecondsSinceBootDoNotGoBackwards)
{
    const std::uint32_t first = platform::millisecondsSinceBoot();
    const std::uint32_t second = platform::millisecondsSinceBoot();
    EXPECT_GT(first, 0u);
    EXPECT_LE(first, second);
}
