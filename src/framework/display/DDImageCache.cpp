// The cached-image record "DDImage:": size, texture flags, the palette form
// or the ARGB bits, the cell layout and the mode bytes, little-endian with no
// padding; and the list of file names the picture may have come from.
#include "framework/display/DDImage.h"

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDInterface.h"
#include "framework/resources/DataCacheClient.h"

#include <cstdint>
#include <cstring>

namespace Lumo {

namespace {

constexpr size_t kHeaderBytes = 12;
constexpr size_t kTrailerBytes = 15;
constexpr size_t kPaletteBytes = 256 * 4;
constexpr uint32_t kFlagPalette = 1;
constexpr uint32_t kFlagAnimated = 2;

void PutU32(uint8_t*& pos, uint32_t value)
{
    pos[0] = static_cast<uint8_t>(value);
    pos[1] = static_cast<uint8_t>(value >> 8);
    pos[2] = static_cast<uint8_t>(value >> 16);
    pos[3] = static_cast<uint8_t>(value >> 24);
    pos += 4;
}

uint32_t GetU32(const uint8_t*& pos)
{
    const uint32_t value = static_cast<uint32_t>(pos[0]) | static_cast<uint32_t>(pos[1]) << 8 |
                           static_cast<uint32_t>(pos[2]) << 16 | static_cast<uint32_t>(pos[3]) << 24;
    pos += 4;
    return value;
}

std::string RecordKind(const std::string& suffix)
{
    return "DDImage:" + suffix;
}

// Record bytes for a picture of that size; 0 when it cannot be represented.
uint64_t RecordSize(int64_t width, int64_t height, bool palette)
{
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    return kHeaderBytes + (palette ? kPaletteBytes + pixels : 4 * pixels) + kTrailerBytes;
}

} // namespace

size_t DDImage::CacheRecordSize()
{
    const bool palette = mColorTable != nullptr && mColorIndices != nullptr;
    return static_cast<size_t>(RecordSize(mWidth > 0 ? mWidth : 0, mHeight > 0 ? mHeight : 0, palette));
}

void DDImage::WriteCacheRecord(uint8_t* area)
{
    const bool palette = mColorTable != nullptr && mColorIndices != nullptr;
    const size_t count = PixelCount();
    uint8_t* pos = area;
    PutU32(pos, static_cast<uint32_t>(mWidth > 0 ? mWidth : 0));
    PutU32(pos, static_cast<uint32_t>(mHeight > 0 ? mHeight : 0));
    uint32_t flags = static_cast<uint32_t>(mTextureFlags) << 16;
    if (palette) {
        flags |= kFlagPalette;
    }
    if (mAnimInfo != nullptr) {
        flags |= kFlagAnimated;
    }
    PutU32(pos, flags);
    if (palette) {
        for (int i = 0; i < 256; ++i) {
            PutU32(pos, mColorTable[static_cast<size_t>(i)]);
        }
        std::memcpy(pos, mColorIndices.get(), count);
        pos += count;
    } else {
        const uint32_t* bits = GetBits();
        for (size_t i = 0; i < count; ++i) {
            PutU32(pos, bits != nullptr ? bits[i] : 0);
        }
    }
    PutU32(pos, static_cast<uint32_t>(mNumCols));
    PutU32(pos, static_cast<uint32_t>(mNumRows));
    const bool modes[7] = {mForcedMode, mHasTrans, mHasAlpha, mIsVolatile, mPurgeBits, mWantPal, mBitsChanged};
    for (bool mode : modes) {
        *pos++ = mode ? 1 : 0;
    }
}

DDImage* DDImage::ReadCacheRecord(DDInterface* ddInterface, const uint8_t* data, size_t size)
{
    if (data == nullptr || size < kHeaderBytes + kTrailerBytes) {
        return nullptr;
    }
    const uint8_t* pos = data;
    const int32_t width = static_cast<int32_t>(GetU32(pos));
    const int32_t height = static_cast<int32_t>(GetU32(pos));
    const uint32_t flags = GetU32(pos);
    const bool palette = (flags & kFlagPalette) != 0;
    // The dimensions must account for the record's size exactly; anything
    // else is a damaged record, not a picture.
    if (width < 0 || height < 0 ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > size ||
        RecordSize(width, height, palette) != size) {
        return nullptr;
    }

    DDImage* image = new DDImage(ddInterface);
    image->mWidth = width;
    image->mHeight = height;
    image->mTextureFlags = static_cast<int>(flags >> 16);
    const size_t count = image->PixelCount();
    if (palette) {
        image->mColorTable = std::make_unique<uint32_t[]>(256);
        for (int i = 0; i < 256; ++i) {
            image->mColorTable[static_cast<size_t>(i)] = GetU32(pos);
        }
        // One spare index after the last pixel, as the palette form keeps.
        image->mColorIndices = std::make_unique<uint8_t[]>(count + 1);
        std::memcpy(image->mColorIndices.get(), pos, count);
        pos += count;
    } else {
        image->mBits.reset(new uint32_t[count + 1]);
        image->mBits[count] = kBitsSentinel;
        for (size_t i = 0; i < count; ++i) {
            image->mBits[i] = GetU32(pos);
        }
    }
    image->mNumCols = static_cast<int32_t>(GetU32(pos));
    image->mNumRows = static_cast<int32_t>(GetU32(pos));
    image->mForcedMode = *pos++ != 0;
    image->mHasTrans = *pos++ != 0;
    image->mHasAlpha = *pos++ != 0;
    image->mIsVolatile = *pos++ != 0;
    image->mPurgeBits = *pos++ != 0;
    image->mWantPal = *pos++ != 0;
    image->mBitsChanged = *pos++ != 0;
    return image;
}

std::string DDImage::CacheFileNames(const std::string& path)
{
    if (path.find('.') != std::string::npos) {
        return path;
    }
    const size_t backslash = path.rfind('\\');
    const size_t slash = path.rfind('/');
    size_t separator = std::string::npos;
    if (backslash != std::string::npos && (slash == std::string::npos || backslash > slash)) {
        separator = backslash;
    } else {
        separator = slash;
    }
    const std::string directory = separator != std::string::npos ? path.substr(0, separator + 1) : std::string();
    const std::string name = separator != std::string::npos ? path.substr(separator + 1) : path;
    return path + ".*\n" + path + "_.*\n" + directory + "_" + name + ".*";
}

void DDImage::WriteToCache(const std::string& group, const std::string& suffix)
{
    DataCacheClient& cache = GetDataCacheClient();
    if (!cache.IsConnected()) {
        return;
    }
    const bool palette = mColorTable != nullptr && mColorIndices != nullptr;
    if (!palette && GetBits() == nullptr) {
        return; // the pixels cannot be read back
    }
    const size_t size = CacheRecordSize();
    if (size > UINT32_MAX) {
        return;
    }
    const std::string kind = RecordKind(suffix);
    uint8_t* area = cache.BeginStore(group, kind, static_cast<uint32_t>(size));
    if (area == nullptr) {
        return;
    }
    WriteCacheRecord(area);
    cache.CommitStore(area);
    cache.ReleaseRequest(area);
    cache.StoreString(group, kind, CacheFileNames(group));
}

DDImage* DDImage::ReadFromCache(const std::string& group, const std::string& suffix)
{
    DataCacheClient& cache = GetDataCacheClient();
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!cache.Fetch(group, RecordKind(suffix), data, size)) {
        return nullptr;
    }
    DDInterface* ddInterface = gLumoAppBase != nullptr ? gLumoAppBase->ddInterface : nullptr;
    DDImage* image = ReadCacheRecord(ddInterface, data, size);
    cache.ReleaseFetched(data);
    return image;
}

} // namespace Lumo
