// The records and flag values of the display stand-in: surface descriptions,
// pixel formats, rectangles and the flags the display code passes, with the
// numeric values its callers use.
#pragma once

#include <cstdint>

namespace Plat {

class Window; // the window layer's; the display only passes it on

// Result of every display call: 0 (DD_OK) or a failure code (negative).
using HResult = int32_t;

inline bool Failed(HResult result)
{
    return result < 0;
}

// Left, top, right, bottom (right and bottom exclusive).
struct DisplayRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
};

struct DisplayColorKey {
    uint32_t low = 0;
    uint32_t high = 0;
};

struct DisplayPixelFormat {
    uint32_t flags = 0; // kDdpfRgb, kDdpfPaletteIndexed8, kDdpfAlphaPixels
    uint32_t bitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
};

// One description serves both generations of the interface; `size` tells
// which one the caller filled (kSurfaceDesc2Size or kSurfaceDescSize).
struct SurfaceDesc {
    uint32_t size = 0;
    uint32_t flags = 0; // kDdsd*
    uint32_t height = 0;
    uint32_t width = 0;
    int32_t pitch = 0;
    uint32_t backBufferCount = 0;
    uint32_t refreshRate = 0;
    uint32_t alphaBitDepth = 0;
    void* surface = nullptr; // the pixels while locked
    DisplayColorKey srcBltKey;
    DisplayPixelFormat pixelFormat;
    uint32_t caps = 0; // kDdscaps*
};

// Extra blit parameters.
struct BltFx {
    uint32_t size = 0;
    uint32_t fillColor = 0;         // with kDdbltColorFill
    DisplayColorKey srcKeyOverride; // with kDdbltKeySrcOverride
};

// Sizes of the original records, as callers fill the size field.
constexpr uint32_t kSurfaceDesc2Size = 124;
constexpr uint32_t kSurfaceDescSize = 108;
constexpr uint32_t kBltFxSize = 100;

// Description fields present.
constexpr uint32_t kDdsdCaps = 0x1;
constexpr uint32_t kDdsdHeight = 0x2;
constexpr uint32_t kDdsdWidth = 0x4;
constexpr uint32_t kDdsdPitch = 0x8;
constexpr uint32_t kDdsdBackBufferCount = 0x20;
constexpr uint32_t kDdsdAlphaBitDepth = 0x80;
constexpr uint32_t kDdsdLpSurface = 0x800;
constexpr uint32_t kDdsdPixelFormat = 0x1000;
constexpr uint32_t kDdsdCkSrcBlt = 0x10000;
constexpr uint32_t kDdsdRefreshRate = 0x40000;

// Surface capabilities.
constexpr uint32_t kDdscapsBackBuffer = 0x4;
constexpr uint32_t kDdscapsComplex = 0x8;
constexpr uint32_t kDdscapsFlip = 0x10;
constexpr uint32_t kDdscapsFrontBuffer = 0x20;
constexpr uint32_t kDdscapsOffscreenPlain = 0x40;
constexpr uint32_t kDdscapsPrimarySurface = 0x200;
constexpr uint32_t kDdscapsSystemMemory = 0x800;
constexpr uint32_t kDdscapsTexture = 0x1000;
constexpr uint32_t kDdscaps3DDevice = 0x2000;
constexpr uint32_t kDdscapsVideoMemory = 0x4000;

// Pixel format flags.
constexpr uint32_t kDdpfAlphaPixels = 0x1;
constexpr uint32_t kDdpfPaletteIndexed8 = 0x20;
constexpr uint32_t kDdpfRgb = 0x40;

// Lock flags.
constexpr uint32_t kDdlockWait = 0x1;
constexpr uint32_t kDdlockReadOnly = 0x10;
constexpr uint32_t kDdlockWriteOnly = 0x20;

// Blt flags.
constexpr uint32_t kDdbltColorFill = 0x400;
constexpr uint32_t kDdbltWait = 0x1000000;
constexpr uint32_t kDdbltKeySrc = 0x8000;
constexpr uint32_t kDdbltKeySrcOverride = 0x10000;

// Flip flags.
constexpr uint32_t kDdflipWait = 0x1;

// Cooperative levels.
constexpr uint32_t kDdsclFullScreen = 0x1;
constexpr uint32_t kDdsclNormal = 0x8;
constexpr uint32_t kDdsclExclusive = 0x10;

// Vertical blank waits.
constexpr uint32_t kDdwaitvbBlockBegin = 0x1;

// Colour key kinds.
constexpr uint32_t kDdckeySrcBlt = 0x8;

// Palette capabilities.
constexpr uint32_t kDdpcaps8Bit = 0x4;
constexpr uint32_t kDdpcapsAllow256 = 0x40;

} // namespace Plat
