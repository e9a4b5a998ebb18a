// MD5 message digest (RFC 1321, kept in the platform layer) and the hash
// number that the data-file signature check compares with the signature.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/BigInt.h"
#include "platform/system/MD5Digest.h"

namespace Lumo {

using Plat::MD5Context;
using Plat::MD5Final;
using Plat::MD5Init;
using Plat::MD5Transform;
using Plat::MD5Update;

// The top `bits` significant bits of the digest read as a big-endian number.
// Asking for more bits than 128 appends nibbles 0, 1, 2, ... first; a value
// with no more significant bits than asked is returned whole.
BigInt HashData(const void* bytes, size_t length, int bits);

} // namespace Lumo
