#include "framework/sound/DSoundManager.h"

#include "framework/sound/DSoundInstance.h"
#include "platform/audio/AudioOutput.h"
#include "platform/system/Clock.h"
#include "platform/audio/SoundDevice.h"

#include <cmath>

namespace Lumo {

DSoundManager::DSoundManager(Plat::Window* window, bool useFMod) : mUseFMod(useFMod)
{
    mBaseVolumes.fill(1.0);
    mBasePans.fill(0);
    if (window == nullptr)
        return; // no framework sound: every instance is silent

    std::unique_ptr<Plat::SoundDevice> device;
    if (Plat::CreateSoundDevice(device) != Plat::kSoundOk || device == nullptr)
        return;
    mDirectSound = std::move(device);

    if (mUseFMod)
        StartFMod(window);

    if (mDirectSound->SetCooperativeLevel(window, Plat::kSoundLevelPriority) < 0) {
        mDirectSound->SetCooperativeLevel(window, Plat::kSoundLevelNormal);
        return;
    }
    Plat::SoundBufferDesc desc;
    desc.size = 20;
    desc.flags = Plat::kSoundBufferPrimary;
    if (mDirectSound->CreateSoundBuffer(desc, mPrimaryBuffer) == Plat::kSoundOk && mPrimaryBuffer != nullptr) {
        Plat::WaveFormat format;
        format.formatTag = Plat::kWaveFormatPcm;
        format.channels = 2;
        format.samplesPerSec = 44100;
        format.avgBytesPerSec = 176400;
        format.blockAlign = 4;
        format.bitsPerSample = 16;
        format.extraSize = 18;
        mPrimaryBuffer->SetFormat(format);
    }
}

DSoundManager::~DSoundManager()
{
    ReleaseChannels();
    for (std::unique_ptr<Plat::SoundBuffer>& source : mSourceSounds)
        source.reset();
    mPrimaryBuffer.reset();
    if (mDirectSound != nullptr) {
        if (mUseFMod)
            StopFMod();
        mDirectSound.reset();
        if (mUseFMod)
            ReleaseFMod();
    }
}

bool DSoundManager::Initialized()
{
    return mDirectSound != nullptr;
}

int DSoundManager::LoadSound(const std::string& fileName)
{
    // Only a loaded id answers for its name: a name left on a free id would
    // hand out an id with nothing in it.
    for (unsigned id = 0; id < kMaxSourceSounds; ++id) {
        if (mSourceSounds[id] != nullptr && mSourceFileNames[id] == fileName)
            return int(id);
    }
    int freeId = -1;
    for (int id = kMaxSourceSounds - 1; id >= 0; --id) {
        if (mSourceSounds[id] == nullptr) {
            freeId = id;
            break;
        }
    }
    if (freeId < 0)
        return -1;
    return LoadSound(unsigned(freeId), fileName) ? freeId : -1;
}

bool DSoundManager::LoadSound(unsigned int id, const std::string& fileName)
{
    if (id >= kMaxSourceSounds)
        return false;
    ReleaseSound(id);
    if (mDirectSound == nullptr)
        return true; // silent manager: nothing to load
    mSourceFileNames[id] = fileName;
    if (LoadFromSources(id, fileName))
        return true;
    mSourceSounds[id].reset();
    mSourceFileNames[id].clear();
    return false;
}

void DSoundManager::ReleaseSound(unsigned int id)
{
    if (id >= kMaxSourceSounds)
        return;
    mSourceSounds[id].reset();
    mSourceFileNames[id].clear();
}

void DSoundManager::SetVolume(double volume)
{
    mMasterVolume = volume;
    for (std::unique_ptr<DSoundInstance>& instance : mPlayingSounds) {
        if (instance != nullptr)
            instance->RehupVolume();
    }
}

bool DSoundManager::SetBaseVolume(unsigned int id, double volume)
{
    if (id >= kMaxSourceSounds)
        return false;
    mBaseVolumes[id] = volume;
    return true;
}

bool DSoundManager::SetBasePan(unsigned int id, int pan)
{
    if (id >= kMaxSourceSounds)
        return false;
    mBasePans[id] = pan;
    return true;
}

SoundInstance* DSoundManager::GetSoundInstance(unsigned int id)
{
    if (id >= kMaxSourceSounds)
        return nullptr;
    const int channel = FindFreeChannel();
    if (channel < 0)
        return nullptr;
    std::unique_ptr<DSoundInstance> instance;
    if (mDirectSound == nullptr) {
        instance = std::make_unique<DSoundInstance>(this, nullptr);
    } else {
        if (mSourceSounds[id] == nullptr)
            return nullptr;
        instance = std::make_unique<DSoundInstance>(this, mSourceSounds[id].get());
    }
    DSoundInstance* made = instance.get();
    mPlayingSounds[size_t(channel)] = std::move(instance);
    made->SetBasePan(mBasePans[id]);
    made->SetBaseVolume(mBaseVolumes[id]);
    return made;
}

void DSoundManager::ReleaseSounds()
{
    for (std::unique_ptr<Plat::SoundBuffer>& source : mSourceSounds)
        source.reset();
}

void DSoundManager::ReleaseChannels()
{
    for (std::unique_ptr<DSoundInstance>& instance : mPlayingSounds)
        instance.reset();
}

double DSoundManager::GetMasterVolume()
{
    return double(Plat::GetWaveOutVolume()) / 65535.0;
}

void DSoundManager::SetMasterVolume(double volume)
{
    const double value = volume * 65535.0;
    uint32_t setting = 0;
    if (value >= 65535.0)
        setting = 65535;
    else if (value > 0.0)
        setting = uint32_t(value);
    Plat::SetWaveOutVolume(setting);
}

void DSoundManager::Reserved() {}

void DSoundManager::SetCooperativeWindow(Plat::Window* window, bool /*isWindowed*/)
{
    if (mDirectSound != nullptr)
        mDirectSound->SetCooperativeLevel(window, Plat::kSoundLevelNormal);
}

void DSoundManager::StopAllSounds()
{
    // Stopping clears auto-release; put it back so that the next sweep
    // still reclaims those instances.
    for (std::unique_ptr<DSoundInstance>& instance : mPlayingSounds) {
        if (instance == nullptr)
            continue;
        const bool autoRelease = instance->GetAutoRelease();
        instance->Stop();
        instance->SetAutoRelease(autoRelease);
    }
}

int DSoundManager::GetFreeSoundId()
{
    for (unsigned id = 0; id < kMaxSourceSounds; ++id) {
        if (mSourceSounds[id] == nullptr)
            return int(id);
    }
    return -1;
}

int DSoundManager::GetNumSounds()
{
    int count = 0;
    for (const std::unique_ptr<Plat::SoundBuffer>& source : mSourceSounds) {
        if (source != nullptr)
            ++count;
    }
    return count;
}

Plat::SoundBuffer* DSoundManager::GetSourceBuffer(unsigned int id) const
{
    return id < kMaxSourceSounds ? mSourceSounds[id].get() : nullptr;
}

uint32_t DSoundManager::GetDataSize(unsigned int id) const
{
    return id < kMaxSourceSounds ? mSourceDataSizes[id] : 0;
}

const std::string& DSoundManager::GetFileName(unsigned int id) const
{
    static const std::string kNone;
    return id < kMaxSourceSounds ? mSourceFileNames[id] : kNone;
}

DSoundInstance* DSoundManager::GetChannel(unsigned int channel) const
{
    return channel < kMaxChannels ? mPlayingSounds[channel].get() : nullptr;
}

int DSoundManager::FindFreeChannel()
{
    const uint32_t now = Plat::GetClock().TickCount();
    if (now - mLastReleaseTick > 1000) {
        ReleaseFreeChannels();
        mLastReleaseTick = now;
    }
    for (unsigned k = 0; k < kMaxChannels; ++k) {
        if (mPlayingSounds[k] == nullptr)
            return int(k);
        if (mPlayingSounds[k]->IsReleased()) {
            mPlayingSounds[k].reset();
            return int(k);
        }
    }
    return -1;
}

void DSoundManager::ReleaseFreeChannels()
{
    for (std::unique_ptr<DSoundInstance>& instance : mPlayingSounds) {
        if (instance != nullptr && instance->IsReleased())
            instance.reset();
    }
}

bool DSoundManager::CreateSourceBuffer(unsigned int id, unsigned channels, uint32_t rate, unsigned bits,
                                       uint32_t dataSize, uint8_t*& data)
{
    data = nullptr;
    if (id >= kMaxSourceSounds || mDirectSound == nullptr)
        return false;
    mSourceSounds[id].reset();
    mSourceDataSizes[id] = dataSize;

    Plat::WaveFormat format;
    format.formatTag = Plat::kWaveFormatPcm;
    format.channels = uint16_t(channels);
    format.samplesPerSec = rate;
    format.bitsPerSample = uint16_t(bits);
    format.blockAlign = uint16_t(channels * bits / 8);
    format.avgBytesPerSec = format.blockAlign * rate;
    Plat::SoundBufferDesc desc;
    desc.size = 20;
    desc.flags = Plat::kSoundBufferStatic | Plat::kSoundBufferSoftware | Plat::kSoundBufferCtrlFrequency |
                 Plat::kSoundBufferCtrlPan | Plat::kSoundBufferCtrlVolume | Plat::kSoundBufferGlobalFocus;
    desc.bufferBytes = dataSize;
    desc.format = &format;
    std::unique_ptr<Plat::SoundBuffer> buffer;
    if (mDirectSound->CreateSoundBuffer(desc, buffer) != Plat::kSoundOk || buffer == nullptr)
        return false;

    void* part1 = nullptr;
    uint32_t bytes1 = 0;
    void* part2 = nullptr;
    uint32_t bytes2 = 0;
    if (buffer->Lock(0, dataSize, &part1, &bytes1, &part2, &bytes2, 0) != Plat::kSoundOk || bytes1 != dataSize)
        return false;
    mSourceSounds[id] = std::move(buffer);
    data = static_cast<uint8_t*>(part1);
    return true;
}

bool DSoundManager::FinishSourceBuffer(unsigned int id, uint8_t* data, bool complete)
{
    if (id >= kMaxSourceSounds || mSourceSounds[id] == nullptr)
        return false;
    const bool unlocked = mSourceSounds[id]->Unlock(data, mSourceDataSizes[id], nullptr, 0) == Plat::kSoundOk;
    if (unlocked && complete)
        return true;
    // A half-filled buffer is no sound: the id stays free.
    mSourceSounds[id].reset();
    return false;
}

} // namespace Lumo
