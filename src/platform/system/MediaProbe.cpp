#include "platform/system/MediaProbe.h"

#include <SDL.h>

#include <atomic>
#include <cstdlib>

namespace Plat {

namespace {
SdlMediaProbe gSdlProbe;
std::atomic<MediaProbe*> gProbe{nullptr};
} // namespace

bool SdlMediaProbe::StartVideo()
{
    // No display and no driver chosen: run headless on the dummy driver, the
    // same code path with nothing shown. A display that cannot be reached
    // ends up there too.
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const bool driverChosen = driver != nullptr && driver[0] != '\0';
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool noDisplay = (x11 == nullptr || x11[0] == '\0') && (wayland == nullptr || wayland[0] == '\0');
    if (!driverChosen && noDisplay)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
        return true;
    if (driverChosen)
        return false;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool SdlMediaProbe::StartAudio()
{
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

void SdlMediaProbe::StopVideo()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlMediaProbe::StopAudio()
{
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

MediaProbe& GetMediaProbe()
{
    MediaProbe* probe = gProbe.load();
    return probe != nullptr ? *probe : gSdlProbe;
}

MediaProbe* SetMediaProbe(MediaProbe* probe)
{
    return gProbe.exchange(probe);
}

} // namespace Plat
