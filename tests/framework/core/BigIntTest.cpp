// Big integers checked against 128-bit machine arithmetic, signed 64-bit
// arithmetic and a few values worked out elsewhere.
#include "framework/core/BigInt.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace {

using U128 = unsigned __int128;

std::string Hex128(U128 value)
{
    if (value == 0)
        return "0";
    std::string text;
    while (value != 0) {
        text.insert(text.begin(), "0123456789abcdef"[static_cast<int>(value & 0xF)]);
        value >>= 4;
    }
    return text;
}

std::string SignedHex(__int128 value)
{
    if (value < 0)
        return "-" + Hex128(static_cast<U128>(-value));
    return Hex128(static_cast<U128>(value));
}

BigInt Big(U128 value)
{
    return BigInt(Hex128(value));
}

int BitWidth128(U128 value)
{
    const uint64_t high = static_cast<uint64_t>(value >> 64);
    if (high != 0)
        return 64 + static_cast<int>(std::bit_width(high));
    return static_cast<int>(std::bit_width(static_cast<uint64_t>(value)));
}

U128 Make128(uint64_t high, uint64_t low)
{
    return (static_cast<U128>(high) << 64) | low;
}

// Fixed-seed generator so the operand table is the same on every run.
uint64_t SplitMix(uint64_t& state)
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Digit boundaries by hand, then random values of every width from 1 to 128 bits.
std::vector<U128> Operands()
{
    std::vector<U128> values = {
        0, 1, 2, 7, 0xFFFF, 0x10000, 0x10001, 0xFFFFFFFF, 0x100000000ull,
        0x8000000000000000ull, 0xFFFFFFFFFFFFFFFFull, Make128(1, 0), Make128(1, 1),
        Make128(0xFFFF, 0), Make128(0x8000000000000000ull, 0),
        Make128(0xFFFFFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFFull),
    };
    uint64_t state = 20240611;
    for (int width = 1; width <= 128; width += 3) {
        const U128 random = Make128(SplitMix(state), SplitMix(state));
        const U128 mask = width == 128 ? ~U128(0) : (U128(1) << width) - 1;
        values.push_back((random & mask) | (U128(1) << (width - 1)));
    }
    return values;
}

TEST(BigIntTest, ParsesHexText)
{
    struct Case {
        const char* text;
        const char* printed;
        int digits;
    };
    const Case cases[] = {
        {"", "0", 0},
        {"0", "0", 0},
        {"0000", "0", 0},
        {"FFFF", "ffff", 1},
        {"ffff", "ffff", 1},
        {"1g", "10", 1}, // a non-hex character counts as the digit 0
        {"-5", "5", 1},  // so does a minus sign
        {"10000", "10000", 2},
        {"000ABCdef", "abcdef", 2},
        {"123456789abcdef0123456789ABCDEF0", "123456789abcdef0123456789abcdef0", 8},
    };
    for (const Case& c : cases) {
        const BigInt value(std::string(c.text));
        EXPECT_EQ(value.ToHexString(), c.printed) << c.text;
        EXPECT_EQ(value.GetDigitCount(), c.digits) << c.text;
        EXPECT_FALSE(value.IsNegative()) << c.text;
    }
    const BigInt ffff(std::string("FFFF"));
    EXPECT_EQ(ffff.GetDigit(0), 0xFFFF);
    const BigInt big(std::string("123456789abcdef0"));
    EXPECT_EQ(big.GetDigit(0), 0xdef0);
    EXPECT_EQ(big.GetDigit(3), 0x1234);
    EXPECT_EQ(big.GetDigit(4), 0);
}

TEST(BigIntTest, ConstructsFromInt)
{
    struct Case {
        int value;
        const char* printed;
        int digits;
    };
    const Case cases[] = {
        {0, "0", 0},       {1, "1", 1},          {-1, "-1", 1},
        {65535, "ffff", 1}, {65536, "10000", 2}, {INT_MAX, "7fffffff", 2},
        {INT_MIN, "-80000000", 2},
    };
    for (const Case& c : cases) {
        const BigInt value(c.value);
        EXPECT_EQ(value.ToHexString(), c.printed) << c.value;
        EXPECT_EQ(value.GetDigitCount(), c.digits) << c.value;
        EXPECT_EQ(value.IsNegative(), c.value < 0) << c.value;
    }
}

