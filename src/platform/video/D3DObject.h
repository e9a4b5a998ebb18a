// The 3-D object of the display stand-in (what the display code knows as
// Direct3D 7), reached through DisplayDevice::QueryInterface: it makes the
// device that draws on a display surface. The device is the reference one,
// our own rasterizer over surface memory, or the GPU one when the display
// host's kind says so; the display host says what it claims to be.
#pragma once

#include "platform/video/D3DTypes.h"
#include "platform/video/DisplayObject.h"
#include "platform/video/DisplayTypes.h"

namespace Plat {

class D3DDevice;
class DisplaySurface;

class D3DObject : public DisplayObject {
public:
    D3DObject() = default;

    // A device drawing on target, which must be a 3-D device surface of a
    // format the device draws (16, 24 or 32 bits).
    HResult CreateDevice(DisplaySurface* target, D3DDevice** device);

private:
    ~D3DObject() override = default;
};

// The newer adapter query of the display library: the host's adapter
// identity, or a failure when the host has none.
HResult QueryAdapterIdentity(D3DIdentity* identity);

} // namespace Plat
