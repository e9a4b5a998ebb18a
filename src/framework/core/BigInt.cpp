// Arbitrary-precision integer: sign and magnitude, base-65536 digits.
#include "framework/core/BigInt.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

} // namespace

BigInt::BigInt(int value)
{
    // Through unsigned so that the smallest int keeps its magnitude.
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0)
        magnitude = 0u - magnitude;
    Reserve(8);
    mDigits[0] = static_cast<uint16_t>(magnitude & 0xFFFF);
    mDigits[1] = static_cast<uint16_t>(magnitude >> 16);
    mCount = 2;
    mNegative = value < 0;
    Normalise();
}

BigInt::BigInt(const std::string& hexText)
{
    // Each character is one nibble, the last character the lowest; this is
    // value = (value << 4) | d over the text, done in one pass.
    const size_t length = hexText.size();
    if (length == 0)
        return;
    const int count = static_cast<int>((length + 3) / 4);
    Grow(count);
    std::memset(mDigits.get(), 0, sizeof(uint16_t) * count);
    for (size_t i = 0; i < length; ++i) {
        const size_t nibble = length - 1 - i; // position counted from the right
        const int d = HexDigitValue(hexText[i]);
        mDigits[nibble / 4] |= static_cast<uint16_t>(d << (4 * (nibble % 4)));
    }
    mCount = count;
    Normalise();
}

BigInt::BigInt(const BigInt& other)
{
    *this = other;
}

BigInt::BigInt(BigInt&& other) noexcept
{
    *this = std::move(other);
}

BigInt::~BigInt() = default;

BigInt& BigInt::operator=(const BigInt& other)
{
    if (this == &other)
        return *this;
    if (other.mCapacity > 0) {
        std::unique_ptr<uint16_t[]> digits(new uint16_t[other.mCapacity]);
        if (other.mCount > 0)
            std::memcpy(digits.get(), other.mDigits.get(), sizeof(uint16_t) * other.mCount);
        mDigits = std::move(digits);
    } else {
        mDigits.reset();
    }
    mNegative = other.mNegative;
    mCount = other.mCount;
    mCapacity = other.mCapacity;
    return *this;
}

BigInt& BigInt::operator=(BigInt&& other) noexcept
{
    if (this == &other)
        return *this;
    mDigits = std::move(other.mDigits);
    mNegative = other.mNegative;
    mCount = other.mCount;
    mCapacity = other.mCapacity;
    other.mNegative = false;
    other.mCount = 0;
    other.mCapacity = 0;
    return *this;
}

void BigInt::Reserve(int capacity)
{
    capacity = std::max(capacity, mCount);
    if (capacity == mCapacity)
        return;
    std::unique_ptr<uint16_t[]> digits;
    if (capacity > 0) {
        digits.reset(new uint16_t[capacity]);
        if (mCount > 0)
            std::memcpy(digits.get(), mDigits.get(), sizeof(uint16_t) * mCount);
    }
    mDigits = std::move(digits);
    mCapacity = capacity;
}

void BigInt::Grow(int count)
{
    if (count <= mCapacity)
        return;
    int capacity = mCapacity == 0 ? 8 : mCapacity;
    while (capacity < count)
        capacity *= 2;
    Reserve(capacity);
}

void BigInt::Normalise()
{
    while (mCount > 0 && mDigits[mCount - 1] == 0)
        --mCount;
    if (mCount == 0)
        mNegative = false;
}

void BigInt::SetDigit(int index, uint16_t value)
{
    if (index < 0)
        return;
    if (index >= mCount) {
        Grow(index + 1);
        for (int i = mCount; i < index; ++i)
            mDigits[i] = 0;
        mCount = index + 1;
    }
    mDigits[index] = value;
    Normalise();
}

int BigInt::BitLength() const
{
    if (mCount == 0)
        return 0;
    return 16 * (mCount - 1) + static_cast<int>(std::bit_width(mDigits[mCount - 1]));
}

uint16_t BigInt::GetDigit(int index) const
{
    if (index < 0 || index >= mCount)
        return 0;
    return mDigits[index];
}

std::string BigInt::ToHexString() const
{
    if (mCount == 0)
        return "0";
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(static_cast<size_t>(mCount) * 4 + 1);
    if (mNegative)
        text.push_back('-');
    bool leading = true;
    for (int i = mCount - 1; i >= 0; --i) {
        for (int shift = 12; shift >= 0; shift -= 4) {
            const int nibble = (mDigits[i] >> shift) & 0xF;
            if (leading && nibble == 0)
                continue;
            leading = false;
            text.push_back(kHex[nibble]);
        }
    }
    return text;
}

int BigInt::CompareMagnitude(const BigInt& a, const BigInt& b)
{
    if (a.mCount != b.mCount)
        return a.mCount < b.mCount ? -1 : 1;
    for (int i = a.mCount - 1; i >= 0; --i) {
        if (a.mDigits[i] != b.mDigits[i])
            return a.mDigits[i] < b.mDigits[i] ? -1 : 1;
    }
    return 0;
}

