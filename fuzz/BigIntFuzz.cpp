// Fuzz target: reads the input as big-integer hex text, then checks printing,
// shifts, division and modular powers against small machine arithmetic.
#include "framework/core/BigInt.h"
#include "framework/core/MD5.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Require(bool ok)
{
    if (!ok)
        std::abort();
}

// Parsing rule of the big integer: anything that is not a hex digit is 0.
int Nibble(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

uint64_t TextModulo(const std::string& text, uint64_t modulus)
{
    unsigned __int128 value = 0;
    for (const char c : text)
        value = (value * 16 + static_cast<unsigned>(Nibble(c))) % modulus;
    return static_cast<uint64_t>(value);
}

uint64_t ReferenceModPow(uint64_t base, uint64_t exponent, uint64_t modulus)
{
    unsigned __int128 result = 1;
    unsigned __int128 b = base % modulus;
    while (exponent > 0) {
        if (exponent & 1)
            result = result * b % modulus;
        exponent >>= 1;
        b = b * b % modulus;
    }
    return static_cast<uint64_t>(result);
}

BigInt FromUint64(uint64_t value)
{
    static const char kHex[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        text[i] = kHex[value & 0xF];
    return BigInt(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const BigInt value(text);
    Require(!value.IsNegative());

    // Printing and parsing back give the same value and the same text.
    const std::string printed = value.ToHexString();
    Require(printed == "0" || printed[0] != '0');
    const BigInt reparsed(printed);
    Require(reparsed == value);
    Require(reparsed.ToHexString() == printed);
    Require(static_cast<int>(printed.size()) == (value.IsZero() ? 1 : (value.BitLength() + 3) / 4));

    // Shifts and simple identities.
    const int shift = static_cast<int>(size % 97);
    Require(((value << shift) >> shift) == value);
    Require((value + value) == (value << 1));
    Require((value - value).IsZero());
    Require((value * BigInt(1)) == value);
    Require(!((value + BigInt(1)) < value));

    // Division and modular powers by small moduli, checked in 128-bit arithmetic.
    const uint64_t moduli[] = {1, 2, 97, 65537, 0x7FFFFFFFull, 0x1FFFFFFFFFFFFFFFull};
    const uint64_t exponent = size * 2654435761u % 100000;
    for (const uint64_t m : moduli) {
        const BigInt modulus = FromUint64(m);
        BigInt quotient;
        BigInt remainder;
        value.DivMod(modulus, quotient, remainder);
        Require(remainder < modulus);
        Require(quotient * modulus + remainder == value);
        const uint64_t residue = TextModulo(text, m);
        Require(remainder == FromUint64(residue));
        const BigInt power = value.ModPow(FromUint64(exponent), modulus);
        Require(power == FromUint64(ReferenceModPow(residue, exponent, m)));
    }

    // Division by zero is defined: nothing comes of it.
    BigInt quotient;
    BigInt remainder;
    value.DivMod(BigInt(0), quotient, remainder);
    Require(quotient.IsZero() && remainder.IsZero());

    // The hash number never has more significant bits than asked for.
    const int bits = size > 0 ? data[0] : 94;
    Require(Lumo::HashData(data, size, bits).BitLength() <= bits);
    return 0;
}
