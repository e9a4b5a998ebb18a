// MD5 message digest (RFC 1321) and the hash number that the data-file
// signature check compares with the signature.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/BigInt.h"

namespace Lumo {

struct MD5Context {
    uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    uint32_t count[2] = {0, 0}; // message length in bits, low word first
    uint8_t buffer[64] = {};
};

// Resets the context to the start of a new message.
void MD5Init(MD5Context& context);
// Adds bytes, running the block step on every completed 64-byte block.
void MD5Update(MD5Context& context, const void* bytes, size_t length);
// Pads, writes the 16-byte digest and resets the context for a new message.
void MD5Final(uint8_t digest[16], MD5Context& context);
// One 64-byte block step on the four state words.
void MD5Transform(uint32_t state[4], const uint8_t block[64]);

// The top `bits` significant bits of the digest read as a big-endian number.
// Asking for more bits than 128 appends nibbles 0, 1, 2, ... first; a value
// with no more significant bits than asked is returned whole.
BigInt HashData(const void* bytes, size_t length, int bits);

} // namespace Lumo
