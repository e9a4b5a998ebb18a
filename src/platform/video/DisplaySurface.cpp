// The surface stand-in: memory, locks, blits, flips and presentation.
#include "platform/video/DisplaySurface.h"

#include "platform/video/DisplayClipper.h"
#include "platform/video/DisplayDeviceState.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayPalette.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/FramePresenter.h"
#include "platform/video/SurfaceObserver.h"

#include <algorithm>
#include <cstring>

namespace Plat {

namespace {

uint32_t LoadPixel(const uint8_t* p, int bytes)
{
    switch (bytes) {
    case 1:
        return p[0];
    case 2:
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
    case 3:
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
    default:
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
               static_cast<uint32_t>(p[3]) << 24;
    }
}

void StorePixel(uint8_t* p, int bytes, uint32_t value)
{
    for (int i = 0; i < bytes; ++i) {
        p[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

DisplayRect Intersect(const DisplayRect& a, const DisplayRect& b)
{
    DisplayRect r;
    r.left = std::max(a.left, b.left);
    r.top = std::max(a.top, b.top);
    r.right = std::min(a.right, b.right);
    r.bottom = std::min(a.bottom, b.bottom);
    if (r.right < r.left) {
        r.right = r.left;
    }
    if (r.bottom < r.top) {
        r.bottom = r.top;
    }
    return r;
}

bool Inside(const DisplayRect& r, const DisplayRect& bounds)
{
    return r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right && r.bottom <= bounds.bottom;
}

bool SameFormat(const DisplayPixelFormat& a, const DisplayPixelFormat& b)
{
    return a.bitCount == b.bitCount && a.redMask == b.redMask && a.greenMask == b.greenMask &&
           a.blueMask == b.blueMask;
}

} // namespace

DisplaySurface::DisplaySurface(std::shared_ptr<DisplayDeviceState> state, int width, int height,
                               const DisplayPixelFormat& format, uint32_t caps, uint64_t videoBytes)
    : mState(std::move(state)),
      mWidth(width),
      mHeight(height),
      mBytesPerPixel(static_cast<int>(format.bitCount / 8)),
      mFormat(format),
      mCaps(caps),
      mVideoBytes(videoBytes)
{
    const int rowBytes = (width * mBytesPerPixel + 3) & ~3;
    mPitch = rowBytes + kPitchPadding;
    mPixels.assign(static_cast<size_t>(mPitch) * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        std::memset(Row(y) + width * mBytesPerPixel, kPaddingByte,
                    static_cast<size_t>(mPitch - width * mBytesPerPixel));
    }
}

DisplaySurface::~DisplaySurface()
{
    // An observer may remove itself while told.
    const std::vector<SurfaceObserver*> observers = mObservers;
    for (SurfaceObserver* observer : observers) {
        observer->SurfaceGone(*this);
    }
    if (mBackBuffer != nullptr) {
        mBackBuffer->Release();
    }
    if (mClipper != nullptr) {
        mClipper->Release();
    }
    if (mPalette != nullptr) {
        mPalette->Release();
    }
    if (mState->primary == this) {
        mState->primary = nullptr;
    }
    mState->videoMemoryUsed -= std::min(mState->videoMemoryUsed, mVideoBytes);
}

void DisplaySurface::FillDesc(SurfaceDesc& desc) const
{
    desc.flags = kDdsdCaps | kDdsdWidth | kDdsdHeight | kDdsdPitch | kDdsdPixelFormat;
    desc.width = static_cast<uint32_t>(mWidth);
    desc.height = static_cast<uint32_t>(mHeight);
    desc.pitch = mPitch;
    desc.pixelFormat = mFormat;
    desc.caps = mCaps;
    desc.backBufferCount = mBackBuffer != nullptr ? 1 : 0;
    desc.srcBltKey = mColorKey;
    if (mHasColorKey) {
        desc.flags |= kDdsdCkSrcBlt;
    }
    desc.surface = nullptr;
}

HResult DisplaySurface::Lock(const DisplayRect* rect, SurfaceDesc* desc, uint32_t flags)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::Lock);
    if (Failed(fault)) {
        return fault;
    }
    if (desc == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if (mLocked) {
        return DDERR_SURFACEBUSY;
    }
    const DisplayRect bounds{0, 0, mWidth, mHeight};
    if (rect != nullptr && (rect->Width() <= 0 || rect->Height() <= 0 || !Inside(*rect, bounds))) {
        return DDERR_INVALIDRECT;
    }
    FillDesc(*desc);
    desc->flags |= kDdsdLpSurface;
    uint8_t* start = mPixels.data();
    if (rect != nullptr) {
        start = Row(rect->top) + rect->left * mBytesPerPixel;
    }
    NotifyReading();
    desc->surface = start;
    mLocked = true;
    mLockWrites = (flags & kDdlockReadOnly) == 0;
    return DD_OK;
}

HResult DisplaySurface::Unlock(const DisplayRect* /*rect*/)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::Unlock);
    if (Failed(fault)) {
        return fault;
    }
    if (!mLocked) {
        return DDERR_NOTLOCKED;
    }
    mLocked = false;
    if (mLockWrites) {
        NotifyWritten();
    }
    return DD_OK;
}

HResult DisplaySurface::GetSurfaceDesc(SurfaceDesc* desc)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::GetSurfaceDesc);
    if (Failed(fault)) {
        return fault;
    }
    if (desc == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    FillDesc(*desc);
    return DD_OK;
}

