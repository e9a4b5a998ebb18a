// The sound manager's use of the FMOD library: starting FSOUND beside the
// sound device and decoding ".mp3" sounds. The FMOD library object comes
// with the music players; until then these steps do nothing and ".mp3"
// sounds do not load.
#include "framework/services/DSoundManager.h"

namespace Lumo {

void DSoundManager::StartFMod(Plat::Window* /*window*/) {}

void DSoundManager::StopFMod() {}

void DSoundManager::ReleaseFMod() {}

bool DSoundManager::LoadFModSound(unsigned int /*id*/, const std::string& /*fileName*/)
{
    return false;
}

} // namespace Lumo
