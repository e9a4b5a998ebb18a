#include "support/GifWriter.h"

#include <algorithm>
#include <map>

namespace LumoTest {

namespace {

class BitPacker {
public:
    void Put(int code, int width)
    {
        mAccumulator |= static_cast<uint64_t>(code) << mBits;
        mBits += width;
        while (mBits >= 8) {
            mBytes.push_back(static_cast<uint8_t>(mAccumulator & 0xFF));
            mAccumulator >>= 8;
            mBits -= 8;
        }
    }
    std::vector<uint8_t> Finish()
    {
        if (mBits > 0)
            mBytes.push_back(static_cast<uint8_t>(mAccumulator & 0xFF));
        mAccumulator = 0;
        mBits = 0;
        return mBytes;
    }

private:
    std::vector<uint8_t> mBytes;
    uint64_t mAccumulator = 0;
    int mBits = 0;
};

void PutU16(std::vector<uint8_t>& out, int value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutTable(std::vector<uint8_t>& out, const std::vector<uint32_t>& palette, int sizeCode)
{
    const size_t entries = size_t(2) << sizeCode;
    for (size_t i = 0; i < entries; ++i) {
        const uint32_t rgb = i < palette.size() ? palette[i] : 0;
        out.push_back(static_cast<uint8_t>(rgb >> 16));
        out.push_back(static_cast<uint8_t>(rgb >> 8));
        out.push_back(static_cast<uint8_t>(rgb));
    }
}

} // namespace

int GifWriter::TableSizeCode(size_t entries)
{
    int code = 0;
    while ((size_t(2) << code) < entries && code < 7)
        ++code;
    return code;
}

std::vector<uint8_t> GifWriter::PackCodes(const std::vector<std::pair<int, int>>& codes)
{
    BitPacker packer;
    for (const auto& [code, width] : codes)
        packer.Put(code, width);
    return packer.Finish();
}

std::vector<uint8_t> GifWriter::SubBlocks(const std::vector<uint8_t>& data, size_t blockSize)
{
    std::vector<uint8_t> out;
    for (size_t at = 0; at < data.size(); at += blockSize) {
        const size_t count = std::min(blockSize, data.size() - at);
        out.push_back(static_cast<uint8_t>(count));
        out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + count));
    }
    out.push_back(0);
    return out;
}

std::vector<uint8_t> GifWriter::Encode(const std::vector<uint8_t>& indices, int minCodeSize, bool deferredClear,
                                       bool endCode)
{
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    BitPacker packer;
    std::map<std::pair<int, int>, int> table;
    int next = clear + 2;
    int width = minCodeSize + 1;
    packer.Put(clear, width);
    if (indices.empty()) {
        if (endCode)
            packer.Put(end, width);
        return packer.Finish();
    }

    int prefix = indices[0];
    for (size_t i = 1; i < indices.size(); ++i) {
        const int k = indices[i];
        const auto found = table.find({ prefix, k });
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        packer.Put(prefix, width);
        if (next < 4096) {
            table[{ prefix, k }] = next++;
            // The decoder adds its entry one code later, so it widens when
            // the table passes the power of two, not when it reaches it.
            if (next > (1 << width) && width < 12)
                ++width;
        }
        if (next == 4096 && !deferredClear) {
            packer.Put(clear, width);
            table.clear();
            next = clear + 2;
            width = minCodeSize + 1;
        }
        prefix = k;
    }
    packer.Put(prefix, width);
    if (endCode) {
        // After the last code the decoder has added one more entry.
        if (next == (1 << width) && next < 4096 && width < 12)
            ++width;
        packer.Put(end, width);
    }
    return packer.Finish();
}

std::vector<uint8_t> GifWriter::Assemble(int width, int height, const std::vector<uint32_t>& palette,
                                         int minCodeSize, const std::vector<uint8_t>& codeBytes,
                                         const GifOptions& options)
{
    std::vector<uint8_t> out = { 'G', 'I', 'F', '8', '9', 'a' };
    const int sizeCode = TableSizeCode(palette.size());
    const std::vector<uint32_t>& globalPalette = options.localTable ? options.globalPalette : palette;
    const bool global = !options.noTable && (!options.localTable || !globalPalette.empty());
    const int globalSizeCode = TableSizeCode(globalPalette.size());
    PutU16(out, width);
    PutU16(out, height);
    out.push_back(static_cast<uint8_t>(global ? 0x80 | globalSizeCode : 0));
    out.push_back(0); // background
    out.push_back(0); // aspect
    if (global)
        PutTable(out, globalPalette, globalSizeCode);

    if (options.transparentIndex >= 0) {
        // Graphic control: flags (bit 0: transparency), delay, index.
        const std::vector<uint8_t> control = { 0x21, 0xF9, 4, 0x01, 0, 0,
                                               static_cast<uint8_t>(options.transparentIndex), 0 };
        out.insert(out.end(), control.begin(), control.end());
    }
    out.insert(out.end(), options.extraBlocks.begin(), options.extraBlocks.end());

    out.push_back(',');
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, width);
    PutU16(out, height);
    uint8_t flags = options.interlaced ? 0x40 : 0;
    if (options.localTable && !options.noTable)
        flags |= static_cast<uint8_t>(0x80 | sizeCode);
    out.push_back(flags);
    if (options.localTable && !options.noTable)
        PutTable(out, palette, sizeCode);

    out.push_back(static_cast<uint8_t>(minCodeSize));
    const std::vector<uint8_t> blocks = SubBlocks(codeBytes, options.subBlockSize);
    out.insert(out.end(), blocks.begin(), blocks.end());
    out.push_back(';');
    return out;
}

std::vector<uint8_t> GifWriter::Build(int width, int height, const std::vector<uint32_t>& palette,
                                      const std::vector<uint8_t>& indices, const GifOptions& options)
{
    int minCodeSize = options.minCodeSize;
    if (minCodeSize < 0)
        minCodeSize = std::max(2, TableSizeCode(palette.size()) + 1);

    std::vector<uint8_t> stored;
    if (options.interlaced) {
        const int starts[] = { 0, 4, 2, 1 };
        const int steps[] = { 8, 8, 4, 2 };
        for (int pass = 0; pass < 4; ++pass) {
            for (int row = starts[pass]; row < height; row += steps[pass]) {
                const auto first = indices.begin() + static_cast<long>(row) * width;
                stored.insert(stored.end(), first, first + width);
            }
        }
    } else {
        stored = indices;
    }
    const std::vector<uint8_t> codes = Encode(stored, minCodeSize, options.deferredClear, options.endCode);
    return Assemble(width, height, palette, minCodeSize, codes, options);
}

} // namespace LumoTest
