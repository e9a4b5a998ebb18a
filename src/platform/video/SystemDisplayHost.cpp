// Desktop answers from SDL's video subsystem.
#include "platform/video/SystemDisplayHost.h"

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

} // namespace Plat
