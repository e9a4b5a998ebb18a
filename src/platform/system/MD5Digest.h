// MD5 message digest (RFC 1321): the signature check hashes with it, and the
// GPU device names its adapter by the digest of the GL strings.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Plat {

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

} // namespace Plat