bool BigInt::operator==(const BigInt& other) const
{
    return CompareMagnitude(*this, other) == 0;
}

bool BigInt::operator<(const BigInt& other) const
{
    if (mNegative != other.mNegative)
        return mNegative;
    const int order = CompareMagnitude(*this, other);
    return mNegative ? order > 0 : order < 0;
}

BigInt BigInt::AddMagnitude(const BigInt& a, const BigInt& b)
{
    const BigInt& longer = a.mCount >= b.mCount ? a : b;
    const BigInt& shorter = a.mCount >= b.mCount ? b : a;
    BigInt sum;
    sum.Grow(longer.mCount + 1);
    const uint16_t* const pl = longer.mDigits.get();
    const uint16_t* const ps = shorter.mDigits.get();
    uint16_t* const out = sum.mDigits.get();
    uint32_t carry = 0;
    for (int i = 0; i < longer.mCount; ++i) {
        const uint32_t digitSum = pl[i] + (i < shorter.mCount ? ps[i] : 0u) + carry;
        out[i] = static_cast<uint16_t>(digitSum & 0xFFFF);
        carry = digitSum >> 16;
    }
    sum.mCount = longer.mCount;
    if (carry != 0)
        out[sum.mCount++] = static_cast<uint16_t>(carry);
    sum.Normalise();
    return sum;
}

void BigInt::SubtractMagnitude(const BigInt& b)
{
    uint16_t* const pa = mDigits.get();
    const uint16_t* const pb = b.mDigits.get();
    int32_t borrow = 0;
    for (int i = 0; i < mCount; ++i) {
        int32_t difference = static_cast<int32_t>(pa[i]) - (i < b.mCount ? pb[i] : 0) - borrow;
        borrow = 0;
        if (difference < 0) {
            difference += 65536;
            borrow = 1;
        }
        pa[i] = static_cast<uint16_t>(difference);
    }
    Normalise();
}

BigInt BigInt::operator+(const BigInt& other) const
{
    if (mNegative == other.mNegative) {
        BigInt sum = AddMagnitude(*this, other);
        sum.mNegative = mNegative;
        sum.Normalise();
        return sum;
    }
    // Opposite signs: the larger magnitude gives the sign.
    if (CompareMagnitude(*this, other) >= 0) {
        BigInt difference = *this;
        difference.SubtractMagnitude(other);
        return difference;
    }
    BigInt difference = other;
    difference.SubtractMagnitude(*this);
    return difference;
}

BigInt BigInt::operator-(const BigInt& other) const
{
    if (mNegative != other.mNegative) {
        BigInt sum = AddMagnitude(*this, other);
        sum.mNegative = mNegative;
        sum.Normalise();
        return sum;
    }
    if (CompareMagnitude(*this, other) >= 0) {
        BigInt difference = *this;
        difference.SubtractMagnitude(other);
        return difference;
    }
    BigInt difference = other;
    difference.SubtractMagnitude(*this);
    difference.mNegative = !mNegative;
    difference.Normalise();
    return difference;
}

BigInt BigInt::operator*(const BigInt& other) const
{
    BigInt product;
    if (mCount == 0 || other.mCount == 0)
        return product;
    const int count = mCount + other.mCount;
    product.Grow(count);
    uint16_t* const out = product.mDigits.get();
    std::memset(out, 0, sizeof(uint16_t) * count);
    const uint16_t* const pa = mDigits.get();
    const uint16_t* const pb = other.mDigits.get();
    for (int i = 0; i < mCount; ++i) {
        const uint32_t digit = pa[i];
        uint32_t carry = 0;
        for (int j = 0; j < other.mCount; ++j) {
            // At most 0xFFFF + 0xFFFF * 0xFFFF + 0xFFFF = 0xFFFFFFFF: no overflow.
            const uint32_t t = out[i + j] + digit * pb[j] + carry;
            out[i + j] = static_cast<uint16_t>(t & 0xFFFF);
            carry = t >> 16;
        }
        out[i + other.mCount] = static_cast<uint16_t>(carry);
    }
    product.mCount = count;
    product.mNegative = mNegative != other.mNegative;
    product.Normalise();
    return product;
}

BigInt BigInt::operator-() const
{
    BigInt negated = *this;
    negated.mNegative = !mNegative;
    negated.Normalise();
    return negated;
}

