// Fuzzes the product's partner file: the properties read from any text end
// at "/Properties", each names an id, and no read passes the terminating NUL
// (the input is copied into a buffer of its exact size plus the NUL).
#include "game/engine/PartnerProperties.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    for (const PartnerProperty& property : ParsePartnerProperties(text.get(), "partner.xml")) {
        if (property.mText.size() > size)
            std::abort();
        PartnerFlagIsTrue(property.mText);
    }
    return 0;
}