DisplayRect DisplaySurface::WritableArea() const
{
    DisplayRect area{0, 0, mWidth, mHeight};
    if (IsPrimary() && mClipper != nullptr && mClipper->ClipWindow() != nullptr && !mState->IsFullScreen()) {
        DisplayHost& host = GetDisplayHost();
        int x = 0;
        int y = 0;
        int w = 0;
        int h = 0;
        host.ClientOrigin(mClipper->ClipWindow(), x, y);
        host.ClientSize(mClipper->ClipWindow(), w, h);
        area = Intersect(area, DisplayRect{x, y, x + w, y + h});
    }
    return area;
}

HResult DisplaySurface::ColorFill(const DisplayRect& dest, uint32_t color)
{
    for (int y = dest.top; y < dest.bottom; ++y) {
        uint8_t* p = Row(y) + dest.left * mBytesPerPixel;
        for (int x = dest.left; x < dest.right; ++x, p += mBytesPerPixel) {
            StorePixel(p, mBytesPerPixel, color);
        }
    }
    return DD_OK;
}

HResult DisplaySurface::Blt(const DisplayRect* destRect, DisplaySurface* source, const DisplayRect* srcRect,
                            uint32_t flags, const BltFx* fx)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::Blt);
    if (Failed(fault)) {
        return fault;
    }
    if (mLocked || (source != nullptr && source->mLocked)) {
        return DDERR_SURFACEBUSY;
    }

    const DisplayRect bounds{0, 0, mWidth, mHeight};
    const DisplayRect dest = destRect != nullptr ? *destRect : bounds;
    if (dest.Width() <= 0 || dest.Height() <= 0) {
        return DDERR_INVALIDRECT;
    }
    // Without a clipper a rectangle must lie on the surface; with one it is
    // cut to the clipper's window.
    DisplayRect clipped = dest;
    if (mClipper != nullptr) {
        clipped = Intersect(dest, WritableArea());
    } else if (!Inside(dest, bounds)) {
        return DDERR_INVALIDRECT;
    }

    if ((flags & kDdbltColorFill) != 0) {
        if (fx == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        NotifyReading();
        ColorFill(clipped, fx->fillColor);
        NotifyWritten();
        if (IsPrimary()) {
            Present();
        }
        return DD_OK;
    }

    if (source == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    const DisplayRect srcBounds{0, 0, source->mWidth, source->mHeight};
    const DisplayRect src = srcRect != nullptr ? *srcRect : srcBounds;
    if (src.Width() <= 0 || src.Height() <= 0 || !Inside(src, srcBounds)) {
        return DDERR_INVALIDRECT;
    }
    if (!SameFormat(mFormat, source->mFormat)) {
        return DDERR_INVALIDPIXELFORMAT;
    }

    bool keyed = false;
    DisplayColorKey key;
    if ((flags & kDdbltKeySrcOverride) != 0) {
        if (fx == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        keyed = true;
        key = fx->srcKeyOverride;
    } else if ((flags & kDdbltKeySrc) != 0) {
        if (!source->mHasColorKey) {
            return DDERR_NOCOLORKEY;
        }
        keyed = true;
        key = source->mColorKey;
    }

    source->NotifyReading();
    NotifyReading();
    // A blit within one surface reads from a copy, so that overlapping
    // rectangles read the old pixels.
    const int bpp = mBytesPerPixel;
    std::vector<uint8_t> copy;
    const uint8_t* srcBase = source->mPixels.data();
    int srcPitch = source->mPitch;
    if (source == this) {
        copy = mPixels;
        srcBase = copy.data();
    }

    const int64_t destW = dest.Width();
    const int64_t destH = dest.Height();
    for (int y = clipped.top; y < clipped.bottom; ++y) {
        const int sy = src.top + static_cast<int>((y - dest.top) * static_cast<int64_t>(src.Height()) / destH);
        const uint8_t* srcRow = srcBase + static_cast<size_t>(sy) * static_cast<size_t>(srcPitch);
        uint8_t* out = Row(y) + clipped.left * bpp;
        for (int x = clipped.left; x < clipped.right; ++x, out += bpp) {
            const int sx = src.left + static_cast<int>((x - dest.left) * static_cast<int64_t>(src.Width()) / destW);
            const uint8_t* in = srcRow + sx * bpp;
            if (keyed) {
                const uint32_t value = LoadPixel(in, bpp);
                if (value >= key.low && value <= key.high) {
                    continue;
                }
            }
            std::memcpy(out, in, static_cast<size_t>(bpp));
        }
    }
    NotifyWritten();
    if (IsPrimary()) {
        Present();
    }
    return DD_OK;
}

HResult DisplaySurface::Flip(DisplaySurface* /*targetOverride*/, uint32_t /*flags*/)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::Flip);
    if (Failed(fault)) {
        return fault;
    }
    if (!IsPrimary() || mBackBuffer == nullptr) {
        return DDERR_NOTFLIPPABLE;
    }
    if (mLocked || mBackBuffer->mLocked) {
        return DDERR_SURFACEBUSY;
    }
    NotifyReading();
    mBackBuffer->NotifyReading();
    mPixels.swap(mBackBuffer->mPixels);
    NotifyWritten();
    mBackBuffer->NotifyWritten();
    Present();
    return DD_OK;
}

