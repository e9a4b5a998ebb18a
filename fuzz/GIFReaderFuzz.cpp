// Feeds arbitrary bytes to the GIF reader straight from memory.
#include "FuzzSupport.h"

#include "framework/graphics/GIFReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzStreamReader(ImageLib::ReadGIFImage, data, size);
}
