// Desktop answers from SDL's video subsystem.
#include "platform/video/SystemDisplayHost.h"

#include "platform/video/D3DGpuRenderer.h"

#include <SDL.h>

namespace Plat {

bool SystemDisplayHost::QueryDesktop(int& width, int& height, int& bits, int& hz)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return false;
    }
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        return false;
    }
    width = mode.w;
    height = mode.h;
    // XRGB8888 counts 24 bits of colour in 4 bytes: the pixel size counts.
    bits = static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * 8;
    hz = mode.refresh_rate;
    return true;
}

int SystemDisplayHost::DesktopWidth()
{
    int width = 0, height = 0, bits = 0, hz = 0;
    return QueryDesktop(width, height, bits, hz) ? width : desktopWidth;
}

int SystemDisplayHost::DesktopHeight()
{
    int width = 0, height = 0, bits = 0, hz = 0;
    return QueryDesktop(width, height, bits, hz) ? height : desktopHeight;
}

int SystemDisplayHost::DesktopBits()
{
    int width = 0, height = 0, bits = 0, hz = 0;
    return QueryDesktop(width, height, bits, hz) ? bits : desktopBits;
}

int SystemDisplayHost::MonitorFrequency()
{
    int width = 0, height = 0, bits = 0, hz = 0;
    return QueryDesktop(width, height, bits, hz) ? hz : monitorHz;
}

void SystemDisplayHost::ProbeGpu()
{
    if (mProbed || SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    mProbed = true;
    D3DGpuRenderer::Identity identity;
    if (!D3DGpuRenderer::Probe(identity)) {
        return;
    }
    d3d.kind = D3DDeviceKind::kGpu;
    // No palette textures on the GPU: palette images go up as 8888.
    d3d.formats = kD3dFormat8888 | kD3dFormat4444 | kD3dFormat565;
    d3d.caps.textureCaps = kD3dptexturecapsNonPow2Conditional;
    d3d.caps.maxTextureWidth = static_cast<uint32_t>(identity.maxTextureWidth);
    d3d.caps.maxTextureHeight = static_cast<uint32_t>(identity.maxTextureHeight);
    d3d.hasAdapterIdentity = false;
    d3d.deviceIdentity = D3DIdentity{identity.library, identity.renderer, identity.guid};
    videoMemoryKnown = identity.hasVideoMemory;
    videoMemoryBytes = identity.videoMemoryBytes;
}

D3DHostInfo& SystemDisplayHost::D3D()
{
    ProbeGpu();
    return d3d;
}

bool SystemDisplayHost::VideoMemory(uint64_t& bytes)
{
    ProbeGpu();
    return DisplayHost::VideoMemory(bytes);
}

} // namespace Plat
