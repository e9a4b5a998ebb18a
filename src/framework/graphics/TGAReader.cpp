#include "framework/graphics/TGAReader.h"

#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageStream.h"
#include "framework/core/PakClient.h"

#include <bit>

namespace ImageLib {

namespace {

constexpr size_t kHeaderSize = 18;
constexpr uint8_t kTypeTrueColor = 2; // uncompressed, no colour map
constexpr uint8_t kDepth = 32;
constexpr uint8_t kDescriptorTopLeftAlpha8 = 0x28;

uint16_t U16At(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

} // namespace

Image* ReadTGAImage(ImageStream& stream, size_t maxPixels)
{
    uint8_t header[kHeaderSize];
    if (stream.Read(header, kHeaderSize) != kHeaderSize)
        return nullptr;
    const uint8_t idLength = header[0];
    const uint8_t colorMapType = header[1];
    const uint8_t imageType = header[2];
    const uint16_t colorMapLength = U16At(header + 5);
    const uint8_t colorMapEntryBits = header[7];
    const uint16_t width = U16At(header + 12);
    const uint16_t height = U16At(header + 14);
    const uint8_t depth = header[16];
    const uint8_t descriptor = header[17];

    if (imageType != kTypeTrueColor || depth != kDepth || descriptor != kDescriptorTopLeftAlpha8)
        return nullptr;
    const size_t count = static_cast<size_t>(width) * height;
    if (count == 0 || count > maxPixels)
        return nullptr;

    // The ID field and any colour map stand between the header and the pixels.
    size_t skip = idLength;
    if (colorMapType != 0)
        skip += static_cast<size_t>(colorMapLength) * ((colorMapEntryBits + 7u) / 8u);
    stream.Skip(skip);

    // Zero-filled, so a short file leaves transparent black, not garbage.
    uint32_t* bits = new uint32_t[count]();
    stream.Read(bits, count * 4);
    // Stored blue, green, red, alpha: the 0xAARRGGBB word little-endian.
    if constexpr (std::endian::native == std::endian::big) {
        for (size_t i = 0; i < count; ++i)
            bits[i] = __builtin_bswap32(bits[i]);
    }
    return new Image(width, height, bits);
}

Image* GetTGAImage(const std::string& fileName)
{
    PakFile* file = Lumo::PakOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return nullptr;
    ImageStream stream(file);
    Image* image = ReadTGAImage(stream);
    Lumo::PakClose(file);
    return image;
}

} // namespace ImageLib
