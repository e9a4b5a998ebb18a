// Fuzzes the PNG reader on arbitrary files, and checks that every picture it
// gives survives a round trip through the PNG writer.
#include "FuzzSupport.h"
#include "FuzzTempFile.h"

#include "framework/graphics/ImageLib.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzTempFile input(".png");
    static const FuzzTempFile output("-out.png");
    if (!input.Write(data, size))
        return 0;
    const std::unique_ptr<ImageLib::Image> image(ImageLib::GetPNGImage(input.Path()));
    if (image == nullptr)
        return 0;
    const size_t count = CheckedPixelCount(*image);
    if (count > 4096)
        return 0;
    if (!ImageLib::WritePNGImage(output.Path(), image.get()))
        __builtin_trap();
    const std::unique_ptr<ImageLib::Image> back(ImageLib::GetPNGImage(output.Path()));
    if (back == nullptr || back->GetWidth() != image->GetWidth() || back->GetHeight() != image->GetHeight() ||
        std::memcmp(back->GetBits(), image->GetBits(), count * 4) != 0)
        __builtin_trap();
    return 0;
}
