// The memory image's pixel forms: construction and copying, GetBits and the
// conversions between ARGB bits, palette form, native data and run-length
// tables, the transparency flags, memory management and stretch/rotation
// clipping.
#include "framework/graphics/MemoryImage.h"

#include "framework/display/TextureData.h"

#include "framework/app/LumoAppBase.h"
#include "framework/display/NativeDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Lumo {

namespace {

// One byte per pixel: how many pixels from this one to the end of its run
// share its class, capped at 255. A row ends every run.
template <typename ClassOf>
void BuildRunLengths(uint8_t* out, int width, int height, ClassOf classOf)
{
    for (int y = 0; y < height; ++y) {
        const size_t rowStart = static_cast<size_t>(y) * static_cast<size_t>(width);
        int run = 0;
        int nextClass = -1;
        for (int x = width - 1; x >= 0; --x) {
            const size_t i = rowStart + static_cast<size_t>(x);
            const int pixelClass = classOf(i);
            run = pixelClass == nextClass ? run + 1 : 1;
            nextClass = pixelClass;
            out[i] = static_cast<uint8_t>(run < 255 ? run : 255);
        }
    }
}

int AlphaClass(uint32_t pixel)
{
    const uint32_t alpha = pixel >> 24;
    if (alpha == 0) {
        return 0;
    }
    return alpha == 255 ? 1 : 2;
}

// One ARGB word in the display's format, each channel premultiplied by alpha.
uint32_t ToNative(uint32_t pixel, const NativeDisplay& d)
{
    const uint32_t a = pixel >> 24;
    const uint32_t r = (pixel >> 16) & 0xFF;
    const uint32_t g = (pixel >> 8) & 0xFF;
    const uint32_t b = pixel & 0xFF;
    const uint32_t red = (((r * (a + 1)) >> (16 - d.mRedBits)) << d.mRedShift) & d.mRedMask;
    const uint32_t green = (((g * (a + 1)) >> (16 - d.mGreenBits)) << d.mGreenShift) & d.mGreenMask;
    const uint32_t blue = (((b * (a + 1)) >> (16 - d.mBlueBits)) << d.mBlueShift) & d.mBlueMask;
    return a << 24 | red | green | blue;
}

uint32_t FromNativeChannel(uint32_t p, uint32_t a, uint32_t mask, int bits, int shift)
{
    const uint32_t v = (((p & mask) << 8) / (a + 1)) & mask;
    return (v << 8) >> (shift + bits);
}

// Undoes ToNative as far as the premultiplication lets it.
uint32_t FromNative(uint32_t p, const NativeDisplay& d)
{
    const uint32_t a = p >> 24;
    const uint32_t red = FromNativeChannel(p, a, d.mRedMask, d.mRedBits, d.mRedShift);
    const uint32_t green = FromNativeChannel(p, a, d.mGreenMask, d.mGreenBits, d.mGreenShift);
    const uint32_t blue = FromNativeChannel(p, a, d.mBlueMask, d.mBlueBits, d.mBlueShift);
    return a << 24 | (red & 0xFF) << 16 | (green & 0xFF) << 8 | (blue & 0xFF);
}

} // namespace

MemoryImage::MemoryImage() : MemoryImage(gLumoAppBase) {}

MemoryImage::MemoryImage(LumoAppBase* app)
    : mBitsVersion(0),
      mTextureData(nullptr),
      mTextureFlags(0),
      mForcedMode(false),
      mHasTrans(false),
      mHasAlpha(false),
      mIsVolatile(false),
      mPurgeBits(false),
      mWantPal(false),
      mBitsChanged(false),
      mApp(app)
{
    if (mApp != nullptr) {
        mApp->AddMemoryImage(this);
    }
}

