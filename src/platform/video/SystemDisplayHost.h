// The display host of a running program: the desktop's size, depth and
// refresh rate come from the video system when it runs (else the plain
// settings), the window's placement from the window itself.
#pragma once

#include "platform/video/DisplayHost.h"

namespace Plat {

class SystemDisplayHost : public DisplayHost {
public:
    int DesktopWidth() override;
    int DesktopHeight() override;
    int DesktopBits() override;
    int MonitorFrequency() override;

private:
    // The desktop mode when the video system can tell it.
    bool QueryDesktop(int& width, int& height, int& bits, int& hz);
};

} // namespace Plat
