// Fuzzes the J2K reader and the codec module under it on arbitrary files, as
// raw code streams and as JP2 files alike (the module goes by the first
// bytes, not the name).
#include "FuzzTempFile.h"

#include "framework/graphics/ImageLib.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzTempFile input(".j2k");
    static const bool loaded = (ImageLib::LoadJ2KCodec(), true);
    (void)loaded;
    if (!input.Write(data, size))
        return 0;
    const std::unique_ptr<ImageLib::Image> image(ImageLib::GetJ2KImage(input.Path()));
    if (image == nullptr)
        return 0;
    if (image->GetWidth() <= 0 || image->GetHeight() <= 0 || image->GetBits() == nullptr)
        __builtin_trap();
    const size_t count = size_t(image->GetWidth()) * size_t(image->GetHeight());
    for (size_t i = 0; i < count; ++i) {
        if ((image->GetBits()[i] >> 24) != 0xFF)
            __builtin_trap();
    }
    return 0;
}
