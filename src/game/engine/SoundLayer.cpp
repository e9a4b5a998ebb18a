#include "game/engine/SoundLayer.h"

SoundLayer::~SoundLayer() = default;

bool SoundLayer::IsSoundOn() const
{
    return false;
}

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
