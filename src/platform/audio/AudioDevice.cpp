#include "platform/audio/AudioDevice.h"

#include "platform/audio/AudioMixer.h"

#include <SDL.h>

namespace Plat {

SdlAudioDevice::~SdlAudioDevice()
{
    Close();
}

bool SdlAudioDevice::Open(AudioMixer& mixer)
{
    if (mDevice != 0)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = int(kMixRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = &SdlAudioDevice::Fill;
    wanted.userdata = &mixer;
    SDL_AudioSpec obtained;
    // No changes allowed: SDL converts to whatever the card takes.
    mDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (mDevice == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(mDevice, 0);
    return true;
}

void SdlAudioDevice::Close()
{
    if (mDevice == 0)
        return;
    SDL_CloseAudioDevice(mDevice);
    mDevice = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudioDevice::Fill(void* mixer, uint8_t* stream, int length)
{
    static_cast<AudioMixer*>(mixer)->Render(reinterpret_cast<int16_t*>(stream), size_t(length) / 4);
}

} // namespace Plat
