// Builds PNG, JPEG and J2K/JP2 files for tests with the libraries' own
// encoders (libpng, libjpeg, OpenJPEG), from samples the test spells out.
#pragma once

#include <cstdint>
#include <vector>

namespace LumoTest {

struct PngFixture {
    int width = 1;
    int height = 1;
    int bitDepth = 8;
    int colorType = 6; // PNG_COLOR_TYPE_*: 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    bool interlaced = false;
    // Row-major, the colour type's channels per pixel (palette: indices);
    // each sample of bitDepth bits.
    std::vector<uint16_t> samples;
    std::vector<uint32_t> palette;     // 0xRRGGBB entries
    std::vector<uint8_t> paletteAlpha; // tRNS of a palette
    int transparentGray = -1;          // tRNS of a grey picture; -1: none
};

struct JpegFixture {
    int width = 1;
    int height = 1;
    int components = 3; // 1 grey, 3 RGB, 4 CMYK
    // Row-major, components samples per pixel.
    std::vector<uint8_t> samples;
    int quality = 100;
    bool progressive = false;
    bool storeCmykAsYcck = false; // four components: YCCK instead of plain CMYK
};

struct J2KComponent {
    int dx = 1; // subsampling
    int dy = 1;
    int precision = 8;
    bool isSigned = false;
    // ceil(width / dx) x ceil(height / dy) samples, row-major.
    std::vector<int32_t> samples;
};

struct J2KFixture {
    int width = 1;
    int height = 1;
    std::vector<J2KComponent> components;
    bool jp2 = false;    // JP2 file; false: raw code stream
    int resolutions = 0; // 0: as many as the size allows, at most 6
    int tileSize = 0;    // 0: one tile
};

class CodecFixtures {
public:
    // Empty when the library refused the picture.
    static std::vector<uint8_t> Png(const PngFixture& fixture);
    static std::vector<uint8_t> Jpeg(const JpegFixture& fixture);
    // Lossless, so the samples decode exactly.
    static std::vector<uint8_t> J2K(const J2KFixture& fixture);
};

} // namespace LumoTest

using LumoTest::CodecFixtures;
using LumoTest::J2KComponent;
using LumoTest::J2KFixture;
using LumoTest::JpegFixture;
using LumoTest::PngFixture;
