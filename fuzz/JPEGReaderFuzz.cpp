// Fuzzes the JPEG reader on arbitrary files; every pixel it gives is opaque.
#include "FuzzSupport.h"
#include "FuzzTempFile.h"

#include "framework/graphics/ImageLib.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzTempFile input(".jpg");
    if (!input.Write(data, size))
        return 0;
    const std::unique_ptr<ImageLib::Image> image(ImageLib::GetJPEGImage(input.Path()));
    if (image != nullptr)
        CheckOpaqueImage(*image);
    return 0;
}
