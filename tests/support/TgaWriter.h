// Builds TGA files for tests byte by byte: the 18-byte header with every
// field settable, then the ID field, colour map and pixel bytes as given.
#pragma once

#include <cstdint>
#include <vector>

namespace LumoTest {

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 2; // uncompressed true colour
    uint16_t colorMapOrigin = 0;
    uint16_t colorMapLength = 0;
    uint8_t colorMapEntryBits = 0;
    uint16_t xOrigin = 0;
    uint16_t yOrigin = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixelDepth = 32;
    uint8_t descriptor = 0x28; // top-left origin, 8 alpha bits
};

class TgaWriter {
public:
    // The header's 18 bytes, little-endian.
    static std::vector<uint8_t> Header(const TgaHeader& header);
    // Header, then the extra bytes (ID field, colour map) as given, then each
    // 0xAARRGGBB pixel as blue, green, red, alpha.
    static std::vector<uint8_t> Build(const TgaHeader& header, const std::vector<uint32_t>& pixels,
                                      const std::vector<uint8_t>& extra = {});
};

} // namespace LumoTest

using LumoTest::TgaHeader;
using LumoTest::TgaWriter;
