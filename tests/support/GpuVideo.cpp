// Video system and surfaces for the tests of the 3-D route.
#include "support/GpuVideo.h"

#include "platform/video/DisplayDevice.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace LumoTest {

bool StartGpuVideo(Plat::D3DGpuRenderer::Identity& identity, std::string& whyNot)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        whyNot = SDL_GetError();
        return false;
    }
    if (!Plat::D3DGpuRenderer::Probe(identity)) {
        whyNot = std::string("no accelerated renderer on the ") + SDL_GetCurrentVideoDriver() + " video driver";
        return false;
    }
    return true;
}

Plat::DisplaySurface* MakeSurface(Plat::DisplayDevice* display, int width, int height,
                                  const Plat::DisplayPixelFormat& format, uint32_t caps)
{
    Plat::SurfaceDesc desc;
    desc.size = Plat::kSurfaceDesc2Size;
    desc.flags = Plat::kDdsdCaps | Plat::kDdsdWidth | Plat::kDdsdHeight | Plat::kDdsdPixelFormat;
    desc.width = static_cast<uint32_t>(width);
    desc.height = static_cast<uint32_t>(height);
    desc.caps = caps;
    desc.pixelFormat = format;
    Plat::DisplaySurface* surface = nullptr;
    EXPECT_EQ(display->CreateSurface(desc, &surface), Plat::DD_OK);
    return surface;
}

} // namespace LumoTest
