// Arbitrary-precision integer in sign-and-magnitude form, base 65536. Used by
// the data-file signature check: a signature raised to a public exponent
// modulo a public modulus is compared with a hash number.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class BigInt {
public:
    BigInt(int value = 0);
    // Value of hexadecimal text; any character that is not a hex digit counts as 0.
    explicit BigInt(const std::string& hexText);
    BigInt(const BigInt& other);
    BigInt(BigInt&& other) noexcept;
    virtual ~BigInt();

    BigInt& operator=(const BigInt& other);
    BigInt& operator=(BigInt&& other) noexcept;

    // Reallocates to the capacity (never below the digits in use).
    void Reserve(int capacity);
    // Appends zero digits up to the index, then sets that digit.
    void SetDigit(int index, uint16_t value);
    // Number of significant bits of the magnitude; 0 for zero.
    int BitLength() const;

    int GetDigitCount() const { return mCount; }
    // Digit at the index, least significant first; 0 outside the digits in use.
    uint16_t GetDigit(int index) const;
    bool IsNegative() const { return mNegative; }
    bool IsZero() const { return mCount == 0; }
    // Lowercase hexadecimal, no leading zeros, "0" for zero, "-" before a negative value.
    std::string ToHexString() const;

    // Compares magnitudes only: 5 == -5.
    bool operator==(const BigInt& other) const;
    // Signed order.
    bool operator<(const BigInt& other) const;
    bool operator>(const BigInt& other) const { return other < *this; }
    bool operator<=(const BigInt& other) const { return !(other < *this); }
    bool operator>=(const BigInt& other) const { return !(*this < other); }

    BigInt operator+(const BigInt& other) const;
    BigInt operator-(const BigInt& other) const;
    BigInt operator*(const BigInt& other) const;
    BigInt operator-() const;

    // Truncating division: the quotient rounds toward zero and the remainder
    // takes the dividend's sign. The outputs may be the operands themselves.
    void DivMod(const BigInt& divisor, BigInt& quotient, BigInt& remainder) const;
    BigInt operator%(const BigInt& divisor) const;

    // Shifts of the magnitude by a bit count; a negative count shifts the other way.
    BigInt& operator<<=(int bits);
    BigInt& operator>>=(int bits);
    BigInt operator<<(int bits) const;
    BigInt operator>>(int bits) const;

    // Digit-wise OR of the magnitudes; the result is non-negative.
    BigInt operator|(const BigInt& other) const;

    // This raised to the exponent, modulo the modulus.
    BigInt ModPow(const BigInt& exponent, const BigInt& modulus) const;

private:
    // Ensures room for `count` digits, growing to 8 and then by doubling.
    void Grow(int count);
    // Drops zero top digits; zero is never negative.
    void Normalise();
    void ShiftLeft(long bits);
    void ShiftRight(long bits);

    // Magnitude helpers, ignoring the sign flags.
    static int CompareMagnitude(const BigInt& a, const BigInt& b);
    static BigInt AddMagnitude(const BigInt& a, const BigInt& b);
    // Takes b's magnitude from this one's, keeping this sign; requires |this| >= |b|.
    void SubtractMagnitude(const BigInt& b);

    bool mNegative = false;
    std::unique_ptr<uint16_t[]> mDigits;
    int mCount = 0;
    int mCapacity = 0;
};