MemoryImage::MemoryImage(const MemoryImage& other)
    : Image(other),
      mBitsVersion(other.mBitsVersion),
      mTextureData(nullptr),
      mTextureFlags(other.mTextureFlags),
      mForcedMode(other.mForcedMode),
      mHasTrans(other.mHasTrans),
      mHasAlpha(other.mHasAlpha),
      mIsVolatile(other.mIsVolatile),
      mPurgeBits(other.mPurgeBits),
      mWantPal(other.mWantPal),
      mBitsChanged(other.mBitsChanged),
      mApp(other.mApp)
{
    // The pixels are made in the source only for the copy, then dropped
    // there again, so the source keeps its form.
    MemoryImage& source = const_cast<MemoryImage&>(other);
    const bool madeForCopy = source.mBits == nullptr && source.mColorTable == nullptr;
    if (madeForCopy) {
        source.GetBits();
    }
    const size_t count = PixelCount();
    if (source.mBits != nullptr) {
        AllocateBits();
        std::memcpy(mBits.get(), source.mBits.get(), count * sizeof(uint32_t));
    }
    if (madeForCopy) {
        source.mBits.reset();
    }

    if (source.mColorTable != nullptr) {
        mColorTable = std::make_unique<uint32_t[]>(256);
        std::memcpy(mColorTable.get(), source.mColorTable.get(), 256 * sizeof(uint32_t));
    }
    if (source.mColorIndices != nullptr) {
        // One spare index after the last pixel, like the word after the bits.
        mColorIndices = std::make_unique<uint8_t[]>(count + 1);
        std::memcpy(mColorIndices.get(), source.mColorIndices.get(), count);
    }
    if (source.mNativeAlphaData != nullptr) {
        const size_t words = source.mColorTable != nullptr ? 256 : count;
        mNativeAlphaData = std::make_unique<uint32_t[]>(words);
        std::memcpy(mNativeAlphaData.get(), source.mNativeAlphaData.get(), words * sizeof(uint32_t));
    }
    if (source.mRLAlphaData != nullptr) {
        mRLAlphaData = std::make_unique<uint8_t[]>(count);
        std::memcpy(mRLAlphaData.get(), source.mRLAlphaData.get(), count);
    }
    if (source.mRLAdditiveData != nullptr) {
        mRLAdditiveData = std::make_unique<uint8_t[]>(count);
        std::memcpy(mRLAdditiveData.get(), source.mRLAdditiveData.get(), count);
    }

    if (mApp != nullptr) {
        mApp->AddMemoryImage(this);
    }
}

MemoryImage::~MemoryImage()
{
    if (mApp != nullptr) {
        mApp->RemoveMemoryImage(this);
    }
}

size_t MemoryImage::PixelCount() const
{
    if (mWidth <= 0 || mHeight <= 0) {
        return 0;
    }
    return static_cast<size_t>(mWidth) * static_cast<size_t>(mHeight);
}

void MemoryImage::AllocateBits()
{
    const size_t count = PixelCount();
    mBits.reset(new uint32_t[count + 1]);
    mBits[count] = kBitsSentinel;
}

// The native data of a palette image is indexed by the palette, so it goes
// with it.
void MemoryImage::FreePaletteForm()
{
    if (mColorTable != nullptr) {
        mNativeAlphaData.reset();
    }
    mColorIndices.reset();
    mColorTable.reset();
}

NativeDisplay* MemoryImage::AppDisplay() const
{
    return mApp != nullptr ? mApp->GetNativeDisplay() : nullptr;
}

bool MemoryImage::CopyTextureDataToBits()
{
    return mTextureData != nullptr && mTextureData->CopyToBits(this);
}

