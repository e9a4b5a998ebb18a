// The product's public key for the data files a partner may customise.
#include "framework/app/LumoApp.h"

#include "framework/app/SignatureCheck.h"

namespace Lumo {

namespace {

// The second stamp of the build information: signatures are made for one
// stamp and verify only with it. "00000000" until builds are stamped.
#ifndef LUMO_SIGNATURE_STAMP
#define LUMO_SIGNATURE_STAMP "00000000"
#endif
constexpr const char* kSignatureStamp = LUMO_SIGNATURE_STAMP;

constexpr const char* kPublicModulus = "5E0B7A39C4D21F86E3A0975B";
constexpr const char* kPublicExponent = "13";

uint32_t ParseStamp(const char* stamp)
{
    uint32_t value = 0;
    for (const char* c = stamp; *c >= '0' && *c <= '9'; ++c)
        value = value * 10 + static_cast<uint32_t>(*c - '0');
    return value;
}

} // namespace

bool LumoApp::CheckSignature(const Buffer& buffer, const std::string& fileName)
{
    return CheckDataSignature(buffer, fileName, ParseStamp(kSignatureStamp), kPublicModulus, kPublicExponent);
}

} // namespace Lumo
