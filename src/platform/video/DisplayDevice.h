// The display device stand-in (what the display code knows as DirectDraw):
// cooperative level and display mode (recorded), surface, clipper and
// palette creation, flip to the desktop surface, monitor frequency,
// vertical blank and scan line, and video memory. Its answers about the
// machine come from the display host (DisplayHost.h); each call can be made
// to fail from there.
#pragma once

#include "platform/video/D3DTypes.h"
#include "platform/video/DisplayObject.h"
#include "platform/video/DisplayTypes.h"

#include <memory>

namespace Plat {

class D3DObject;
class DisplayClipper;
class DisplayPalette;
class DisplaySurface;
struct DisplayDeviceState;

class DisplayDevice : public DisplayObject {
public:
    DisplayDevice();

    // The other generation of the interface: the same object, one more reference.
    HResult QueryInterface(DisplayDevice** device);
    // The 3-D object on this device; E_NOINTERFACE when the host has no 3-D.
    HResult QueryInterface(D3DObject** direct3D);
    // The adapter's own identity (driver, description, GUID).
    HResult GetDeviceIdentifier(D3DIdentity* identity, uint32_t flags);
    // kDdsclNormal, or kDdsclExclusive | kDdsclFullScreen with a window.
    HResult SetCooperativeLevel(Window* window, uint32_t flags);
    // Needs the exclusive level; the mode must be one the host supports.
    HResult SetDisplayMode(int width, int height, int bits);
    HResult RestoreDisplayMode();
    // The primary takes the display mode's (or the desktop's) size and
    // format; other surfaces take the description's size and pixel format,
    // or the display's format when it gives none.
    HResult CreateSurface(const SurfaceDesc& desc, DisplaySurface** surface);
    HResult CreateClipper(uint32_t flags, DisplayClipper** clipper);
    HResult CreatePalette(uint32_t flags, const uint32_t* entries, DisplayPalette** palette);
    // Shows the desktop's buffer of a flipping primary again.
    HResult FlipToGDISurface();
    HResult GetMonitorFrequency(uint32_t* hz);
    HResult WaitForVerticalBlank(uint32_t flags);
    HResult GetScanLine(uint32_t* line);
    HResult GetAvailableVidMem(uint32_t caps, uint32_t* total, uint32_t* free);

    // ---- Read-outs for tests
    const DisplayDeviceState& State() const { return *mState; }

private:
    ~DisplayDevice() override;

    // The format of the display now: the mode's, else the desktop's.
    DisplayPixelFormat DisplayFormat() const;

    std::shared_ptr<DisplayDeviceState> mState;
};

// The two creation entry points of the display library, as found by name.
using DisplayCreateFunction = HResult (*)(DisplayDevice** device);
// "DirectDrawCreate" or "DirectDrawCreateEx"; null for any other name or
// when the host hides that entry point.
DisplayCreateFunction LookupDisplayEntry(const char* name);

// The pixel format of a display of that many bits (16: 5:6:5 unless
// rgb555; 24 and 32: 8:8:8).
DisplayPixelFormat MakeDisplayFormat(int bits, bool rgb555);

} // namespace Plat