HResult DisplaySurface::GetAttachedSurface(uint32_t caps, DisplaySurface** surface)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::GetAttachedSurface);
    if (Failed(fault)) {
        return fault;
    }
    if (surface == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *surface = nullptr;
    if ((caps & kDdscapsBackBuffer) == 0 || mBackBuffer == nullptr) {
        return DDERR_NOTFOUND;
    }
    mBackBuffer->AddRef();
    *surface = mBackBuffer;
    return DD_OK;
}

HResult DisplaySurface::SetColorKey(uint32_t flags, const DisplayColorKey* key)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::SetColorKey);
    if (Failed(fault)) {
        return fault;
    }
    if ((flags & kDdckeySrcBlt) == 0) {
        return DDERR_INVALIDPARAMS;
    }
    mHasColorKey = key != nullptr;
    mColorKey = key != nullptr ? *key : DisplayColorKey{};
    return DD_OK;
}

HResult DisplaySurface::GetColorKey(uint32_t flags, DisplayColorKey* key) const
{
    if (key == nullptr || (flags & kDdckeySrcBlt) == 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (!mHasColorKey) {
        return DDERR_NOCOLORKEY;
    }
    *key = mColorKey;
    return DD_OK;
}

HResult DisplaySurface::SetClipper(DisplayClipper* clipper)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::SetClipper);
    if (Failed(fault)) {
        return fault;
    }
    if (clipper != nullptr) {
        clipper->AddRef();
    }
    if (mClipper != nullptr) {
        mClipper->Release();
    }
    mClipper = clipper;
    return DD_OK;
}

