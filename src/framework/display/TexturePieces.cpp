// The renderer's side of texture pieces: piece sizes under the device's
// limits, texture formats, making textures, and each image's texture data.
#include "framework/display/D3DInterface.h"

#include "framework/display/DDInterface.h"
#include "framework/display/TextureData.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/core/CriticalSection.h"
#include "platform/video/DisplayDevice.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"

#include <algorithm>
#include <array>

namespace Lumo {

namespace {

int NextPowerOfTwo(int n)
{
    int p = 1;
    while (p < n && p < (1 << 30)) {
        p <<= 1;
    }
    return p;
}

bool IsPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

// For a size below 1024: one power-of-two piece size whose last, partial
// piece is under 64 or itself a power of two, so little texture is wasted.
const std::array<int, 1024>& PieceSizeTable()
{
    static const std::array<int, 1024> table = [] {
        std::array<int, 1024> sizes{};
        for (int n = 0; n < 1024; ++n) {
            const int p = NextPowerOfTwo(n);
            if (p - n <= 64) {
                sizes[size_t(n)] = p;
                continue;
            }
            int s = p / 2;
            while (n % s >= 64 && !IsPowerOfTwo(n % s)) {
                s /= 2;
            }
            sizes[size_t(n)] = s;
        }
        return sizes;
    }();
    return table;
}

} // namespace

void D3DInterface::GetGoodTextureSize(int& width, int& height, bool isEdge, bool mustFit, int hints)
{
    if ((hints & kTextureHintSmallPieces) != 0) {
        width = 64;
        height = 64;
        return;
    }
    const D3DTextureLimits& limits = gD3DLimits;
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (mustFit) {
        if (!isEdge && (hints & kTextureHintPowerOfTwo) == 0) {
            width = width < limits.maxWidth ? PieceSizeTable()[size_t(width)] : limits.maxWidth;
            height = height < limits.maxHeight ? PieceSizeTable()[size_t(height)] : limits.maxHeight;
        } else {
            width = width < limits.maxWidth ? NextPowerOfTwo(width) : limits.maxWidth;
            height = height < limits.maxHeight ? NextPowerOfTwo(height) : limits.maxHeight;
        }
    }
    width = std::max(width, limits.minWidth);
    height = std::max(height, limits.minHeight);
    const int64_t aspect = limits.maxAspect;
    if (height < width) {
        while (int64_t(width) > aspect * height) {
            height *= 2;
        }
    } else if (height > width) {
        while (int64_t(height) > aspect * width) {
            width *= 2;
        }
    }
}

int D3DInterface::ClassifyPixelFormat(const Plat::DisplayPixelFormat& format)
{
    const uint32_t rgbAlpha = Plat::kDdpfRgb | Plat::kDdpfAlphaPixels;
    if (format.flags == rgbAlpha && format.bitCount == 32 && format.alphaMask == 0xFF000000u &&
        format.redMask == 0xFF0000 && format.greenMask == 0xFF00 && format.blueMask == 0xFF) {
        return kTextureFormat8888;
    }
    if (format.flags == rgbAlpha && format.bitCount == 16 && format.alphaMask == 0xF000 && format.redMask == 0xF00 &&
        format.greenMask == 0xF0 && format.blueMask == 0xF) {
        return kTextureFormat4444;
    }
    if (format.flags == Plat::kDdpfRgb && format.bitCount == 16 && format.alphaMask == 0 &&
        format.redMask == 0xF800 && format.greenMask == 0x7E0 && format.blueMask == 0x1F) {
        return kTextureFormat565;
    }
    if (format.flags == (Plat::kDdpfRgb | Plat::kDdpfPaletteIndexed8) && format.bitCount == 8) {
        return kTextureFormatPalette8;
    }
    return kTextureFormatNone;
}

bool D3DInterface::CollectTextureFormat(const Plat::DisplayPixelFormat& format, void* context)
{
    *static_cast<int*>(context) |= ClassifyPixelFormat(format);
    return true;
}

Plat::DisplayPixelFormat D3DInterface::FillPixelFormat(int format)
{
    Plat::DisplayPixelFormat out;
    switch (format) {
    case kTextureFormat8888:
        out = {Plat::kDdpfRgb | Plat::kDdpfAlphaPixels, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
        break;
    case kTextureFormat4444:
        out = {Plat::kDdpfRgb | Plat::kDdpfAlphaPixels, 16, 0xF00, 0xF0, 0xF, 0xF000};
        break;
    case kTextureFormat565:
        out = {Plat::kDdpfRgb, 16, 0xF800, 0x7E0, 0x1F, 0};
        break;
    case kTextureFormatPalette8:
        out = {Plat::kDdpfRgb | Plat::kDdpfPaletteIndexed8, 8, 0, 0, 0, 0};
        break;
    default:
        break;
    }
    return out;
}

Plat::DisplaySurface* D3DInterface::CreateTexture(int width, int height, int format)
{
    if (mDD7 == nullptr) {
        CheckDXError(Plat::DDERR_NOTINITIALIZED, "CreateTexture");
        return nullptr;
    }
    Plat::SurfaceDesc desc;
    desc.size = Plat::kSurfaceDesc2Size;
    desc.flags = Plat::kDdsdCaps | Plat::kDdsdWidth | Plat::kDdsdHeight | Plat::kDdsdPixelFormat;
    desc.width = static_cast<uint32_t>(width);
    desc.height = static_cast<uint32_t>(height);
    desc.caps = Plat::kDdscapsTexture;
    desc.pixelFormat = FillPixelFormat(format);
    Plat::DisplaySurface* texture = nullptr;
    if (CheckDXError(mDD7->CreateSurface(desc, &texture), "CreateTexture")) {
        return nullptr;
    }
    return texture;
}

bool D3DInterface::CreateTextureData(MemoryImage* image)
{
    // Only an image of this display's application tells the display when it
    // goes; another would leave its texture data behind in the set.
    if (image == nullptr || (mDDInterface != nullptr && image->mApp != mDDInterface->mApp)) {
        return false;
    }
    TextureData* data = image->mTextureData;
    if (data == nullptr) {
        data = new TextureData();
        image->mTextureData = data;
        if (mDDInterface != nullptr) {
            AutoCrit lock(mDDInterface->mCritSect);
            mImages.insert(image);
        } else {
            mImages.insert(image);
        }
    }
    if (data->mCreateFailed) {
        return false;
    }
    if (data->mFormat == kTextureFormatNone || data->mImageWidth != image->mWidth ||
        data->mImageHeight != image->mHeight || data->mBitsVersion != image->mBitsVersion ||
        data->mHints != image->mTextureFlags) {
        data->CreateTextures(image, this);
    }
    if (data->mFormat != kTextureFormatNone && image->mPurgeBits) {
        image->PurgeBits();
    }
    return data->mFormat != kTextureFormatNone;
}

void D3DInterface::RemoveImageData(MemoryImage* image)
{
    if (image == nullptr || image->mTextureData == nullptr) {
        return;
    }
    delete image->mTextureData;
    image->mTextureData = nullptr;
    if (mDDInterface != nullptr) {
        AutoCrit lock(mDDInterface->mCritSect);
        mImages.erase(image);
    } else {
        mImages.erase(image);
    }
}

} // namespace Lumo
