// Builds GIF files for tests: a small LZW encoder for real pictures, and the
// pieces (code packing, sub-blocks, headers) to hand-make damaged or unusual
// code streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace LumoTest {

struct GifOptions {
    bool interlaced = false;
    int transparentIndex = -1; // >= 0: a graphic control block names it
    bool localTable = false; // the palette as local table instead of global
    // With localTable: a global table of these entries as well.
    std::vector<uint32_t> globalPalette;
    bool noTable = false; // no colour table at all
    int minCodeSize = -1; // -1: from the palette size, at least 2
    // When the code table fills: false sends a clear code, true keeps going
    // with the full table (a deferred clear).
    bool deferredClear = false;
    size_t subBlockSize = 255;
    bool endCode = true; // false: the code stream just stops
    // Raw bytes put between the colour table and the image descriptor
    // (extension blocks, stray bytes).
    std::vector<uint8_t> extraBlocks;
};

class GifWriter {
public:
    // A whole GIF89a file of one image. palette: 0xRRGGBB entries (at most
    // 256); indices: width * height, row-major, top row first (the writer
    // stores them in interlaced order when asked).
    static std::vector<uint8_t> Build(int width, int height, const std::vector<uint32_t>& palette,
                                      const std::vector<uint8_t>& indices, const GifOptions& options = GifOptions());

    // The file around an already packed code stream (no sub-blocks yet).
    static std::vector<uint8_t> Assemble(int width, int height, const std::vector<uint32_t>& palette,
                                         int minCodeSize, const std::vector<uint8_t>& codeBytes,
                                         const GifOptions& options = GifOptions());

    // LZW-encodes indices (starting with a clear code) into packed bytes.
    static std::vector<uint8_t> Encode(const std::vector<uint8_t>& indices, int minCodeSize,
                                       bool deferredClear = false, bool endCode = true);

    // Packs (code, width in bits) pairs least significant bit first.
    static std::vector<uint8_t> PackCodes(const std::vector<std::pair<int, int>>& codes);

    // Splits data into sub-blocks and adds the terminator.
    static std::vector<uint8_t> SubBlocks(const std::vector<uint8_t>& data, size_t blockSize = 255);

    // The table size code for a palette of this many entries.
    static int TableSizeCode(size_t entries);
};

} // namespace LumoTest

using LumoTest::GifOptions;
using LumoTest::GifWriter;
