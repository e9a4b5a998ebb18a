#include "framework/app/SignatureCheck.h"

#include "framework/core/BigInt.h"
#include "framework/core/Buffer.h"
#include "framework/core/MD5.h"
#include "platform/files/FileSystem.h"

#include <cstdio>
#include <vector>

namespace Lumo {

namespace {

constexpr size_t kSignatureDigits = 24; // 96 bits
constexpr int kHashBits = 94;

bool IsWhiteSpace(uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

bool CheckDataSignature(const Buffer& buffer, const std::string& fileName, uint32_t stamp,
                        const std::string& modulusHex, const std::string& exponentHex)
{
    FILE* file = Plat::GetFileSystem().OpenFile(fileName + ".sig", "rb");
    if (file == nullptr)
        return false;
    char text[kSignatureDigits] = {};
    const size_t got = std::fread(text, 1, kSignatureDigits, file);
    std::fclose(file);
    const std::string signatureHex(text, got);

    // White space does not count, so re-indenting or changing line ends
    // keeps a file valid.
    const uint8_t* data = buffer.GetDataPtr();
    const size_t length = data != nullptr ? static_cast<size_t>(buffer.GetDataLen()) : 0;
    std::vector<uint8_t> message;
    message.reserve(length + 4);
    for (int i = 0; i < 4; ++i)
        message.push_back(static_cast<uint8_t>(stamp >> (8 * i)));
    for (size_t i = 0; i < length; ++i) {
        if (!IsWhiteSpace(data[i]))
            message.push_back(data[i]);
    }

    const BigInt hash = HashData(message.data(), message.size(), kHashBits);
    const BigInt modulus(modulusHex);
    if (modulus.IsZero())
        return false;
    const BigInt exponent(exponentHex);
    const BigInt signature(signatureHex);
    return signature.ModPow(exponent, modulus) == hash;
}

} // namespace Lumo
