#include "presentation/PowersOfTen.h"

#include <gtest/gtest.h>

// The compiler converts decimal literals correctly rounded, independently of the table.
TEST(PowersOfTen, everyTableFactorIsTheNearestExtendedValue)
{
    const long double small[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,
                                 1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L,
                                 1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L, 1e23L,
                                 1e24L, 1e25L, 1e26L, 1e27L, 1e28L, 1e29L, 1e30L, 1e31L};
    for (int k = 0; k < 32; ++k)
        EXPECT_EQ(scaleByPowerOfTen(1.0L, k), small[k]) << k;

    const long double middle[] = {1e32L,  1e64L,  1e96L,  1e128L, 1e160L, 1e192L, 1e224L, 1e256L,
                                  1e288L, 1e320L, 1e352L, 1e384L, 1e416L, 1e448L, 1e480L};
    for (int j = 1; j < 16; ++j)
        EXPECT_EQ(scaleByPowerOfTen(1.0L, 32 * j), middle[j - 1]) << 32 * j;

    const long double large[] = {1e512L,  1e1024L, 1e1536L, 1e2048L, 1e2560L,
                                 1e3072L, 1e3584L, 1e4096L, 1e4608L};
    for (int m = 1; m < 10; ++m)
        EXPECT_EQ(scaleByPowerOfTen(1.0L, 512 * m), large[m - 1]) << 512 * m;
}

TEST(PowersOfTen, appliesTheFactorsInTurnAndDividesForNegativeExponents)
{
    EXPECT_EQ(scaleByPowerOfTen(3.0L, 33), (3.0L * 10.0L) * 1e32L);
    EXPECT_EQ(scaleByPowerOfTen(3.0L, -33), (3.0L / 10.0L) / 1e32L);
    EXPECT_EQ(scaleByPowerOfTen(7.0L, 1000), ((7.0L * 1e8L) * 1e480L) * 1e512L);
    EXPECT_EQ(scaleByPowerOfTen(7.0L, 0), 7.0L);
    EXPECT_EQ(scaleByPowerOfTen(1e4000L, -9000), 0.0L);
}