TEST(BigIntTest, PrintsAndBitLengthsMatch128BitValues)
{
    for (const U128 v : Operands()) {
        const BigInt value = Big(v);
        EXPECT_EQ(value.ToHexString(), Hex128(v));
        EXPECT_EQ(value.BitLength(), BitWidth128(v)) << Hex128(v);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(value.GetDigit(i), static_cast<uint16_t>(v >> (16 * i))) << Hex128(v);
    }
    EXPECT_EQ(BigInt(1).BitLength(), 1);
    EXPECT_EQ(BigInt(0x10000).BitLength(), 17);
    EXPECT_EQ(BigInt(0).BitLength(), 0);
}

TEST(BigIntTest, ArithmeticMatches128BitArithmetic)
{
    const std::vector<U128> values = Operands();
    for (const U128 a : values) {
        for (const U128 b : values) {
            const BigInt x = Big(a);
            const BigInt y = Big(b);
            const std::string where = Hex128(a) + " , " + Hex128(b);

            if (BitWidth128(a) < 128 && BitWidth128(b) < 128) {
                EXPECT_EQ((x + y).ToHexString(), Hex128(a + b)) << where;
            }
            EXPECT_EQ((x - y).ToHexString(), a >= b ? Hex128(a - b) : "-" + Hex128(b - a)) << where;
            if (BitWidth128(a) + BitWidth128(b) <= 128) {
                EXPECT_EQ((x * y).ToHexString(), Hex128(a * b)) << where;
            }
            EXPECT_EQ((x | y).ToHexString(), Hex128(a | b)) << where;

            if (b != 0) {
                BigInt quotient;
                BigInt remainder;
                x.DivMod(y, quotient, remainder);
                EXPECT_EQ(quotient.ToHexString(), Hex128(a / b)) << where;
                EXPECT_EQ(remainder.ToHexString(), Hex128(a % b)) << where;
                EXPECT_EQ((x % y).ToHexString(), Hex128(a % b)) << where;
            }

            EXPECT_EQ(x < y, a < b) << where;
            EXPECT_EQ(x > y, a > b) << where;
            EXPECT_EQ(x <= y, a <= b) << where;
            EXPECT_EQ(x >= y, a >= b) << where;
            EXPECT_EQ(x == y, a == b) << where;
        }
    }
}

TEST(BigIntTest, ShiftsMatch128BitShifts)
{
    const int counts[] = {0, 1, 3, 4, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 127, 128, 200};
    for (const U128 v : Operands()) {
        for (const int n : counts) {
            const BigInt value = Big(v);
            const std::string where = Hex128(v) + " by " + std::to_string(n);
            const std::string right = n < 128 ? Hex128(v >> n) : "0";
            EXPECT_EQ((value >> n).ToHexString(), right) << where;
            BigInt inPlace = value;
            inPlace >>= n;
            EXPECT_EQ(inPlace.ToHexString(), right) << where;
            if (n < 128 && BitWidth128(v) + n <= 128) {
                EXPECT_EQ((value << n).ToHexString(), Hex128(v << n)) << where;
                inPlace = value;
                inPlace <<= n;
                EXPECT_EQ(inPlace.ToHexString(), Hex128(v << n)) << where;
            }
            // A negative count shifts the other way.
            EXPECT_EQ((value << -n).ToHexString(), right) << where;
        }
    }
    // Shifts move the magnitude and keep the sign until nothing is left.
    EXPECT_EQ((BigInt(-12) >> 2).ToHexString(), "-3");
    EXPECT_EQ((BigInt(-12) << 4).ToHexString(), "-c0");
    EXPECT_FALSE((BigInt(-1) >> 1).IsNegative());
    EXPECT_FALSE((BigInt(-1) >> 40).IsNegative());
}