HResult DisplaySurface::SetPalette(DisplayPalette* palette)
{
    if (mFormat.bitCount != 8) {
        return DDERR_NOTPALETTIZED;
    }
    if (palette != nullptr) {
        palette->AddRef();
    }
    if (mPalette != nullptr) {
        mPalette->Release();
    }
    mPalette = palette;
    return DD_OK;
}

uint32_t DisplaySurface::ReadPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) {
        return 0;
    }
    return LoadPixel(Row(y) + x * mBytesPerPixel, mBytesPerPixel);
}

void DisplaySurface::WritePixel(int x, int y, uint32_t value)
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) {
        return;
    }
    NotifyReading();
    StorePixel(Row(y) + x * mBytesPerPixel, mBytesPerPixel, value);
    NotifyWritten();
}

void DisplaySurface::AddObserver(SurfaceObserver* observer)
{
    if (observer != nullptr && std::find(mObservers.begin(), mObservers.end(), observer) == mObservers.end()) {
        mObservers.push_back(observer);
    }
}

void DisplaySurface::RemoveObserver(SurfaceObserver* observer)
{
    mObservers.erase(std::remove(mObservers.begin(), mObservers.end(), observer), mObservers.end());
}

void DisplaySurface::NotifyReading()
{
    for (SurfaceObserver* observer : mObservers) {
        observer->SurfaceReading(*this);
    }
}

void DisplaySurface::NotifyWritten()
{
    for (SurfaceObserver* observer : mObservers) {
        observer->SurfaceWritten(*this);
    }
}

bool DisplaySurface::PaddingIntact() const
{
    const int used = mWidth * mBytesPerPixel;
    for (int y = 0; y < mHeight; ++y) {
        const uint8_t* row = Row(y);
        for (int i = used; i < mPitch; ++i) {
            if (row[i] != kPaddingByte) {
                return false;
            }
        }
    }
    return true;
}

void DisplaySurface::AttachBackBuffer(DisplaySurface* backBuffer)
{
    if (backBuffer != nullptr) {
        backBuffer->AddRef();
    }
    if (mBackBuffer != nullptr) {
        mBackBuffer->Release();
    }
    mBackBuffer = backBuffer;
}

void DisplaySurface::Present()
{
    PixelLayout layout;
    if (mFormat.bitCount == 32 && mFormat.redMask == 0xFF0000 && mFormat.greenMask == 0xFF00 &&
        mFormat.blueMask == 0xFF) {
        layout = PixelLayout::Xrgb8888;
    } else if (mFormat.bitCount == 16 && mFormat.greenMask == 0x7E0) {
        layout = PixelLayout::Rgb565;
    } else if (mFormat.bitCount == 16 && mFormat.greenMask == 0x3E0) {
        layout = PixelLayout::Rgb555;
    } else {
        return; // no such desktop format is shown
    }
    const DisplayRect area = WritableArea();
    if (area.Width() <= 0 || area.Height() <= 0) {
        return;
    }
    const uint8_t* start = Row(area.top) + area.left * mBytesPerPixel;
    GetDisplayHost().Presenter().Present(start, mPitch, layout, area.Width(), area.Height());
}

} // namespace Plat
