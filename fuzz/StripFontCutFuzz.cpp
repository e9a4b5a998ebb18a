// Fuzzes the cut of a strip-font picture: the picture's size, the row step,
// the character string and the pixels all come from the input. No pixel read
// may leave the picture, and every box cut must lie inside it.
#include "game/engine/StripFont.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6)
        return 0;
    const int rowWords = data[0] % 64;
    const int rows = data[1] % 64;
    // The sizes claimed may differ from the pixels given.
    const int width = int(int8_t(data[2]));
    const int height = int(int8_t(data[3]));
    const int step = int(int8_t(data[4]));
    const size_t characterCount = data[5] % 32;
    data += 6;
    size -= 6;
    std::string characters;
    for (size_t i = 0; i < characterCount && i < size; ++i)
        characters.push_back(data[i] == 0 ? 'x' : char(data[i]));
    const size_t used = characters.size();
    data += used;
    size -= used;

    // Exactly rowWords x min(rows, height) pixels, so that a read past them is caught.
    const int pixelRows = height < rows ? (height > 0 ? height : 0) : rows;
    std::vector<uint32_t> pixels(size_t(rowWords) * size_t(pixelRows));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = i < size ? uint32_t(data[i]) << 24 : 0u;
    std::vector<GlyphBox> table(StripFont::kGlyphCount);
    const int cut = StripFont::CutGlyphs(pixels.empty() ? nullptr : pixels.data(), rowWords,
                                         width, pixelRows, step, characters.c_str(), table.data());
    if (cut < 0 || size_t(cut) > characters.size())
        __builtin_trap();
    for (const GlyphBox& box : table) {
        if (box.mX0 < 0.0f || box.mY0 < 0.0f || box.mX1 > float(rowWords) || box.mY1 >= float(pixelRows + 1)
            || box.mX1 < box.mX0)
            __builtin_trap();
    }
    return 0;
}