uint32_t* MemoryImage::GetBits()
{
    if (mBits != nullptr) {
        return mBits.get();
    }

    AllocateBits();
    const size_t count = PixelCount();
    uint32_t* bits = mBits.get();

    if (mColorTable != nullptr && mColorIndices != nullptr) {
        const uint32_t* table = mColorTable.get();
        const uint8_t* indices = mColorIndices.get();
        for (size_t i = 0; i < count; ++i) {
            bits[i] = table[indices[i]];
        }
        mColorIndices.reset();
        mColorTable.reset();
        mNativeAlphaData.reset();
    } else if (mColorTable == nullptr && mNativeAlphaData != nullptr) {
        NativeDisplay fallback;
        NativeDisplay* display = AppDisplay();
        const NativeDisplay& d = display != nullptr ? *display : fallback;
        const uint32_t* native = mNativeAlphaData.get();
        for (size_t i = 0; i < count; ++i) {
            bits[i] = FromNative(native[i], d);
        }
    } else if (mTextureData != nullptr && CopyTextureDataToBits()) {
        // The texture's pixels are in the bits now.
    } else {
        std::fill(bits, bits + count, 0U);
    }
    return bits;
}

uint32_t* MemoryImage::GetNativeAlphaData(NativeDisplay* display)
{
    if (mNativeAlphaData != nullptr) {
        return mNativeAlphaData.get();
    }

    CommitBits();
    NativeDisplay fallback;
    if (display == nullptr) {
        display = AppDisplay();
    }
    const NativeDisplay& d = display != nullptr ? *display : fallback;

    if (mColorTable != nullptr) {
        mNativeAlphaData = std::make_unique<uint32_t[]>(256);
        for (int i = 0; i < 256; ++i) {
            mNativeAlphaData[i] = ToNative(mColorTable[i], d);
        }
    } else {
        const uint32_t* bits = GetBits();
        const size_t count = PixelCount();
        mNativeAlphaData = std::make_unique<uint32_t[]>(count);
        uint32_t* native = mNativeAlphaData.get();
        for (size_t i = 0; i < count; ++i) {
            native[i] = ToNative(bits[i], d);
        }
    }
    return mNativeAlphaData.get();
}

uint8_t* MemoryImage::GetRLAlphaData()
{
    CommitBits();
    if (mRLAlphaData != nullptr) {
        return mRLAlphaData.get();
    }

    const size_t count = PixelCount();
    mRLAlphaData = std::make_unique<uint8_t[]>(count);
    uint8_t* out = mRLAlphaData.get();
    if (mColorTable != nullptr && mColorIndices != nullptr) {
        const uint32_t* table = mColorTable.get();
        const uint8_t* indices = mColorIndices.get();
        BuildRunLengths(out, mWidth, mHeight, [&](size_t i) { return AlphaClass(table[indices[i]]); });
    } else if (mColorTable == nullptr && mNativeAlphaData != nullptr) {
        const uint32_t* native = mNativeAlphaData.get();
        BuildRunLengths(out, mWidth, mHeight, [&](size_t i) { return AlphaClass(native[i]); });
    } else {
        const uint32_t* bits = GetBits();
        BuildRunLengths(out, mWidth, mHeight, [&](size_t i) { return AlphaClass(bits[i]); });
    }
    return mRLAlphaData.get();
}

uint8_t* MemoryImage::GetRLAdditiveData(NativeDisplay* display)
{
    if (mRLAdditiveData != nullptr) {
        return mRLAdditiveData.get();
    }

    const uint32_t* native = GetNativeAlphaData(display);
    const size_t count = PixelCount();
    mRLAdditiveData = std::make_unique<uint8_t[]>(count);
    uint8_t* out = mRLAdditiveData.get();
    if (mColorTable != nullptr && mColorIndices != nullptr) {
        const uint8_t* indices = mColorIndices.get();
        BuildRunLengths(out, mWidth, mHeight, [&](size_t i) { return (native[indices[i]] & 0xFFFFFF) != 0 ? 1 : 0; });
    } else {
        BuildRunLengths(out, mWidth, mHeight, [&](size_t i) { return (native[i] & 0xFFFFFF) != 0 ? 1 : 0; });
    }
    return mRLAdditiveData.get();
}

void MemoryImage::PurgeBits()
{
    mPurgeBits = true;
    const bool accelerated = mApp != nullptr && mApp->Is3DAccelerated();
    if (!accelerated) {
        if (mBits == nullptr && mColorIndices == nullptr) {
            return;
        }
        GetNativeAlphaData(AppDisplay());
        mBits.reset();
    } else {
        if (mTextureData == nullptr) {
            return;
        }
        mBits.reset();
    }
    if (mTextureData != nullptr) {
        FreePaletteForm();
    }
}

