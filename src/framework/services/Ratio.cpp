#include "framework/services/Ratio.h"

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

} // namespace Lumo
