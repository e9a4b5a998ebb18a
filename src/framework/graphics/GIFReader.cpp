#include "framework/graphics/GIFReader.h"

#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageStream.h"
#include "framework/core/PakClient.h"

#include <cstring>
#include <memory>

namespace ImageLib {

namespace {

constexpr int kMaxCodes = 4096; // 12-bit codes
constexpr int kMaxCodeWidth = 12;
// Larger minimum code sizes would start the table beyond its end.
constexpr int kMaxMinCodeSize = 11;
constexpr uint8_t kGraphicControlLabel = 0xF9;

// The LZW code stream of one image, read sub-block by sub-block. Refill puts
// the pixel indices of the next code on the stack, last pixel first.
class LzwDecoder {
public:
    LzwDecoder(ImageStream& stream, int minCodeSize)
        : mStream(stream)
        , mClear(1 << minCodeSize)
        , mEnd(mClear + 1)
    {
        // Entries at and above the clear code are written before they are
        // read; zeroed all the same so nothing stale is ever seen.
        std::memset(mPrefix, 0, sizeof(mPrefix));
        std::memset(mSuffix, 0, sizeof(mSuffix));
        for (int code = 0; code < mClear; ++code)
            mSuffix[code] = static_cast<uint8_t>(code);
        Reset();
    }

    bool Empty() const { return mTop == 0; }
    uint8_t Pop() { return mStack[--mTop]; }

    // False when the stream ends: end code, bad code or no more data.
    bool Refill()
    {
        for (;;) {
            int code = 0;
            if (!ReadCode(code))
                return false;
            if (code > mNext || code == mEnd)
                return false;
            if (code == mClear) {
                Reset();
                continue;
            }
            if (mPrevious < 0) {
                // After a clear only a one-pixel code makes sense; anything
                // else would chain an entry to itself.
                if (code > mClear)
                    return false;
                mStack[mTop++] = mSuffix[code];
                mPrevious = code;
                mFirst = static_cast<uint8_t>(code);
                return true;
            }

            const int incoming = code;
            if (code >= mNext) {
                // The code being defined right now: previous string + its first pixel.
                mStack[mTop++] = mFirst;
                code = mPrevious;
            }
            // Every entry's prefix is a smaller code, so this ends.
            while (code >= mClear) {
                mStack[mTop++] = mSuffix[code];
                code = mPrefix[code];
            }
            mFirst = mSuffix[code];
            mStack[mTop++] = mFirst;
            // A full table stays as it is until the next clear code.
            if (mNext < kMaxCodes) {
                mPrefix[mNext] = static_cast<uint16_t>(mPrevious);
                mSuffix[mNext] = mFirst;
                ++mNext;
                if ((mNext & mMask) == 0 && mNext < kMaxCodes && mWidth < kMaxCodeWidth) {
                    ++mWidth;
                    mMask += mNext;
                }
            }
            mPrevious = incoming;
            return true;
        }
    }

private:
    void Reset()
    {
        mWidth = 0;
        while ((1 << mWidth) <= mClear)
            ++mWidth;
        mMask = (1 << mWidth) - 1;
        mNext = mClear + 2;
        mPrevious = -1;
    }

    // Codes are packed least significant bit first across the sub-blocks.
    bool ReadCode(int& code)
    {
        while (mBitCount < mWidth) {
            if (mBlockLeft == 0) {
                const int count = mStream.ReadByte();
                if (count <= 0)
                    return false;
                mBlockLeft = static_cast<int>(mStream.Read(mBlock, static_cast<size_t>(count)));
                mBlockPosition = 0;
                if (mBlockLeft == 0)
                    return false;
            }
            mAccumulator |= static_cast<uint32_t>(mBlock[mBlockPosition++]) << mBitCount;
            mBitCount += 8;
            --mBlockLeft;
        }
        code = static_cast<int>(mAccumulator & static_cast<uint32_t>(mMask));
        mAccumulator >>= mWidth;
        mBitCount -= mWidth;
        return true;
    }