void MemoryImage::DeleteSWBuffers()
{
    if (mBits == nullptr && mColorIndices == nullptr) {
        GetBits();
    }
    mNativeAlphaData.reset();
    mRLAdditiveData.reset();
    mRLAlphaData.reset();
}

void MemoryImage::Delete3DBuffers()
{
    if (mApp != nullptr) {
        mApp->Remove3DData(this);
    }
}

void MemoryImage::DeleteExtraBuffers()
{
    DeleteSWBuffers();
    Delete3DBuffers();
}

void MemoryImage::ReInit()
{
    if (mWantPal) {
        Palletize();
    }
    if (mPurgeBits) {
        PurgeBits();
    }
}

void MemoryImage::BitsChanged()
{
    ++mBitsVersion;
    mBitsChanged = true;
    mNativeAlphaData.reset();
    mRLAlphaData.reset();
    mRLAdditiveData.reset();
}

void MemoryImage::CommitBits()
{
    if (!mBitsChanged || mForcedMode) {
        return;
    }
    mHasAlpha = false;
    if (mBits != nullptr) {
        mHasTrans = false;
        const uint32_t* bits = mBits.get();
        const size_t count = PixelCount();
        for (size_t i = 0; i < count; ++i) {
            const uint32_t alpha = bits[i] >> 24;
            if (alpha == 0) {
                mHasTrans = true;
            } else if (alpha != 255) {
                mHasAlpha = true;
            }
        }
    } else if (mColorTable != nullptr) {
        mHasTrans = false;
        for (int i = 0; i < 256; ++i) {
            const uint32_t alpha = mColorTable[i] >> 24;
            if (alpha == 0) {
                mHasTrans = true;
            } else if (alpha != 255) {
                mHasAlpha = true;
            }
        }
    } else {
        mHasTrans = true;
    }
    mBitsChanged = false;
}

void MemoryImage::DeleteNativeData()
{
    if (mBits == nullptr && mColorIndices == nullptr) {
        GetBits();
    }
    mNativeAlphaData.reset();
    mRLAdditiveData.reset();
}

void MemoryImage::Clear()
{
    uint32_t* bits = GetBits();
    std::fill(bits, bits + PixelCount(), 0U);
    BitsChanged();
}

void MemoryImage::SetBits(const uint32_t* bits, int width, int height, bool commitBits)
{
    if (bits != nullptr && bits == mBits.get()) {
        return;
    }
    FreePaletteForm();
    // New storage also when the size is unchanged but no bits exist (palette
    // or native form), so that the copy has somewhere to go.
    if (width != mWidth || height != mHeight || mBits == nullptr) {
        mBits.reset();
        mWidth = width;
        mHeight = height;
        AllocateBits();
    }
    const size_t count = PixelCount();
    if (bits != nullptr) {
        std::memcpy(mBits.get(), bits, count * sizeof(uint32_t));
    } else {
        std::fill(mBits.get(), mBits.get() + count, 0U);
    }
    BitsChanged();
    if (commitBits) {
        CommitBits();
    }
}

void MemoryImage::Create(int width, int height)
{
    mBits.reset();
    // A palette form of another size cannot stand for the new picture.
    if (width != mWidth || height != mHeight) {
        FreePaletteForm();
    }
    mWidth = width;
    mHeight = height;
    mHasTrans = true;
    mHasAlpha = true;
    BitsChanged();
}

void MemoryImage::SetImageMode(bool hasTrans, bool hasAlpha)
{
    mForcedMode = true;
    mHasTrans = hasTrans;
    mHasAlpha = hasAlpha;
}

void MemoryImage::SetVolatile(bool isVolatile)
{
    mIsVolatile = isVolatile;
}

