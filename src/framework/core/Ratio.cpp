#include "framework/core/Ratio.h"

#include <climits>
#include <cstdint>

namespace Lumo {

void Ratio::Set(int numerator, int denominator)
{
    // 64-bit so that INT_MIN % -1 and INT_MIN / -1 stay defined.
    int64_t a = numerator;
    int64_t b = denominator;
    while (b != 0) {
        const int64_t r = a % b;
        a = b;
        b = r;
    }
    const int64_t gcd = a;

    mNumerator = numerator;
    mDenominator = denominator;
    if (gcd == 0)
        return; // only 0/0

    const int64_t n = numerator / gcd;
    const int64_t d = denominator / gcd;
    if (n < INT_MIN || n > INT_MAX || d < INT_MIN || d > INT_MAX)
        return;
    mNumerator = static_cast<int>(n);
    mDenominator = static_cast<int>(d);
}

bool Ratio::operator<(const Ratio& other) const
{
    // a.num * b.den / a.den < b.num, or else a.num < b.num * a.den / b.den,
    // in integer division.
    const int64_t num = mNumerator;
    const int64_t den = mDenominator;
    const int64_t otherNum = other.mNumerator;
    const int64_t otherDen = other.mDenominator;
    const bool first = den != 0 && num * otherDen / den < otherNum;
    const bool second = otherDen != 0 ? num < otherNum * den / otherDen : den != 0;
    return first || second;
}

} // namespace Lumo
