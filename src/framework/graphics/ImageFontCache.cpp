// The image-font record of the shared data cache: the parsed descriptor and
// the font's own settings, little-endian, fields back to back. Layer images
// are not in the record; they are loaded again by file name.
#include "framework/app/LumoAppBase.h"
#include "framework/graphics/FontData.h"
#include "framework/graphics/FontLayer.h"
#include "framework/graphics/ImageFont.h"
#include "framework/resources/DataCacheClient.h"

#include <cstring>

namespace Lumo {

namespace {

const char* const kRecordKind = "ImageFont2:";

// Writes fields until one does not fit; then writes nothing more.
class RecordWriter {
public:
    RecordWriter(uint8_t* data, size_t size) : mPos(data), mEnd(data + size) {}

    void Bytes(const void* bytes, size_t count) { mOk = mOk && CacheWriteBytes(mPos, mEnd, bytes, count); }
    void U8(uint8_t value) { Bytes(&value, 1); }
    void U32(uint32_t value)
    {
        const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        Bytes(bytes, 4);
    }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F64(double value)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, 8);
        U32(static_cast<uint32_t>(bits));
        U32(static_cast<uint32_t>(bits >> 32));
    }
    void String(const std::string& text) { mOk = mOk && CacheWriteString(mPos, mEnd, text); }
    void Strings(const std::vector<std::string>& texts)
    {
        U32(static_cast<uint32_t>(texts.size()));
        for (const std::string& text : texts)
            String(text);
    }
    // Every field written and the record filled exactly.
    bool Done() const { return mOk && mPos == mEnd; }

private:
    uint8_t* mPos;
    const uint8_t* mEnd;
    bool mOk = true;
};

// Reads fields until one runs past the end; from then on every field reads
// as zero and Ok() is false.
class RecordReader {
public:
    RecordReader(const uint8_t* data, size_t size) : mPos(data), mEnd(data + size) {}

    void Bytes(void* bytes, size_t count)
    {
        mOk = mOk && CacheReadBytes(mPos, mEnd, bytes, count);
        if (!mOk)
            std::memset(bytes, 0, count);
    }
    uint8_t U8()
    {
        uint8_t value = 0;
        Bytes(&value, 1);
        return value;
    }
    uint32_t U32()
    {
        uint8_t b[4];
        Bytes(b, 4);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    double F64()
    {
        const uint64_t low = U32();
        const uint64_t bits = low | uint64_t(U32()) << 32;
        double value = 0.0;
        std::memcpy(&value, &bits, 8);
        return value;
    }
    std::string String()
    {
        std::string text;
        mOk = mOk && CacheReadString(mPos, mEnd, text);
        return text;
    }
    // A count of items of at least minItemSize bytes each that cannot all
    // fit in what is left marks the record as overrun.
    uint32_t Count(size_t minItemSize)
    {
        const uint32_t count = U32();
        if (mOk && count > Remaining() / minItemSize)
            mOk = false;
        return mOk ? count : 0;
    }
    bool Strings(std::vector<std::string>& texts)
    {
        const uint32_t count = Count(4);
        for (uint32_t i = 0; i < count && mOk; ++i)
            texts.push_back(String());
        return mOk;
    }
    bool Ok() const { return mOk; }
    size_t Remaining() const { return size_t(mEnd - mPos); }

private:
    const uint8_t* mPos;
    const uint8_t* mEnd;
    bool mOk = true;
};

uint64_t TagsSize(const std::vector<std::string>& tags)
{
    uint64_t size = 0;
    for (const std::string& tag : tags)
        size += 4 + tag.size();
    return size;
}

void WriteColor(RecordWriter& out, const Color& color)
{
    out.I32(color.mRed);
    out.I32(color.mGreen);
    out.I32(color.mBlue);
    out.I32(color.mAlpha);
}

Color ReadColor(RecordReader& in)
{
    const int red = in.I32();
    const int green = in.I32();
    const int blue = in.I32();
    const int alpha = in.I32();
    return Color(red, green, blue, alpha);
}

} // namespace

uint64_t ImageFont::CacheRecordSize() const
{
    uint64_t size = kCacheRecordFixedSize;
    for (const auto& layer : mFontData->mFontLayerList) {
        size += kCacheLayerFixedSize + layer->mLayerName.size() + layer->mImageFileName.size()
            + TagsSize(layer->mRequiredTags) + TagsSize(layer->mExcludedTags);
    }
    size += mFontData->mSourceFile.size() + mFontData->mFontErrorHeader.size() + TagsSize(mTagVector);
    return size;
}

