#include "game/engine/BassSoundLayer.h"

#include "game/engine/GameFile.h"
#include "game/engine/MusicEntry.h"
#include "game/engine/SampleEntry.h"
#include "platform/system/Clock.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kDevice = 1;
constexpr uint32_t kFirstRate = 44100;
constexpr uint32_t kSecondRate = 22050;
constexpr int kUnchanged = -1;
constexpr int kPanUnchanged = -101;
constexpr uint32_t kMusicFlags = Plat::kBassSampleLoop | Plat::kBassMusicRamp;
// Rates the library takes besides "unchanged" and "the sound's own" (0).
constexpr int kLowestRate = 100;
constexpr int kHighestRate = 192000;

// A volume the library takes: NaN is silence, the rest is cut to 0..100
// after dropping the fraction.
int ClampVolume(double value)
{
    if (std::isnan(value) || value <= 0.0)
        return 0;
    if (value >= 100.0)
        return 100;
    return static_cast<int>(value);
}

// The library refuses the whole attribute call for a rate it does not take,
// and the volume with it: such a rate plays at the sample's own.
int UsableRate(int frequency)
{
    if (frequency == kUnchanged || frequency == 0 || (frequency >= kLowestRate && frequency <= kHighestRate))
        return frequency;
    return kUnchanged;
}

template <typename T>
bool Fetch(const Plat::BassLibrary& library, const char* name, T& field)
{
    field = reinterpret_cast<T>(library.Find(name));
    return field != nullptr;
}

} // namespace

BassSoundLayer::BassSoundLayer() : BassSoundLayer(Plat::LoadBassLibrary("bass.dll")) {}

BassSoundLayer::BassSoundLayer(const Plat::BassLibrary* library)
{
    mLibraryComplete = FetchFunctions(library);
    if (!mLibraryComplete)
        mSoundOn.store(false);
}

BassSoundLayer::~BassSoundLayer()
{
    FreeAllSamples();
    FreeAllMusic();
}

bool BassSoundLayer::FetchFunctions(const Plat::BassLibrary* library)
{
    if (library == nullptr)
        return false;
    const Plat::BassLibrary& lib = *library;
    bool all = true;
    all &= Fetch(lib, "BASS_Init", mBass.init);
    all &= Fetch(lib, "BASS_ErrorGetCode", mBass.errorGetCode);
    all &= Fetch(lib, "BASS_Start", mBass.start);
    all &= Fetch(lib, "BASS_Pause", mBass.pause);
    all &= Fetch(lib, "BASS_SampleLoad", mBass.sampleLoad);
    all &= Fetch(lib, "BASS_SampleFree", mBass.sampleFree);
    all &= Fetch(lib, "BASS_SampleGetChannel", mBass.sampleGetChannel);
    all &= Fetch(lib, "BASS_ChannelSetAttributes", mBass.channelSetAttributes);
    all &= Fetch(lib, "BASS_ChannelPlay", mBass.channelPlay);
    all &= Fetch(lib, "BASS_ChannelIsActive", mBass.channelIsActive);
    all &= Fetch(lib, "BASS_ChannelStop", mBass.channelStop);
    all &= Fetch(lib, "BASS_ChannelPause", mBass.channelPause);
    all &= Fetch(lib, "BASS_MusicLoad", mBass.musicLoad);
    all &= Fetch(lib, "BASS_MusicFree", mBass.musicFree);
    return all;
}

bool BassSoundLayer::IsSoundOn() const
{
    return mSoundOn.load();
}

void BassSoundLayer::InitSound(Plat::Window* window)
{
    // A library without every function stays silent for the run.
    if (!mLibraryComplete)
        return;
    bool on = mBass.init(kDevice, kFirstRate, 0, window, nullptr) != 0 ||
              mBass.init(kDevice, kSecondRate, 0, window, nullptr) != 0 ||
              mBass.errorGetCode() == Plat::kBassErrorAlready;
    mSoundOn.store(on);
    if (on)
        mBass.start();
}

SampleEntry* BassSoundLayer::GetSample(const char* name, int loop, int music)
{
    if (!IsSoundOn() || name == nullptr)
        return nullptr;
    if (SampleEntry* found = FindSample(name)) {
        found->mLoop = loop;
        found->mMusic = music;
        return found;
    }
    mSamples.push_back(std::make_unique<SampleEntry>());
    SampleEntry* entry = mSamples.back().get();
    if (!LoadSampleEntry(entry, name, loop, music)) {
        mSamples.pop_back();
        return nullptr;
    }
    return entry;
}

SampleEntry* BassSoundLayer::FindSample(const char* name)
{
    if (!IsSoundOn() || name == nullptr)
        return nullptr;
    for (const std::unique_ptr<SampleEntry>& entry : mSamples)
        if (entry->mName == name)
            return entry.get();
    return nullptr;
}

bool BassSoundLayer::LoadSampleEntry(SampleEntry* entry, const char* name, int loop, int music)
{
    if (!IsSoundOn() || entry == nullptr || name == nullptr)
        return false;
    entry->mLoop = loop;
    entry->mMusic = music;
    FreeSampleHandle(*entry);
    size_t size = 0;
    std::unique_ptr<char[]> data = ReadWholeFile(name, size);
    if (data == nullptr)
        return false;
    entry->mSample = mBass.sampleLoad(1, data.get(), 0, static_cast<uint32_t>(size), kMaxPlaybacks,
                                      loop != 0 ? Plat::kBassSampleLoop : 0);
    if (entry->mSample == 0)
        return false;
    entry->mName = name;
    return true;
}