    ImageStream& mStream;
    const int mClear;
    const int mEnd;
    int mNext = 0;
    int mWidth = 0;
    int mMask = 0;
    int mPrevious = -1; // none
    uint8_t mFirst = 0;
    uint32_t mAccumulator = 0;
    int mBitCount = 0;
    int mBlockLeft = 0;
    int mBlockPosition = 0;
    int mTop = 0;
    uint16_t mPrefix[kMaxCodes];
    uint8_t mSuffix[kMaxCodes];
    uint8_t mStack[kMaxCodes + 1];
    uint8_t mBlock[256];
};

// Reads a colour table of count entries as opaque pixels.
bool ReadColorTable(ImageStream& stream, uint32_t* table, int count)
{
    uint8_t rgb[256 * 3];
    const size_t size = static_cast<size_t>(count) * 3;
    if (stream.Read(rgb, size) != size)
        return false;
    for (int i = 0; i < count; ++i)
        table[i] = 0xFF000000u | (uint32_t(rgb[i * 3]) << 16) | (uint32_t(rgb[i * 3 + 1]) << 8) | rgb[i * 3 + 2];
    return true;
}

// Reads an extension's sub-blocks up to their terminator. A graphic control
// block may name the transparent index. False when the file ends first.
bool ReadExtension(ImageStream& stream, int label, int& transparentIndex)
{
    uint8_t block[255];
    uint8_t last[255];
    int lastSize = 0;
    for (;;) {
        const int count = stream.ReadByte();
        if (count < 0)
            return false;
        if (count == 0)
            break;
        if (stream.Read(block, static_cast<size_t>(count)) != static_cast<size_t>(count))
            return false;
        std::memcpy(last, block, static_cast<size_t>(count));
        lastSize = count;
    }
    // Flags, delay (2 bytes), transparent index: a shorter block names none.
    if (label == kGraphicControlLabel && lastSize >= 4 && (last[0] & 1) != 0)
        transparentIndex = last[3];
    return true;
}

// Rows in the order they are stored: plain top to bottom, or the four
// interlace passes, each skipped when its first row is beyond the image.
struct RowPass {
    unsigned start;
    unsigned step;
};
constexpr RowPass kPlainRows[] = { { 0, 1 } };
constexpr RowPass kInterlacedRows[] = { { 0, 8 }, { 4, 8 }, { 2, 4 }, { 1, 2 } };

void Decode(LzwDecoder& decoder, const uint32_t* palette, uint32_t* bits, unsigned width, unsigned height,
            bool interlaced)
{
    const RowPass* passes = interlaced ? kInterlacedRows : kPlainRows;
    const int passCount = interlaced ? 4 : 1;
    for (int pass = 0; pass < passCount; ++pass) {
        for (unsigned row = passes[pass].start; row < height; row += passes[pass].step) {
            uint32_t* out = bits + static_cast<size_t>(row) * width;
            for (unsigned x = 0; x < width; ++x) {
                if (decoder.Empty() && !decoder.Refill())
                    return;
                out[x] = palette[decoder.Pop()];
            }
        }
    }
}

} // namespace

Image* ReadGIFImage(ImageStream& stream, size_t maxPixels)
{
    uint8_t signature[6];
    if (stream.Read(signature, 6) != 6)
        return nullptr;
    if (std::memcmp(signature, "GIF87", 5) != 0 && std::memcmp(signature, "GIF89", 5) != 0)
        return nullptr;

    // Screen width and height, flags, background, aspect.
    uint8_t screen[7];
    if (stream.Read(screen, 7) != 7)
        return nullptr;
    uint32_t globalTable[256] = {};
    int globalCount = 0;
    if ((screen[4] & 0x80) != 0) {
        globalCount = 2 << (screen[4] & 7);
        if (!ReadColorTable(stream, globalTable, globalCount))
            return nullptr;
    }

    int transparentIndex = -1;
    for (;;) {
        const int introducer = stream.ReadByte();
        if (introducer < 0 || introducer == ';')
            return nullptr;
        if (introducer == ',')
            break;
        if (introducer == '!') {
            const int label = stream.ReadByte();
            if (label < 0 || !ReadExtension(stream, label, transparentIndex))
                return nullptr;
        }
        // Anything else is stray and skipped.
    }

    // Left, top, width, height, flags.
    uint8_t descriptor[9];
    if (stream.Read(descriptor, 9) != 9)
        return nullptr;
    const unsigned width = static_cast<unsigned>(descriptor[4] | (descriptor[5] << 8));
    const unsigned height = static_cast<unsigned>(descriptor[6] | (descriptor[7] << 8));
    const uint8_t flags = descriptor[8];
    const size_t count = static_cast<size_t>(width) * height;
    if (count == 0 || count > maxPixels)
        return nullptr;

    // Every index has an entry: those beyond the table, or with no table at
    // all, give 0 like the transparent one.
    uint32_t palette[256] = {};
    if ((flags & 0x80) != 0) {
        if (!ReadColorTable(stream, palette, 2 << (flags & 7)))
            return nullptr;
    } else {
        std::memcpy(palette, globalTable, sizeof(uint32_t) * static_cast<size_t>(globalCount));
    }
    if (transparentIndex >= 0 && transparentIndex < 256)
        palette[transparentIndex] = 0;
    const bool interlaced = (flags & 0x40) != 0;

    const int minCodeSize = stream.ReadByte();
    if (minCodeSize < 0 || minCodeSize > kMaxMinCodeSize)
        return nullptr;

    auto decoder = std::make_unique<LzwDecoder>(stream, minCodeSize);
    // Zero-filled: a code stream cut short leaves transparent black.
    uint32_t* bits = new uint32_t[count]();
    Decode(*decoder, palette, bits, width, height, interlaced);
    return new Image(static_cast<int>(width), static_cast<int>(height), bits);
}

Image* GetGIFImage(const std::string& fileName)
{
    PakFile* file = Lumo::PakOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return nullptr;
    ImageStream stream(file);
    Image* image = ReadGIFImage(stream);
    Lumo::PakClose(file);
    return image;
}

} // namespace ImageLib
