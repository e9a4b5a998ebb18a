// The sound manager's use of the FMOD library: starting FSOUND beside the
// sound device, and decoding ".mp3" sounds (any format the library
// decodes) into a source buffer.
#include "framework/sound/DSoundManager.h"

#include <climits>

#include "framework/sound/FModInstance.h"

namespace Lumo {

void DSoundManager::StartFMod(Plat::Window* window)
{
    FMOD_INSTANCE* fmod = GetFModInstance();
    fmod->FSOUND_SetHWND(window);
    fmod->FSOUND_SetBufferSize(200);
    fmod->FSOUND_Init(44100, 64, 2);
}

void DSoundManager::StopFMod()
{
    if (FMOD_INSTANCE* fmod = PeekFModInstance())
        fmod->FSOUND_Close();
}

void DSoundManager::ReleaseFMod()
{
    ReleaseFModInstance();
}

bool DSoundManager::LoadFModSound(unsigned int id, const std::string& fileName)
{
    FMOD_INSTANCE* fmod = PeekFModInstance();
    if (!mUseFMod || fmod == nullptr || id >= kMaxSourceSounds)
        return false;
    Plat::FSoundSample* sample = fmod->FSOUND_Sample_Load(Plat::kFSoundFree, fileName.c_str(), 0, 0);
    if (sample == nullptr)
        return false;

    const FModSampleFormat format = GetFModSampleFormat(*fmod, sample);
    const uint64_t dataSize = format.DataBytes();
    uint8_t* data = nullptr;
    if (dataSize == 0 || dataSize > uint64_t(INT_MAX) || format.rate <= 0 ||
        !CreateSourceBuffer(id, format.channels, uint32_t(format.rate), format.bits, uint32_t(dataSize), data)) {
        fmod->FSOUND_Sample_Free(sample);
        return false;
    }

    // A sample that cannot be read out leaves no sound, not a silent one.
    const bool complete = CopyFModSample(*fmod, sample, data, uint32_t(dataSize));
    const bool loaded = FinishSourceBuffer(id, data, complete);
    fmod->FSOUND_Sample_Free(sample);
    return loaded;
}

} // namespace Lumo
