// Feeds arbitrary bytes to the TGA reader straight from memory.
#include "FuzzSupport.h"

#include "framework/graphics/TGAReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzStreamReader(ImageLib::ReadTGAImage, data, size);
}
