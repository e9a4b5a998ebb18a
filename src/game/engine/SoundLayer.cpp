#include "game/engine/SoundLayer.h"

SoundLayer::~SoundLayer() = default;

bool SoundLayer::IsSoundOn() const
{
    return false;
}

void SoundLayer::InitSound(Plat::Window* /*window*/) {}

SampleEntry* SoundLayer::GetSample(const char* /*name*/, int /*loop*/, int /*music*/)
{
    return nullptr;
}

SampleEntry* SoundLayer::FindSample(const char* /*name*/)
{
    return nullptr;
}

void SoundLayer::PlaySample(SampleEntry* /*entry*/, int /*frequency*/) {}

void SoundLayer::SetChannelVolume(SampleEntry* /*entry*/, float /*percent*/) {}

int SoundLayer::GetSampleChannel(SampleEntry* /*entry*/)
{
    return -1;
}

void SoundLayer::FreeSample(SampleEntry* /*entry*/) {}

void SoundLayer::FreeAllSamples() {}

void SoundLayer::SetVolumes(float /*music*/, float /*sound*/) {}

int SoundLayer::GetMusicVolume() const
{
    return kInitialMusicVolume;
}

int SoundLayer::GetSoundVolume() const
{
    return kInitialSoundVolume;
}

void SoundLayer::PauseSound() {}

void SoundLayer::ResumeSound() {}

MusicEntry* SoundLayer::GetMusic(const char* /*name*/)
{
    return nullptr;
}

void SoundLayer::PauseMusic(MusicEntry* /*entry*/) {}

void SoundLayer::FreeAllMusic() {}
