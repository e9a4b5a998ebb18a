#include "platform/audio/OfflineAudioDevice.h"

#include "platform/audio/AudioMixer.h"

namespace Plat {

bool OfflineAudioDevice::Open(AudioMixer& mixer)
{
    if (!available)
        return false;
    mMixer = &mixer;
    ++mOpenCount;
    return true;
}

void OfflineAudioDevice::Close()
{
    mMixer = nullptr;
}

std::vector<int16_t> OfflineAudioDevice::Render(size_t frames)
{
    std::vector<int16_t> out(2 * frames, 0);
    if (mMixer != nullptr)
        mMixer->Render(out.data(), frames);
    return out;
}

} // namespace Plat
