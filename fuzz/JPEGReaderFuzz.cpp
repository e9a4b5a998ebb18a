// Fuzzes the JPEG reader on arbitrary files.
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
    if (image == nullptr)
        return 0;
    if (image->GetWidth() <= 0 || image->GetHeight() <= 0 || image->GetBits() == nullptr)
        __builtin_trap();
    // Every pixel the reader gives is opaque.
    const size_t count = size_t(image->GetWidth()) * size_t(image->GetHeight());
    for (size_t i = 0; i < count; ++i) {
        if ((image->GetBits()[i] >> 24) != 0xFF)
            __builtin_trap();
    }
    return 0;
}
