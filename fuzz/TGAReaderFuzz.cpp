// Feeds arbitrary bytes to the TGA reader straight from memory.
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageStream.h"
#include "framework/graphics/TGAReader.h"

#include <cstddef>
#include <cstdint>

// Small pictures keep each run fast; larger headers still take the refusal path.
constexpr size_t kMaxFuzzPixels = size_t(1) << 16;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageLib::ImageStream stream(data, size);
    ImageLib::Image* image = ImageLib::ReadTGAImage(stream, kMaxFuzzPixels);
    if (image != nullptr) {
        // Touch the last pixel so a short allocation shows.
        const size_t count = size_t(image->GetWidth()) * size_t(image->GetHeight());
        volatile uint32_t last = image->GetBits()[count - 1];
        (void)last;
        delete image;
    }
    return 0;
}
