// The display host of a running program: the desktop's size, depth and
// refresh rate come from the video system when it runs (else the plain
// settings), the window's placement from the window itself. Where SDL has an
// accelerated renderer (a real display, not the dummy driver), the 3-D
// device is the GPU one, named and sized by its GL driver; elsewhere the
// reference device.
#pragma once

#include "platform/video/DisplayHost.h"

namespace Plat {

class SystemDisplayHost : public DisplayHost {
public:
    int DesktopWidth() override;
    int DesktopHeight() override;
    int DesktopBits() override;
    int MonitorFrequency() override;
    D3DHostInfo& D3D() override;
    bool VideoMemory(uint64_t& bytes) override;

private:
    // The desktop mode when the video system can tell it.
    bool QueryDesktop(int& width, int& height, int& bits, int& hz);
    // Looks for the GPU once the video system runs.
    void ProbeGpu();

    bool mProbed = false;
};

} // namespace Plat
