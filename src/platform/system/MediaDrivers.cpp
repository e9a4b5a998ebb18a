#include "platform/system/MediaDrivers.h"

#include <SDL.h>

namespace Plat {

namespace {
std::string Describe(const char* driver)
{
    SDL_version version;
    SDL_GetVersion(&version);
    return "SDL " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.patch) + " " + (driver != nullptr ? driver : "none");
}
} // namespace

std::string VideoDriverDescription()
{
    return Describe(SDL_GetCurrentVideoDriver());
}

std::string AudioDriverDescription()
{
    return Describe(SDL_GetCurrentAudioDriver());
}

void ReleaseThreadMediaState()
{
    SDL_TLSCleanup();
}

} // namespace Plat
