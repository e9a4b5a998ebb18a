// The display device stand-in and its creation entry points.
#include "platform/video/DisplayDevice.h"

#include "platform/video/D3DObject.h"
#include "platform/video/DisplayClipper.h"
#include "platform/video/DisplayDeviceState.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayPalette.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"

#include <algorithm>
#include <cstring>

namespace Plat {

namespace {

constexpr uint32_t kMaxSurfaceSide = 16384;

HResult CreateDevice(DisplayDevice** device, DisplayCall call)
{
    if (device == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *device = nullptr;
    const HResult fault = GetDisplayHost().CheckFault(call);
    if (Failed(fault)) {
        return fault;
    }
    *device = new DisplayDevice();
    return DD_OK;
}

HResult DirectDrawCreateEntry(DisplayDevice** device)
{
    return CreateDevice(device, DisplayCall::DirectDrawCreate);
}

HResult DirectDrawCreateExEntry(DisplayDevice** device)
{
    return CreateDevice(device, DisplayCall::DirectDrawCreateEx);
}

} // namespace

DisplayPixelFormat MakeDisplayFormat(int bits, bool rgb555)
{
    DisplayPixelFormat format;
    format.flags = kDdpfRgb;
    format.bitCount = static_cast<uint32_t>(bits);
    if (bits == 16) {
        format.redMask = rgb555 ? 0x7C00 : 0xF800;
        format.greenMask = rgb555 ? 0x3E0 : 0x7E0;
        format.blueMask = 0x1F;
    } else if (bits == 24 || bits == 32) {
        format.redMask = 0xFF0000;
        format.greenMask = 0xFF00;
        format.blueMask = 0xFF;
    } else if (bits == 8) {
        format.flags = kDdpfPaletteIndexed8;
    }
    return format;
}

DisplayCreateFunction LookupDisplayEntry(const char* name)
{
    if (name == nullptr) {
        return nullptr;
    }
    DisplayHost& host = GetDisplayHost();
    if (std::strcmp(name, "DirectDrawCreate") == 0 && host.HasEntry(name)) {
        return &DirectDrawCreateEntry;
    }
    if (std::strcmp(name, "DirectDrawCreateEx") == 0 && host.HasEntry(name)) {
        return &DirectDrawCreateExEntry;
    }
    return nullptr;
}

DisplayDevice::DisplayDevice() : mState(std::make_shared<DisplayDeviceState>()) {}

DisplayDevice::~DisplayDevice()
{
    mState->deviceAlive = false;
}

DisplayPixelFormat DisplayDevice::DisplayFormat() const
{
    DisplayHost& host = GetDisplayHost();
    const int bits = mState->modeSet ? mState->modeBits : host.DesktopBits();
    return MakeDisplayFormat(bits, host.desktop555);
}

HResult DisplayDevice::QueryInterface(DisplayDevice** device)
{
    if (device == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *device = nullptr;
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::QueryInterface);
    if (Failed(fault)) {
        return fault;
    }
    AddRef();
    *device = this;
    return DD_OK;
}

HResult DisplayDevice::QueryInterface(D3DObject** direct3D)
{
    if (direct3D == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *direct3D = nullptr;
    DisplayHost& host = GetDisplayHost();
    const HResult fault = host.CheckFault(DisplayCall::Direct3DQuery);
    if (Failed(fault)) {
        return fault;
    }
    if (!host.D3D().available) {
        return E_NOINTERFACE;
    }
    *direct3D = new D3DObject();
    return DD_OK;
}

HResult DisplayDevice::GetDeviceIdentifier(D3DIdentity* identity, uint32_t /*flags*/)
{
    if (identity == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    DisplayHost& host = GetDisplayHost();
    const HResult fault = host.CheckFault(DisplayCall::GetDeviceIdentifier);
    if (Failed(fault)) {
        return fault;
    }
    *identity = host.D3D().deviceIdentity;
    return DD_OK;
}

HResult DisplayDevice::SetCooperativeLevel(Window* window, uint32_t flags)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::SetCooperativeLevel);
    if (Failed(fault)) {
        return fault;
    }
    const bool exclusive = (flags & kDdsclExclusive) != 0;
    const bool fullScreen = (flags & kDdsclFullScreen) != 0;
    if (exclusive != fullScreen || (exclusive && (flags & kDdsclNormal) != 0)) {
        return DDERR_INVALIDPARAMS;
    }
    if (exclusive && window == nullptr) {
        return DDERR_NOHWND;
    }
    if (!exclusive && mState->IsFullScreen()) {
        // Leaving exclusive mode gives the desktop its own mode back.
        mState->modeSet = false;
    }
    mState->cooperativeLevel = flags;
    mState->window = window;
    return DD_OK;
}

HResult DisplayDevice::SetDisplayMode(int width, int height, int bits)
{
    DisplayHost& host = GetDisplayHost();
    const HResult fault = host.CheckFault(DisplayCall::SetDisplayMode);
    if (Failed(fault)) {
        return fault;
    }
    if (!mState->IsFullScreen()) {
        return DDERR_NOEXCLUSIVEMODE;
    }
    if (!host.SupportsMode(width, height, bits)) {
        return DDERR_INVALIDMODE;
    }
    mState->modeSet = true;
    mState->modeWidth = width;
    mState->modeHeight = height;
    mState->modeBits = bits;
    return DD_OK;
}

HResult DisplayDevice::RestoreDisplayMode()
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::RestoreDisplayMode);
    if (Failed(fault)) {
        return fault;
    }
    mState->modeSet = false;
    return DD_OK;
}

