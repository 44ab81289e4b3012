#include "platform/FloatingPoint.h"

#include <gtest/gtest.h>

namespace {

// A runtime or a driver that left a 53-bit significand behind would round 1/3 to the double's
// digits: the start-up check brings the extended precision back.
TEST(FloatingPointTest, StartUpRestoresTheExtendedPrecision)
{
    std::uint16_t doublePrecision = 0x027F;
    asm volatile("fldcw %0" : : "m"(doublePrecision));
    platform::ensureExtendedPrecision();
    EXPECT_EQ(platform::x87ControlWord(), platform::extendedPrecisionControlWord);
    volatile long double three = 3;
    EXPECT_NE(static_cast<long double>(1.0L / three), static_cast<long double>(1.0 / 3.0));
}

TEST(FloatingPointTest, AGuardPutsBackWhatACallChanged)
{
    platform::ensureExtendedPrecision();
    {
        const platform::FloatingPointGuard keep;
        std::uint16_t other = 0x027F;
        asm volatile("fldcw %0" : : "m"(other));
        EXPECT_EQ(platform::x87ControlWord(), 0x027F);
    }
    EXPECT_EQ(platform::x87ControlWord(), platform::extendedPrecisionControlWord);
}

} // namespace
