#include "presentation/CheckedArithmetic.h"

#include "platform/Exceptions.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr long double infinity = std::numeric_limits<long double>::infinity();
constexpr long double notANumber = std::numeric_limits<long double>::quiet_NaN();

std::string failureOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const Exception& error) {
        return std::string(error.className()) + ": " + error.message();
    }
    return "none";
}

} // namespace

TEST(CheckedDivide, raisesTheFloatingPointErrorsAsExceptions)
{
    struct Case
    {
        long double dividend;
        long double divisor;
        const char* failure;
    };
    const Case cases[] = {
        {0, 0, "EInvalidOp: Ungültige Gleitkommaoperation"},
        {-0.0L, 0, "EInvalidOp: Ungültige Gleitkommaoperation"},
        {0, -7, "none"},
        {5, 0, "EZeroDivide: Gleitkommadivision durch Null"},
        {-5, -0.0L, "EZeroDivide: Gleitkommadivision durch Null"},
        {infinity, infinity, "EInvalidOp: Ungültige Gleitkommaoperation"},
        {notANumber, 1, "EInvalidOp: Ungültige Gleitkommaoperation"},
        {1, notANumber, "EInvalidOp: Ungültige Gleitkommaoperation"},
        {std::numeric_limits<long double>::max(), 0.5L, "EOverflow: Gleitkommaüberlauf"},
        {1, 3, "none"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(failureOf([&] { checkedDivide(c.dividend, c.divisor); }), c.failure)
            << static_cast<double>(c.dividend) << " / " << static_cast<double>(c.divisor);
    }
}

TEST(CheckedDivide, roundsTheQuotientOnceWithA64BitSignificand)
{
    EXPECT_EQ(checkedDivide(4500, 1000000), 4500.0L / 1000000.0L);
    EXPECT_NE(static_cast<long double>(static_cast<double>(checkedDivide(45, 1000000))),
              checkedDivide(45, 1000000));
    EXPECT_EQ(checkedDivide(-0.0L, 5), 0.0L);
    EXPECT_TRUE(std::signbit(checkedDivide(0, -5)));
}

TEST(CheckedToDouble, overflowsOnlyBeyondTheDoubleRange)
{
    const long double largestDouble = std::numeric_limits<double>::max();
    EXPECT_EQ(checkedToDouble(largestDouble), std::numeric_limits<double>::max());
    EXPECT_EQ(checkedToDouble(0.999L), 0.999);
    EXPECT_EQ(failureOf([&] { checkedToDouble(largestDouble * 2); }),
              "EOverflow: Gleitkommaüberlauf");
    EXPECT_EQ(failureOf([&] { checkedToDouble(-1e400L); }), "EOverflow: Gleitkommaüberlauf");
    EXPECT_EQ(failureOf([&] { checkedToDouble(infinity); }), "none");
}
