#include "platform/Clock.h"

#include "support/FakeClock.h"

#include <gtest/gtest.h>

TEST(Clock, systemCounterIsReadableAndDoesNotGoBackwards)
{
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    ASSERT_TRUE(platform::QueryPerformanceCounter(first));
    ASSERT_TRUE(platform::QueryPerformanceCounter(second));
    EXPECT_LE(first, second);
}

TEST(Clock, scopedSourceRedirectsBothFunctionsUntilItEnds)
{
    {
        FakeClock fake;
        fake.counter = 77;
        fake.ticks = 5;
        platform::ScopedClockSource scoped(fake);
        std::uint64_t counter = 0;
        EXPECT_TRUE(platform::QueryPerformanceCounter(counter));
        EXPECT_EQ(counter, 77u);
        EXPECT_EQ(platform::GetTickCount(), 5u);
    }
    std::uint64_t counter = 0;
    ASSERT_TRUE(platform::QueryPerformanceCounter(counter));
    EXPECT_NE(counter, 77u);
}