bool BassSoundLayer::TakeStartSlot()
{
    const uint32_t now = Plat::GetClock().TickCount();
    // Starts fill the slots in turn, so the next slot holds the oldest of the
    // last twelve: when that one is still inside the window, all are.
    const size_t next = size_t(mStartIndex);
    if (mStartUsed[next] && now - mStartTimes[next] <= kStartWindowMs)
        return false;
    mStartTimes[next] = now;
    mStartUsed[next] = true;
    mStartIndex = (mStartIndex + 1) % kStartsPerWindow;
    return true;
}

void BassSoundLayer::PlaySample(SampleEntry* entry, int frequency)
{
    if (!IsSoundOn() || entry == nullptr || !TakeStartSlot())
        return;
    const uint32_t channel = mBass.sampleGetChannel(entry->mSample, 0);
    entry->mChannel = static_cast<int>(channel);
    // Music starts silent and is brought up by SetChannelVolume.
    const int volume = entry->mMusic != 0 ? 0 : mSoundVolume.load();
    mBass.channelSetAttributes(channel, UsableRate(frequency), volume, 0);
    mBass.channelPlay(channel, 1);
    mBass.errorGetCode();
}

void BassSoundLayer::SetChannelVolume(SampleEntry* entry, float percent)
{
    if (!IsSoundOn() || entry == nullptr)
        return;
    const uint32_t channel = static_cast<uint32_t>(entry->mChannel);
    if (mBass.channelIsActive(channel) != Plat::kBassActivePlaying)
        return;
    if (percent < 0.0f) {
        mBass.channelStop(channel);
        return;
    }
    const int base = entry->mMusic != 0 ? mMusicVolume.load() : mSoundVolume.load();
    const double volume = std::isnan(percent) ? 0.0 : std::trunc(double(percent)) * base / 100.0;
    mBass.channelSetAttributes(channel, kUnchanged, ClampVolume(volume), kPanUnchanged);
}

int BassSoundLayer::GetSampleChannel(SampleEntry* entry)
{
    if (!IsSoundOn() || entry == nullptr)
        return -1;
    return entry->mChannel;
}

void BassSoundLayer::FreeSampleHandle(SampleEntry& entry)
{
    if (entry.mSample != 0 && IsSoundOn())
        mBass.sampleFree(entry.mSample);
    entry.mSample = 0;
}

void BassSoundLayer::FreeSample(SampleEntry* entry)
{
    const auto it = std::find_if(mSamples.begin(), mSamples.end(),
                                 [entry](const std::unique_ptr<SampleEntry>& held) { return held.get() == entry; });
    if (it == mSamples.end())
        return;
    FreeSampleHandle(**it);
    mSamples.erase(it);
}

void BassSoundLayer::FreeAllSamples()
{
    if (!IsSoundOn())
        return;
    for (const std::unique_ptr<SampleEntry>& entry : mSamples)
        FreeSampleHandle(*entry);
    mSamples.clear();
}

void BassSoundLayer::SetVolumes(float music, float sound)
{
    if (!IsSoundOn())
        return;
    if (music != -1.0f)
        mMusicVolume.store(ClampVolume(music));
    if (sound != -1.0f)
        mSoundVolume.store(ClampVolume(sound));
}

int BassSoundLayer::GetMusicVolume() const
{
    return mMusicVolume.load();
}

int BassSoundLayer::GetSoundVolume() const
{
    return mSoundVolume.load();
}

void BassSoundLayer::PauseSound()
{
    if (IsSoundOn())
        mBass.pause();
}

void BassSoundLayer::ResumeSound()
{
    if (IsSoundOn())
        mBass.start();
}

MusicEntry* BassSoundLayer::GetMusic(const char* name)
{
    if (!IsSoundOn() || name == nullptr)
        return nullptr;
    for (const std::unique_ptr<MusicEntry>& entry : mMusic)
        if (entry->mName == name)
            return entry.get();
    // Read through the game's file functions, so that music in the archive
    // is found like every other file.
    size_t size = 0;
    std::unique_ptr<char[]> data = ReadWholeFile(name, size);
    if (data == nullptr)
        return nullptr;
    const uint32_t music = mBass.musicLoad(1, data.get(), 0, static_cast<uint32_t>(size), kMusicFlags, 0);
    if (music == 0)
        return nullptr;
    mMusic.push_back(std::make_unique<MusicEntry>());
    MusicEntry* entry = mMusic.back().get();
    entry->mName = name;
    entry->mMusic = music;
    return entry;
}

void BassSoundLayer::PauseMusic(MusicEntry* entry)
{
    if (!IsSoundOn() || entry == nullptr || entry->mPaused != 0)
        return;
    mBass.channelPause(entry->mMusic);
    entry->mPaused = 1;
}

void BassSoundLayer::FreeMusicHandle(MusicEntry& entry)
{
    if (entry.mMusic != 0 && IsSoundOn())
        mBass.musicFree(entry.mMusic);
    entry.mMusic = 0;
}

void BassSoundLayer::FreeAllMusic()
{
    for (const std::unique_ptr<MusicEntry>& entry : mMusic)
        FreeMusicHandle(*entry);
    mMusic.clear();
}
