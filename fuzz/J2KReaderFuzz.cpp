// Fuzzes the J2K reader and the codec module under it on arbitrary files, as
// raw code streams and as JP2 files alike (the module goes by the first
// bytes, not the name).
#include "FuzzSupport.h"
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
    if (image != nullptr)
        CheckOpaqueImage(*image);
    return 0;
}
