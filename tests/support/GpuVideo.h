// What the tests of the 3-D route need of the video system: SDL's video
// started once for a test program, with the GPU probed, and display
// surfaces made to order.
#pragma once

#include "platform/video/D3DGpuRenderer.h"
#include "platform/video/DisplayTypes.h"

#include <string>

namespace Plat {
class DisplayDevice;
class DisplaySurface;
} // namespace Plat

namespace LumoTest {

// Starts SDL's video system (left running: GL drivers do not all come back
// cleanly after being unloaded) and probes the GPU; false with the reason
// when there is no accelerated renderer.
bool StartGpuVideo(Plat::D3DGpuRenderer::Identity& identity, std::string& whyNot);

// A surface of the size, format and caps on the display device; a test
// failure and null when it cannot be made.
Plat::DisplaySurface* MakeSurface(Plat::DisplayDevice* display, int width, int height,
                                  const Plat::DisplayPixelFormat& format, uint32_t caps);

} // namespace LumoTest