void BigInt::DivMod(const BigInt& divisor, BigInt& quotient, BigInt& remainder) const
{
    // Division by zero gives quotient 0 and remainder 0, so a modular power
    // with a zero modulus stays small instead of growing without bound.
    if (divisor.mCount == 0) {
        quotient = BigInt();
        remainder = BigInt();
        return;
    }
    if (CompareMagnitude(divisor, *this) > 0) {
        BigInt dividend = *this;
        quotient = BigInt();
        remainder = std::move(dividend);
        return;
    }

    // Shift-and-subtract, one quotient bit at a time from the top.
    const int k = BitLength() - divisor.BitLength();
    BigInt q;
    const int quotientDigits = k / 16 + 1;
    q.Grow(quotientDigits);
    std::memset(q.mDigits.get(), 0, sizeof(uint16_t) * quotientDigits);
    q.mCount = quotientDigits;

    BigInt r = *this >> (k + 1);
    r.mNegative = false;
    for (int i = k; i >= 0; --i) {
        r.ShiftLeft(1);
        if ((mDigits[i / 16] >> (i % 16)) & 1) {
            if (r.mCount == 0)
                r.SetDigit(0, 1);
            else
                r.mDigits[0] |= 1;
        }
        if (CompareMagnitude(r, divisor) >= 0) {
            q.mDigits[i / 16] |= static_cast<uint16_t>(1u << (i % 16));
            r.SubtractMagnitude(divisor);
        }
    }
    q.mNegative = mNegative != divisor.mNegative;
    q.Normalise();
    r.mNegative = mNegative;
    r.Normalise();
    quotient = std::move(q);
    remainder = std::move(r);
}

BigInt BigInt::operator%(const BigInt& divisor) const
{
    BigInt quotient;
    BigInt remainder;
    DivMod(divisor, quotient, remainder);
    return remainder;
}

void BigInt::ShiftLeft(long bits)
{
    if (bits < 0) {
        ShiftRight(-bits);
        return;
    }
    if (bits == 0 || mCount == 0)
        return;
    const int whole = static_cast<int>(bits / 16);
    const int part = static_cast<int>(bits % 16);
    Grow(mCount + whole + 1);
    uint16_t* const d = mDigits.get();
    if (whole > 0) {
        std::memmove(d + whole, d, sizeof(uint16_t) * mCount);
        std::memset(d, 0, sizeof(uint16_t) * whole);
        mCount += whole;
    }
    if (part > 0) {
        uint32_t carry = 0;
        for (int i = whole; i < mCount; ++i) {
            const uint32_t shifted = (static_cast<uint32_t>(d[i]) << part) | carry;
            d[i] = static_cast<uint16_t>(shifted & 0xFFFF);
            carry = shifted >> 16;
        }
        if (carry != 0)
            d[mCount++] = static_cast<uint16_t>(carry);
    }
}

void BigInt::ShiftRight(long bits)
{
    if (bits < 0) {
        ShiftLeft(-bits);
        return;
    }
    if (bits == 0 || mCount == 0)
        return;
    const long whole = bits / 16;
    const int part = static_cast<int>(bits % 16);
    if (whole >= mCount) {
        mCount = 0;
        mNegative = false;
        return;
    }
    uint16_t* const d = mDigits.get();
    if (whole > 0) {
        mCount -= static_cast<int>(whole);
        std::memmove(d, d + whole, sizeof(uint16_t) * mCount);
    }
    if (part > 0) {
        for (int i = 0; i < mCount; ++i) {
            const uint32_t high = i + 1 < mCount ? static_cast<uint32_t>(d[i + 1]) << (16 - part) : 0u;
            d[i] = static_cast<uint16_t>(((d[i] >> part) | high) & 0xFFFF);
        }
    }
    Normalise();
}

BigInt& BigInt::operator<<=(int bits)
{
    ShiftLeft(bits);
    return *this;
}

BigInt& BigInt::operator>>=(int bits)
{
    ShiftRight(bits);
    return *this;
}

BigInt BigInt::operator<<(int bits) const
{
    BigInt shifted = *this;
    shifted.ShiftLeft(bits);
    return shifted;
}

BigInt BigInt::operator>>(int bits) const
{
    BigInt shifted = *this;
    shifted.ShiftRight(bits);
    return shifted;
}

BigInt BigInt::operator|(const BigInt& other) const
{
    const BigInt& longer = mCount >= other.mCount ? *this : other;
    const BigInt& shorter = mCount >= other.mCount ? other : *this;
    BigInt result = longer;
    result.mNegative = false;
    for (int i = 0; i < shorter.mCount; ++i)
        result.mDigits[i] |= shorter.mDigits[i];
    return result;
}

BigInt BigInt::ModPow(const BigInt& exponent, const BigInt& modulus) const
{
    // The base is not reduced before the first step, and an exponent of zero
    // gives 1 whatever the modulus.
    BigInt result(1);
    BigInt base = *this;
    BigInt e = exponent;
    const BigInt zero;
    while (e > zero) {
        if (e.GetDigit(0) & 1)
            result = (result * base) % modulus;
        e.ShiftRight(1);
        if (e.IsZero())
            break; // the last squaring would not be used
        base = (base * base) % modulus;
    }
    return result;
}
