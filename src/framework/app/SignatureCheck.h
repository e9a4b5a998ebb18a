// The public-key check of a data file that a partner may customise: the
// signature in the file's ".sig" companion, raised to the public exponent
// modulo the public modulus, must equal the hash of the stamped content.
#pragma once

#include <cstdint>
#include <string>

namespace Lumo {

class Buffer;

// Reads up to 24 hexadecimal digits from fileName + ".sig" (on the disk, not
// in an archive) and verifies them against the buffer's content less its
// white space, prefixed with the stamp's 4 bytes (least significant first).
// False when the signature file cannot be read or does not verify.
bool CheckDataSignature(const Buffer& buffer, const std::string& fileName, uint32_t stamp,
                        const std::string& modulusHex, const std::string& exponentHex);

} // namespace Lumo
