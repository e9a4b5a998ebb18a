// The application's choice of sound and music players.
#include "framework/app/LumoAppBase.h"

#include "framework/services/BassMusicInterface.h"
#include "framework/services/DSoundManager.h"
#include "framework/services/MusicInterface.h"
#include "platform/BassLibrary.h"

namespace Lumo {

MusicInterface* LumoAppBase::CreateMusicInterface(Plat::Window* window)
{
    if (noSound)
        return new MusicInterface();
    // The FMOD music player is not built yet: its songs stay silent.
    if (useFMod)
        return new MusicInterface();
    // Without a BASS library the player would end the program; stay silent.
    if (Plat::LoadBassLibrary(".\\bass.dll") == nullptr)
        return new MusicInterface();
    return new BassMusicInterface(window);
}

SoundManager* LumoAppBase::CreateSoundManager(Plat::Window* window, bool useFMod)
{
    return new DSoundManager(window, useFMod);
}

} // namespace Lumo
