// Reduced fractions.
#include "framework/core/Ratio.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(RatioTest, NewRatioIsOneOverOne)
{
    const Lumo::Ratio ratio;
    EXPECT_EQ(ratio.mNumerator, 1);
    EXPECT_EQ(ratio.mDenominator, 1);
}

TEST(RatioTest, SetReducesByTheRemainderGcd)
{
    struct Case {
        int n, d;
        int numerator, denominator;
    };
    const Case cases[] = {
        { 4, 3, 4, 3 },
        { 8, 6, 4, 3 },
        { 7, 7, 1, 1 },
        // C remainders carry the sign of the dividend: gcd(-4, 6) = 2,
        // gcd(4, -6) = -2, gcd(-4, -6) = -2.
        { -4, 6, -2, 3 },
        { 4, -6, -2, 3 },
        { -4, -6, 2, 3 },
        { 0, 5, 0, 1 },
        { 5, 0, 1, 0 },
        { 0, 0, 0, 0 },                   // no divisor: kept as given
        { INT_MIN, 2, -1073741824, 1 },
        { INT_MIN, INT_MIN, 1, 1 },
        { INT_MIN, -1, INT_MIN, -1 },     // -INT_MIN does not fit: kept as given
    };
    for (const Case& c : cases) {
        Lumo::Ratio ratio;
        ratio.Set(c.n, c.d);
        EXPECT_EQ(ratio.mNumerator, c.numerator) << c.n << "/" << c.d;
        EXPECT_EQ(ratio.mDenominator, c.denominator) << c.n << "/" << c.d;
    }
    EXPECT_EQ(Lumo::Ratio(16, 12), Lumo::Ratio(4, 3));
}

} // namespace