HResult DisplayDevice::CreateSurface(const SurfaceDesc& desc, DisplaySurface** surface)
{
    if (surface == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *surface = nullptr;
    DisplayHost& host = GetDisplayHost();
    const HResult fault = host.CheckFault(DisplayCall::CreateSurface);
    if (Failed(fault)) {
        return fault;
    }
    const uint32_t caps = (desc.flags & kDdsdCaps) != 0 ? desc.caps : 0;

    if ((caps & kDdscapsPrimarySurface) != 0) {
        if (mState->primary != nullptr) {
            return DDERR_PRIMARYSURFACEALREADYEXISTS;
        }
        if ((desc.flags & (kDdsdWidth | kDdsdHeight | kDdsdPixelFormat)) != 0) {
            return DDERR_INVALIDPARAMS;
        }
        const bool flipping = (caps & kDdscapsFlip) != 0;
        if (flipping && (!mState->IsFullScreen() || (desc.flags & kDdsdBackBufferCount) == 0 ||
                         desc.backBufferCount == 0 || (caps & kDdscapsComplex) == 0)) {
            return mState->IsFullScreen() ? DDERR_INVALIDPARAMS : DDERR_NOEXCLUSIVEMODE;
        }
        const int width = mState->modeSet ? mState->modeWidth : host.DesktopWidth();
        const int height = mState->modeSet ? mState->modeHeight : host.DesktopHeight();
        if (width <= 0 || height <= 0) {
            return DDERR_INVALIDMODE;
        }
        const DisplayPixelFormat format = DisplayFormat();
        const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * (format.bitCount / 8);
        const uint64_t needed = flipping ? 2 * bytes : bytes;
        if (mState->videoMemoryUsed + needed > host.videoMemoryBytes) {
            return DDERR_OUTOFVIDEOMEMORY;
        }
        mState->videoMemoryUsed += needed;
        DisplaySurface* primary = new DisplaySurface(mState, width, height, format,
                                                     caps | kDdscapsVideoMemory | kDdscapsFrontBuffer, bytes);
        if (flipping) {
            const uint32_t backCaps = (caps & ~(kDdscapsPrimarySurface | kDdscapsFrontBuffer)) |
                                      kDdscapsBackBuffer | kDdscapsVideoMemory;
            DisplaySurface* back = new DisplaySurface(mState, width, height, format, backCaps, bytes);
            primary->AttachBackBuffer(back);
            back->Release(); // the chain holds it
        }
        mState->primary = primary;
        *surface = primary;
        return DD_OK;
    }

    if ((desc.flags & (kDdsdWidth | kDdsdHeight)) != (kDdsdWidth | kDdsdHeight) || desc.width == 0 ||
        desc.height == 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (desc.width > kMaxSurfaceSide || desc.height > kMaxSurfaceSide) {
        return DDERR_TOOBIGSIZE;
    }
    DisplayPixelFormat format = DisplayFormat();
    if ((desc.flags & kDdsdPixelFormat) != 0) {
        format = desc.pixelFormat;
    }
    if (format.bitCount != 8 && format.bitCount != 16 && format.bitCount != 24 && format.bitCount != 32) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    uint64_t videoBytes = 0;
    uint32_t finalCaps = caps;
    if ((caps & kDdscapsVideoMemory) != 0) {
        videoBytes = static_cast<uint64_t>(desc.width) * desc.height * (format.bitCount / 8);
        if (mState->videoMemoryUsed + videoBytes > host.videoMemoryBytes) {
            return DDERR_OUTOFVIDEOMEMORY;
        }
        mState->videoMemoryUsed += videoBytes;
    } else {
        finalCaps |= kDdscapsSystemMemory;
    }
    DisplaySurface* created = new DisplaySurface(mState, static_cast<int>(desc.width), static_cast<int>(desc.height),
                                                 format, finalCaps, videoBytes);
    if ((desc.flags & kDdsdCkSrcBlt) != 0) {
        created->SetColorKey(kDdckeySrcBlt, &desc.srcBltKey);
    }
    *surface = created;
    return DD_OK;
}

HResult DisplayDevice::CreateClipper(uint32_t /*flags*/, DisplayClipper** clipper)
{
    if (clipper == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *clipper = nullptr;
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::CreateClipper);
    if (Failed(fault)) {
        return fault;
    }
    *clipper = new DisplayClipper();
    return DD_OK;
}

HResult DisplayDevice::CreatePalette(uint32_t /*flags*/, const uint32_t* entries, DisplayPalette** palette)
{
    if (palette == nullptr || entries == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *palette = nullptr;
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::CreatePalette);
    if (Failed(fault)) {
        return fault;
    }
    *palette = new DisplayPalette(entries);
    return DD_OK;
}

HResult DisplayDevice::FlipToGDISurface()
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::FlipToGDISurface);
    if (Failed(fault)) {
        return fault;
    }
    if (!mState->IsFullScreen()) {
        return DDERR_NOEXCLUSIVEMODE;
    }
    ++mState->flipToGDICount;
    return DD_OK;
}

