// The application's choice of sound and music players.
#include "framework/app/LumoAppBase.h"

#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/FModMusicInterface.h"
#include "framework/sound/MusicInterface.h"
#include "platform/audio/BassLibrary.h"

namespace Lumo {

MusicInterface* LumoAppBase::CreateMusicInterface(Plat::Window* window)
{
    if (noSound)
        return new MusicInterface();
    if (useFMod)
        return new FModMusicInterface(window);
    // Our own BASS library is there unless a test took it away; without one
    // the player would end the program, so stay silent. With no sound card
    // the library does not start and every song stays silent.
    if (Plat::LoadBassLibrary(".\\bass.dll") == nullptr)
        return new MusicInterface();
    return new BassMusicInterface(window);
}

SoundManager* LumoAppBase::CreateSoundManager(Plat::Window* window, bool useFMod)
{
    return new DSoundManager(window, useFMod);
}

} // namespace Lumo
