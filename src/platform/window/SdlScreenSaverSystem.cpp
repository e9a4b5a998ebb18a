#include "platform/window/SdlScreenSaverSystem.h"

#include <SDL.h>

#include <atomic>

namespace Plat {

namespace {

SdlScreenSaverSystem gSdlScreenSaverSystem;
std::atomic<ScreenSaverSystem*> gScreenSaverSystem{nullptr};

} // namespace

ScreenSaverSystem& GetScreenSaverSystem()
{
    ScreenSaverSystem* system = gScreenSaverSystem.load();
    return system != nullptr ? *system : gSdlScreenSaverSystem;
}

ScreenSaverSystem* SetScreenSaverSystem(ScreenSaverSystem* system)
{
    return gScreenSaverSystem.exchange(system);
}

bool SdlScreenSaverSystem::GetTimeout(uint32_t& /*seconds*/)
{
    // The desktops keep their timeouts in places of their own: unknown.
    return false;
}

bool SdlScreenSaverSystem::GetActive(bool& active)
{
    // Without video there is no window for a screen saver to cover; while
    // SDL holds the screen saver off, it cannot start over the game.
    active = SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_IsScreenSaverEnabled() == SDL_TRUE;
    return true;
}

bool SdlScreenSaverSystem::GetRunning(bool& /*running*/)
{
    return false;
}

bool SdlScreenSaverSystem::GetLastInputTick(uint32_t& /*tick*/)
{
    // No desktop-wide input time: the window's own input counts.
    return false;
}

ScreenSaverPasswordCheck SdlScreenSaverSystem::LoadPasswordCheck()
{
    // The desktop's locker guards the session itself; there is no check to
    // call before closing.
    return {};
}

} // namespace Plat
