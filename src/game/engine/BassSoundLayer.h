// The game's sound layer over the sound library: samples cached by name and
// read through the game's file functions, plays throttled to twelve starts
// in any 200 ms, the music and sound volumes, pausing with the window focus,
// and a cache of tracker music. Without an output, or with a library that
// lacks a function the layer calls, sound is off for the run and every
// operation answers null, false or -1.
#pragma once

#include "game/engine/SoundLayer.h"
#include "platform/audio/BassLibrary.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class BassSoundLayer : public SoundLayer {
public:
    // Starts within any window of this many milliseconds...
    static constexpr uint32_t kStartWindowMs = 200;
    // ...are at most this many.
    static constexpr int kStartsPerWindow = 12;
    // Channels one sample may play at once.
    static constexpr uint32_t kMaxPlaybacks = 32;

    // The library the platform gives for "bass.dll".
    BassSoundLayer();
    // Functions are looked up here; a missing one turns sound off.
    explicit BassSoundLayer(const Plat::BassLibrary* library);
    // Frees the samples and music still held; the output stays as it is.
    ~BassSoundLayer() override;
    BassSoundLayer(const BassSoundLayer&) = delete;
    BassSoundLayer& operator=(const BassSoundLayer&) = delete;

    bool IsSoundOn() const override;
    void InitSound(Plat::Window* window) override;

    SampleEntry* GetSample(const char* name, int loop, int music) override;
    SampleEntry* FindSample(const char* name) override;
    // Reads the named file whole and makes the entry's sample of it (freeing
    // one it held); false when sound is off or the file cannot be used.
    bool LoadSampleEntry(SampleEntry* entry, const char* name, int loop, int music);
    void PlaySample(SampleEntry* entry, int frequency) override;
    void SetChannelVolume(SampleEntry* entry, float percent) override;
    int GetSampleChannel(SampleEntry* entry) override;
    void FreeSample(SampleEntry* entry) override;
    void FreeAllSamples() override;

    void SetVolumes(float music, float sound) override;
    int GetMusicVolume() const override;
    int GetSoundVolume() const override;

    void PauseSound() override;
    void ResumeSound() override;

    MusicEntry* GetMusic(const char* name) override;
    void PauseMusic(MusicEntry* entry) override;
    void FreeAllMusic() override;

    size_t SampleCount() const { return mSamples.size(); }
    size_t MusicCount() const { return mMusic.size(); }

private:
    struct Functions {
        Plat::BASS_Init_New_t init = nullptr;
        Plat::BASS_ErrorGetCode_t errorGetCode = nullptr;
        Plat::BASS_Void_t start = nullptr;
        Plat::BASS_Void_t pause = nullptr;
        Plat::BASS_SampleLoad_t sampleLoad = nullptr;
        Plat::BASS_Channel_t sampleFree = nullptr;
        Plat::BASS_SampleGetChannel_t sampleGetChannel = nullptr;
        Plat::BASS_ChannelSetAttributes_t channelSetAttributes = nullptr;
        Plat::BASS_ChannelPlay_t channelPlay = nullptr;
        Plat::BASS_ChannelIsActive_t channelIsActive = nullptr;
        Plat::BASS_Channel_t channelStop = nullptr;
        Plat::BASS_Channel_t channelPause = nullptr;
        Plat::BASS_MusicLoad_New_t musicLoad = nullptr;
        Plat::BASS_Free_Handle_t musicFree = nullptr;
    };

    bool FetchFunctions(const Plat::BassLibrary* library);
    // Whether a play may start now; when it may, the start is counted.
    bool TakeStartSlot();
    void FreeSampleHandle(SampleEntry& entry);
    void FreeMusicHandle(MusicEntry& entry);

    Functions mBass;
    bool mLibraryComplete = false;
    // Written by the loading thread, read by the main thread.
    std::atomic<bool> mSoundOn{true};
    std::atomic<int> mMusicVolume{kInitialMusicVolume};
    std::atomic<int> mSoundVolume{kInitialSoundVolume};

    std::vector<std::unique_ptr<SampleEntry>> mSamples;
    std::vector<std::unique_ptr<MusicEntry>> mMusic;

    // Start times of the last twelve plays; a slot never used is free.
    std::array<uint32_t, kStartsPerWindow> mStartTimes{};
    std::array<bool, kStartsPerWindow> mStartUsed{};
    int mStartIndex = 0;
};
