// The signature check's hash number.
#include "framework/core/MD5.h"

namespace Lumo {

BigInt HashData(const void* bytes, size_t length, int bits)
{
    MD5Context context;
    MD5Update(context, bytes, length);
    uint8_t digest[16];
    MD5Final(digest, context);

    BigInt value;
    for (int i = 0; i < 16; ++i)
        value = (value << 8) + BigInt(digest[i]);

    // More than 128 bits asked: a run of nibbles 0..15, 0.. below the digest.
    const long extra = (static_cast<long>(bits) + 3) / 4 - 32;
    for (long i = 0; i < extra; ++i)
        value = (value << 4) + BigInt(static_cast<int>(i % 16));

    // Keep the top `bits` significant bits. A value with no more bits than
    // that (a digest with leading zero bits) is kept whole, not shifted left.
    const long shift = static_cast<long>(value.BitLength()) - bits;
    if (shift >= value.BitLength())
        return BigInt();
    if (shift > 0)
        value >>= static_cast<int>(shift);
    return value;
}

} // namespace Lumo
