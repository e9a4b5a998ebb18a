// Checks shared by the picture reader fuzz targets: each traps on a picture a
// reader must never give, so the fuzzer reports it as a crash.
#pragma once

#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageStream.h"

#include <cstddef>
#include <cstdint>

// Small pictures keep each run fast; larger headers still take the refusal path.
constexpr size_t kMaxFuzzPixels = size_t(1) << 16;

// Traps on a picture without size or pixels; gives its pixel count.
inline size_t CheckedPixelCount(const ImageLib::Image& image)
{
    if (image.GetWidth() <= 0 || image.GetHeight() <= 0 || image.GetBits() == nullptr)
        __builtin_trap();
    return size_t(image.GetWidth()) * size_t(image.GetHeight());
}

// Traps on a picture without size or pixels, or with a pixel that is not opaque.
inline void CheckOpaqueImage(const ImageLib::Image& image)
{
    const size_t count = CheckedPixelCount(image);
    const uint32_t* bits = image.GetBits();
    for (size_t i = 0; i < count; ++i) {
        if ((bits[i] >> 24) != 0xFF)
            __builtin_trap();
    }
}

// Reads the bytes from memory with a stream reader and touches the last pixel
// of what it gives, so a short allocation shows.
using StreamImageReader = ImageLib::Image* (*)(ImageLib::ImageStream& stream, size_t maxPixels);

inline int FuzzStreamReader(StreamImageReader read, const uint8_t* data, size_t size)
{
    ImageLib::ImageStream stream(data, size);
    ImageLib::Image* image = read(stream, kMaxFuzzPixels);
    if (image != nullptr) {
        const size_t count = size_t(image->GetWidth()) * size_t(image->GetHeight());
        volatile uint32_t last = image->GetBits()[count - 1];
        (void)last;
        delete image;
    }
    return 0;
}
