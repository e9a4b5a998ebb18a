// What a display device shares with the surfaces it made: the cooperative
// level and its window, the display mode, the primary surface and the video
// memory in use. Surfaces keep it alive, so a surface that outlives its
// device still works as plain memory.
#pragma once

#include "platform/video/DisplayTypes.h"

#include <cstdint>

namespace Plat {

class DisplaySurface;

struct DisplayDeviceState {
    uint32_t cooperativeLevel = 0; // kDdscl* flags; 0 before the first SetCooperativeLevel
    Window* window = nullptr;
    bool modeSet = false;
    int modeWidth = 0;
    int modeHeight = 0;
    int modeBits = 0;
    DisplaySurface* primary = nullptr; // not owned
    uint64_t videoMemoryUsed = 0;
    bool deviceAlive = true;
    int flipToGDICount = 0;

    bool IsFullScreen() const { return (cooperativeLevel & kDdsclExclusive) != 0; }
};

} // namespace Plat