TEST(BigIntTest, SignedArithmeticMatchesInt64)
{
    const int values[] = {INT_MIN, -70000, -65536, -65535, -7, -5, -1, 0, 1, 5, 7, 65535, 65536, 123456789, INT_MAX};
    for (const int a : values) {
        for (const int b : values) {
            const BigInt x(a);
            const BigInt y(b);
            const int64_t la = a;
            const int64_t lb = b;
            const std::string where = std::to_string(a) + " , " + std::to_string(b);
            EXPECT_EQ((x + y).ToHexString(), SignedHex(la + lb)) << where;
            EXPECT_EQ((x - y).ToHexString(), SignedHex(la - lb)) << where;
            EXPECT_EQ((x * y).ToHexString(), SignedHex(la * lb)) << where;
            EXPECT_EQ(x < y, la < lb) << where;
            // Equality compares magnitudes.
            EXPECT_EQ(x == y, la == lb || la == -lb) << where;
            if (b != 0) {
                // Truncating division, as the machine's.
                BigInt quotient;
                BigInt remainder;
                x.DivMod(y, quotient, remainder);
                EXPECT_EQ(quotient.ToHexString(), SignedHex(la / lb)) << where;
                EXPECT_EQ(remainder.ToHexString(), SignedHex(la % lb)) << where;
            }
        }
        EXPECT_EQ((-BigInt(a)).ToHexString(), SignedHex(-static_cast<int64_t>(a))) << a;
    }
}

TEST(BigIntTest, SmallCasesWorkedByHand)
{
    const BigInt ffff = BigInt(0x10000) - BigInt(1);
    EXPECT_EQ(ffff.GetDigitCount(), 1);
    EXPECT_EQ(ffff.GetDigit(0), 0xFFFF);

    const BigInt minusOne = BigInt(1) - BigInt(2);
    EXPECT_TRUE(minusOne.IsNegative());
    EXPECT_EQ(minusOne.GetDigitCount(), 1);
    EXPECT_EQ(minusOne.GetDigit(0), 1);

    BigInt quotient;
    BigInt remainder;
    BigInt(100).DivMod(BigInt(7), quotient, remainder);
    EXPECT_EQ(quotient.ToHexString(), "e"); // 14
    EXPECT_EQ(remainder.ToHexString(), "2");
    BigInt(5).DivMod(BigInt(9), quotient, remainder);
    EXPECT_EQ(quotient.ToHexString(), "0");
    EXPECT_EQ(remainder.ToHexString(), "5");

    // Sign is ignored by ==, not by <.
    EXPECT_TRUE(BigInt(5) == BigInt(-5));
    EXPECT_TRUE(BigInt(-5) < BigInt(5));
    EXPECT_FALSE(BigInt(5) < BigInt(-5));

    // Zero is never negative, however it is reached.
    EXPECT_FALSE((BigInt(0) * BigInt(-5)).IsNegative());
    EXPECT_FALSE((-BigInt(0)).IsNegative());
    EXPECT_FALSE((BigInt(-5) + BigInt(5)).IsNegative());

    // OR works on magnitudes and gives a non-negative value.
    const BigInt ored = BigInt(-12) | BigInt(3);
    EXPECT_EQ(ored.ToHexString(), "f");
}

TEST(BigIntTest, DivisionByZeroGivesZeroQuotientAndRemainder)
{
    BigInt quotient(99);
    BigInt remainder(99);
    const BigInt dividend(std::string("123456789abcdef0123"));
    dividend.DivMod(BigInt(0), quotient, remainder);
    EXPECT_TRUE(quotient.IsZero());
    EXPECT_TRUE(remainder.IsZero());
    EXPECT_TRUE((dividend % BigInt(0)).IsZero());
    BigInt(0).DivMod(BigInt(0), quotient, remainder);
    EXPECT_TRUE(quotient.IsZero());
    EXPECT_TRUE(remainder.IsZero());
    // So a zero modulus gives 0, or 1 for a zero exponent, and stays small.
    EXPECT_TRUE(dividend.ModPow(BigInt(std::string("ffffffffffffffffffff")), BigInt(0)).IsZero());
    EXPECT_EQ(dividend.ModPow(BigInt(0), BigInt(0)).ToHexString(), "1");
}

