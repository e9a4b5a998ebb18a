// The surface stand-in: pixels in main memory, rows a padded pitch apart (the
// padding keeps a guard pattern, so that a stride bug shows), locked and
// unlocked, blitted with a nearest-pixel stretch and an optional source
// colour key, flipped with its attached back buffer. Whatever reaches the
// primary surface is handed to the host's presenter.
#pragma once

#include "platform/video/DisplayObject.h"
#include "platform/video/DisplayTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Plat {

class DisplayClipper;
class DisplayPalette;
class SurfaceObserver;
struct DisplayDeviceState;

class DisplaySurface : public DisplayObject {
public:
    // Bytes added after every row.
    static constexpr int kPitchPadding = 36;
    // The byte the padding holds.
    static constexpr uint8_t kPaddingByte = 0xA5;

    // Made by DisplayDevice::CreateSurface.
    DisplaySurface(std::shared_ptr<DisplayDeviceState> state, int width, int height,
                   const DisplayPixelFormat& format, uint32_t caps, uint64_t videoBytes);

    // ---- The calls of the original interface
    // Fills desc (caller's size kept) with the size, pitch, format, caps and,
    // for Lock, the pixel pointer of rect's top-left (the whole surface when null).
    HResult Lock(const DisplayRect* rect, SurfaceDesc* desc, uint32_t flags);
    HResult Unlock(const DisplayRect* rect);
    HResult GetSurfaceDesc(SurfaceDesc* desc);
    // destRect, srcRect: null for the whole surface. Stretches by nearest
    // pixel; kDdbltKeySrc skips source pixels within the source's key range;
    // kDdbltColorFill fills with fx->fillColor (no source).
    HResult Blt(const DisplayRect* destRect, DisplaySurface* source, const DisplayRect* srcRect, uint32_t flags,
                const BltFx* fx);
    // Swaps the pixels of the primary and its back buffer and presents them.
    HResult Flip(DisplaySurface* targetOverride, uint32_t flags);
    HResult GetAttachedSurface(uint32_t caps, DisplaySurface** surface);
    HResult SetColorKey(uint32_t flags, const DisplayColorKey* key);
    HResult GetColorKey(uint32_t flags, DisplayColorKey* key) const;
    HResult SetClipper(DisplayClipper* clipper);
    HResult SetPalette(DisplayPalette* palette);

    // ---- Read-outs for the display code's tests
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int Pitch() const { return mPitch; }
    int BytesPerPixel() const { return mBytesPerPixel; }
    uint32_t Caps() const { return mCaps; }
    const DisplayPixelFormat& PixelFormat() const { return mFormat; }
    bool IsLocked() const { return mLocked; }
    bool HasColorKey() const { return mHasColorKey; }
    DisplayClipper* Clipper() const { return mClipper; }
    DisplaySurface* BackBuffer() const { return mBackBuffer; }
    bool IsPrimary() const { return (mCaps & kDdscapsPrimarySurface) != 0; }
    // One pixel's value (low bits; zero-extended), without a lock: memory
    // only, so a GPU-drawn target needs a lock first to be read back.
    uint32_t ReadPixel(int x, int y) const;
    void WritePixel(int x, int y, uint32_t value);
    // True while every padding byte still holds kPaddingByte.
    bool PaddingIntact() const;
    // The pixel memory (Pitch() bytes a row) and the palette, for the 3-D
    // device that draws on the surface and samples it as a texture.
    uint8_t* PixelData() { return mPixels.data(); }
    DisplayPalette* Palette() const { return mPalette; }
    // Attaches a back buffer (one reference taken); for the flip chain.
    void AttachBackBuffer(DisplaySurface* backBuffer);
    // Observers of CPU access (not owned); each is added once.
    void AddObserver(SurfaceObserver* observer);
    void RemoveObserver(SurfaceObserver* observer);

private:
    ~DisplaySurface() override;

    uint8_t* Row(int y) { return mPixels.data() + static_cast<size_t>(y) * static_cast<size_t>(mPitch); }
    const uint8_t* Row(int y) const
    {
        return mPixels.data() + static_cast<size_t>(y) * static_cast<size_t>(mPitch);
    }
    void FillDesc(SurfaceDesc& desc) const;
    // The part of the surface that blits may write: the whole surface, or for
    // a primary with a clipper, the clipper window's client area on it.
    DisplayRect WritableArea() const;
    HResult ColorFill(const DisplayRect& dest, uint32_t color);
    // Shows the primary's visible part through the host's presenter.
    void Present();
    void NotifyReading();
    void NotifyWritten();

    std::shared_ptr<DisplayDeviceState> mState;
    int mWidth;
    int mHeight;
    int mBytesPerPixel;
    int mPitch;
    DisplayPixelFormat mFormat;
    uint32_t mCaps;
    uint64_t mVideoBytes; // counted against the device's video memory
    std::vector<uint8_t> mPixels;
    bool mLocked = false;
    bool mLockWrites = false; // the lock was not read-only
    std::vector<SurfaceObserver*> mObservers;
    bool mHasColorKey = false;
    DisplayColorKey mColorKey;
    DisplayClipper* mClipper = nullptr;  // one reference
    DisplayPalette* mPalette = nullptr;  // one reference
    DisplaySurface* mBackBuffer = nullptr; // one reference (flip chain)
};

} // namespace Plat