bool ImageFont::WriteCacheRecord(uint8_t* data, size_t size) const
{
    RecordWriter out(data, size);
    const FontData& fontData = *mFontData;
    out.I32(mAscent);
    out.I32(mAscentPadding);
    out.I32(mHeight);
    out.I32(mLineSpacingOffset);
    out.U8(fontData.mInitialized ? 1 : 0);
    out.I32(fontData.mDefaultPointSize);
    out.Bytes(fontData.mCharMap, 256);
    out.U32(static_cast<uint32_t>(fontData.mFontLayerList.size()));
    for (const auto& owned : fontData.mFontLayerList) {
        const FontLayer& layer = *owned;
        out.String(layer.mLayerName);
        out.Strings(layer.mRequiredTags);
        out.Strings(layer.mExcludedTags);
        for (const FontGlyph& glyph : layer.mGlyphs) {
            out.I32(glyph.mImageRect.mX);
            out.I32(glyph.mImageRect.mY);
            out.I32(glyph.mImageRect.mWidth);
            out.I32(glyph.mImageRect.mHeight);
            out.I32(glyph.mOffsetX);
            out.I32(glyph.mOffsetY);
            out.Bytes(glyph.mKerningOffsets, 256);
            out.I32(glyph.mWidth);
            out.I32(glyph.mOrder);
        }
        WriteColor(out, layer.mColorMult);
        WriteColor(out, layer.mColorAdd);
        out.String(layer.mImageFileName);
        out.I32(layer.mDrawMode);
        out.I32(layer.mOffsetX);
        out.I32(layer.mOffsetY);
        out.I32(layer.mSpacing);
        out.I32(layer.mMinPointSize);
        out.I32(layer.mMaxPointSize);
        out.I32(layer.mPointSize);
        out.I32(layer.mAscent);
        out.I32(layer.mAscentPadding);
        out.I32(layer.mHeight);
        out.I32(layer.mDefaultHeight);
        out.I32(layer.mLineSpacingOffset);
        out.I32(layer.mBaseOrder);
    }
    out.String(fontData.mSourceFile);
    out.String(fontData.mFontErrorHeader);
    out.I32(mPointSize);
    out.Strings(mTagVector);
    out.F64(mScale);
    out.U8(mForceWhite ? 1 : 0);
    out.U8(mIgnoreTags ? 1 : 0);
    return out.Done();
}

ImageFont* ImageFont::ReadCacheRecord(const uint8_t* data, size_t size)
{
    RecordReader in(data, size);
    auto font = std::make_unique<ImageFont>();
    FontData& fontData = *font->mFontData;
    fontData.mApp = gLumoAppBase;

    font->mAscent = in.I32();
    font->mAscentPadding = in.I32();
    font->mHeight = in.I32();
    font->mLineSpacingOffset = in.I32();
    fontData.mInitialized = in.U8() != 0;
    fontData.mDefaultPointSize = in.I32();
    in.Bytes(fontData.mCharMap, 256);
    const uint32_t layerCount = in.Count(kCacheLayerFixedSize);
    for (uint32_t i = 0; i < layerCount && in.Ok(); ++i) {
        auto created = std::make_unique<FontLayer>(&fontData);
        FontLayer& layer = *created;
        layer.mLayerName = in.String();
        in.Strings(layer.mRequiredTags);
        in.Strings(layer.mExcludedTags);
        for (FontGlyph& glyph : layer.mGlyphs) {
            const int x = in.I32();
            const int y = in.I32();
            const int w = in.I32();
            const int h = in.I32();
            glyph.mImageRect = TRect<int>(x, y, w, h);
            glyph.mOffsetX = in.I32();
            glyph.mOffsetY = in.I32();
            in.Bytes(glyph.mKerningOffsets, 256);
            glyph.mWidth = in.I32();
            glyph.mOrder = in.I32();
        }
        layer.mColorMult = ReadColor(in);
        layer.mColorAdd = ReadColor(in);
        layer.mImageFileName = in.String();
        if (in.Ok() && gLumoAppBase != nullptr && !layer.mImageFileName.empty())
            layer.mImage = gLumoAppBase->GetSharedImage(layer.mImageFileName, "");
        layer.mDrawMode = in.I32();
        layer.mOffsetX = in.I32();
        layer.mOffsetY = in.I32();
        layer.mSpacing = in.I32();
        layer.mMinPointSize = in.I32();
        layer.mMaxPointSize = in.I32();
        layer.mPointSize = in.I32();
        layer.mAscent = in.I32();
        layer.mAscentPadding = in.I32();
        layer.mHeight = in.I32();
        layer.mDefaultHeight = in.I32();
        layer.mLineSpacingOffset = in.I32();
        layer.mBaseOrder = in.I32();
        fontData.AddLayer(std::move(created));
    }
    fontData.mSourceFile = in.String();
    fontData.mFontErrorHeader = in.String();
    font->mPointSize = in.I32();
    in.Strings(font->mTagVector);
    font->mScale = in.F64();
    font->mForceWhite = in.U8() != 0;
    font->mIgnoreTags = in.U8() != 0;
    if (!in.Ok())
        return nullptr;
    font->mPrepared = false;
    return font.release();
}

void ImageFont::WriteToCache(const std::string& resourceName, const std::string& name)
{
    DataCacheClient& cache = GetDataCacheClient();
    if (!cache.IsConnected())
        return;
    const uint64_t size = CacheRecordSize();
    if (size > UINT32_MAX)
        return;
    const std::string kind = kRecordKind + name;
    uint8_t* area = cache.BeginStore(resourceName, kind, static_cast<uint32_t>(size));
    if (area == nullptr)
        return;
    // A record that did not come out whole is not handed over.
    const bool written = WriteCacheRecord(area, static_cast<size_t>(size));
    if (written)
        cache.CommitStore(area);
    cache.ReleaseRequest(area);
    if (written)
        cache.StoreString(resourceName, kind, resourceName);
}

ImageFont* ImageFont::ReadFromCache(const std::string& resourceName, const std::string& name)
{
    DataCacheClient& cache = GetDataCacheClient();
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!cache.Fetch(resourceName, kRecordKind + name, data, size))
        return nullptr;
    ImageFont* font = ReadCacheRecord(data, size);
    cache.ReleaseFetched(data);
    return font;
}

} // namespace Lumo