TEST(BigIntTest, DivModOutputsMayBeTheOperands)
{
    BigInt a(1000);
    BigInt b(7);
    a.DivMod(b, a, b);
    EXPECT_EQ(a.ToHexString(), "8e"); // 142
    EXPECT_EQ(b.ToHexString(), "6");

    BigInt c(5);
    BigInt d(9);
    c.DivMod(d, d, c); // divisor larger: quotient 0, remainder the dividend
    EXPECT_EQ(d.ToHexString(), "0");
    EXPECT_EQ(c.ToHexString(), "5");
}

// Square-and-multiply in 128-bit arithmetic; moduli below 2^63 keep every
// product below 2^126.
uint64_t ReferenceModPow(U128 base, uint64_t exponent, uint64_t modulus)
{
    U128 result = 1;
    U128 b = base % modulus;
    while (exponent > 0) {
        if (exponent & 1)
            result = result * b % modulus;
        exponent >>= 1;
        b = b * b % modulus;
    }
    return static_cast<uint64_t>(result);
}

TEST(BigIntTest, ModPowMatchesSquareAndMultiply)
{
    EXPECT_EQ(BigInt(4).ModPow(BigInt(13), BigInt(497)).ToHexString(), Hex128(445));

    uint64_t state = 77;
    const uint64_t fixedModuli[] = {1, 2, 3, 65537, 0xFFFFFFFFull, 0x7FFFFFFFFFFFFFFFull};
    std::vector<uint64_t> moduli(std::begin(fixedModuli), std::end(fixedModuli));
    for (int i = 0; i < 20; ++i)
        moduli.push_back((SplitMix(state) >> (1 + i % 60)) | 2);
    for (const uint64_t modulus : moduli) {
        for (int i = 0; i < 8; ++i) {
            // Bases wider than the modulus: the first step is not reduced beforehand.
            const U128 base = Make128(SplitMix(state) >> (i * 8), SplitMix(state));
            const uint64_t exponent = i == 0 ? 0 : SplitMix(state) >> (i * 7);
            const BigInt result = Big(base).ModPow(Big(exponent), Big(modulus));
            EXPECT_EQ(result.ToHexString(), Hex128(ReferenceModPow(base, exponent, modulus)))
                << Hex128(base) << " ^ " << Hex128(exponent) << " mod " << Hex128(modulus);
        }
    }
}

TEST(BigIntTest, ModPowOfLargeValues)
{
    // pow(a, b, m) worked out with an independent arbitrary-precision tool.
    const BigInt a(std::string("3b9aca07deadbeef0123456789abcdeffedcba98765432100f1e2d3c4b5a6978"));
    const BigInt b(std::string("10001a5a5"));
    const BigInt m(std::string("c90fdaa22168c234c4c6628b80dc1cd129024e088a67cc74020bbea63b139b22514a08798e3404dd"));
    EXPECT_EQ(a.ModPow(b, m).ToHexString(),
              "85d5880946ca9095ed361475fd1b9fa8cc9d0e3c07b7150a55e8c47779d92297f9df1ef8630d0f61");
}

TEST(BigIntTest, SetDigitReserveAndCopies)
{
    BigInt value;
    value.SetDigit(3, 7);
    EXPECT_EQ(value.GetDigitCount(), 4);
    EXPECT_EQ(value.ToHexString(), "7000000000000");
    value.SetDigit(0, 0x1234);
    EXPECT_EQ(value.ToHexString(), "7000000001234");
    value.SetDigit(3, 0); // a zero top digit is dropped
    EXPECT_EQ(value.ToHexString(), "1234");
    value.SetDigit(20, 1); // past the first capacity of 8
    EXPECT_EQ(value.BitLength(), 16 * 20 + 1);

    value.Reserve(1); // never below the digits in use
    EXPECT_EQ(value.BitLength(), 16 * 20 + 1);
    EXPECT_EQ(value.GetDigit(0), 0x1234);

    BigInt copy = value;
    copy.SetDigit(0, 1);
    EXPECT_EQ(value.GetDigit(0), 0x1234);
    BigInt moved = std::move(copy);
    EXPECT_EQ(moved.GetDigit(0), 1);
    const BigInt& alias = moved;
    moved = alias; // self-assignment keeps the value
    EXPECT_EQ(moved.GetDigit(0), 1);
}

} // namespace