bool MemoryImage::ClipStretchRects(const TRect<int>& srcRect, const TRect<int>& clipRect, const TRect<int>& destRect,
                                   TRect<double>& clippedSrc, TRect<int>& clippedDest)
{
    clippedDest = destRect.Intersection(clipRect);
    if (destRect.mWidth <= 0 || destRect.mHeight <= 0) {
        return false;
    }
    const double sx = static_cast<double>(srcRect.mWidth) / destRect.mWidth;
    const double sy = static_cast<double>(srcRect.mHeight) / destRect.mHeight;
    clippedSrc.mX = (clippedDest.mX - destRect.mX) * sx + srcRect.mX;
    clippedSrc.mY = (clippedDest.mY - destRect.mY) * sy + srcRect.mY;
    clippedSrc.mWidth = (clippedDest.mWidth - destRect.mWidth) * sx + srcRect.mWidth;
    clippedSrc.mHeight = (clippedDest.mHeight - destRect.mHeight) * sy + srcRect.mHeight;
    return clippedSrc.mWidth > 0 && clippedSrc.mHeight > 0;
}

bool MemoryImage::ClipStretchRectsMirror(const TRect<int>& srcRect, const TRect<int>& clipRect,
                                         const TRect<int>& destRect, TRect<double>& clippedSrc,
                                         TRect<int>& clippedDest)
{
    clippedDest = destRect.Intersection(clipRect);
    if (destRect.mWidth <= 0 || destRect.mHeight <= 0) {
        return false;
    }
    const double sx = static_cast<double>(srcRect.mWidth) / destRect.mWidth;
    const double sy = static_cast<double>(srcRect.mHeight) / destRect.mHeight;
    // Edges in 64 bits: a rectangle at the end of the int range must not overflow.
    const int64_t rightCut = int64_t(destRect.mX) + destRect.mWidth - clippedDest.mX - clippedDest.mWidth;
    clippedSrc.mX = static_cast<double>(rightCut) * sx + srcRect.mX;
    clippedSrc.mY = (clippedDest.mY - destRect.mY) * sy + srcRect.mY;
    clippedSrc.mWidth = (clippedDest.mWidth - destRect.mWidth) * sx + srcRect.mWidth;
    clippedSrc.mHeight = (clippedDest.mHeight - destRect.mHeight) * sy + srcRect.mHeight;
    return clippedSrc.mWidth > 0 && clippedSrc.mHeight > 0;
}

bool MemoryImage::GetRotatedBounds(const float& x, const float& y, const TRect<int>& srcRect,
                                   const TRect<int>& clipRect, double angle, TRect<double>& bounds, float centerX,
                                   float centerY)
{
    const float c = static_cast<float>(std::cos(angle));
    const float s = static_cast<float>(std::sin(angle));
    const float w = static_cast<float>(srcRect.mWidth);
    const float h = static_cast<float>(srcRect.mHeight);
    const float cornersX[4] = {0.0f, w, w, 0.0f};
    const float cornersY[4] = {0.0f, 0.0f, h, h};

    float minX = 1e7f;
    float minY = 1e7f;
    float maxX = -1e7f;
    float maxY = -1e7f;
    for (int i = 0; i < 4; ++i) {
        const float dx = cornersX[i] - centerX;
        const float dy = cornersY[i] - centerY;
        const float px = dx * c + dy * s + centerX + x;
        const float py = dy * c - dx * s + centerY + y;
        minX = std::min(minX, px);
        maxX = std::max(maxX, px);
        minY = std::min(minY, py);
        maxY = std::max(maxY, py);
    }

    const TRect<double> area(minX, minY, maxX - minX, maxY - minY);
    const TRect<double> clip(clipRect.mX, clipRect.mY, clipRect.mWidth, clipRect.mHeight);
    const TRect<double> result = area.Intersection(clip);
    if (result.mWidth <= 0.0 || result.mHeight <= 0.0) {
        return false;
    }
    bounds = result;
    return true;
}

} // namespace Lumo