HResult DisplayDevice::GetMonitorFrequency(uint32_t* hz)
{
    if (hz == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    DisplayHost& host = GetDisplayHost();
    const HResult fault = host.CheckFault(DisplayCall::GetMonitorFrequency);
    if (Failed(fault)) {
        return fault;
    }
    const int frequency = host.MonitorFrequency();
    if (frequency <= 0) {
        *hz = 0;
        return DDERR_UNSUPPORTED;
    }
    *hz = static_cast<uint32_t>(frequency);
    return DD_OK;
}

HResult DisplayDevice::WaitForVerticalBlank(uint32_t flags)
{
    DisplayHost& host = GetDisplayHost();
    const HResult fault = host.CheckFault(DisplayCall::WaitForVerticalBlank);
    if (Failed(fault)) {
        return fault;
    }
    if ((flags & kDdwaitvbBlockBegin) == 0) {
        return DDERR_INVALIDPARAMS;
    }
    host.WaitForVerticalBlank();
    return DD_OK;
}

HResult DisplayDevice::GetScanLine(uint32_t* line)
{
    if (line == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    DisplayHost& host = GetDisplayHost();
    const HResult fault = host.CheckFault(DisplayCall::GetScanLine);
    if (Failed(fault)) {
        return fault;
    }
    return host.ScanLine(*line);
}

HResult DisplayDevice::GetAvailableVidMem(uint32_t /*caps*/, uint32_t* total, uint32_t* free)
{
    DisplayHost& host = GetDisplayHost();
    const HResult fault = host.CheckFault(DisplayCall::GetAvailableVidMem);
    if (Failed(fault)) {
        return fault;
    }
    uint64_t all = 0;
    if (!host.VideoMemory(all)) {
        return DDERR_UNSUPPORTED;
    }
    const uint64_t used = mState->videoMemoryUsed < all ? mState->videoMemoryUsed : all;
    constexpr uint64_t kMost = 0xFFFFFFFFu;
    if (total != nullptr) {
        *total = static_cast<uint32_t>(std::min(all, kMost));
    }
    if (free != nullptr) {
        *free = static_cast<uint32_t>(std::min(all - used, kMost));
    }
    return DD_OK;
}

} // namespace Plat
