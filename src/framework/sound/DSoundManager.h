// The sound manager over the platform's sound device: 256 source ids, each
// holding one decoded sound in a buffer with a base volume and pan, and 32
// channels of instances that duplicate those buffers. Loading sounds from
// files, from the cached WAV and from the data cache is in
// DSoundManagerLoading.cpp; the parts that need the FMOD library are in
// DSoundManagerFMod.cpp.
#pragma once

#include "framework/sound/SoundManager.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace Plat {
class SoundBuffer;
class SoundDevice;
} // namespace Plat

namespace Lumo {

class DSoundInstance;

class DSoundManager : public SoundManager {
public:
    static constexpr unsigned kMaxSourceSounds = 256;
    static constexpr unsigned kMaxChannels = 32;
    // The key byte of the cached WAV's "xor " chunk.
    static constexpr uint8_t kCachedWAVKey = 0x5A;

    // Without a window the manager has no device and its instances are
    // silent. useFMod lets ".mp3" sounds load through FMOD.
    DSoundManager(Plat::Window* window, bool useFMod);
    ~DSoundManager() override;
    DSoundManager(const DSoundManager&) = delete;
    DSoundManager& operator=(const DSoundManager&) = delete;

    bool Initialized() override;
    int LoadSound(const std::string& fileName) override;
    bool LoadSound(unsigned int id, const std::string& fileName) override;
    void ReleaseSound(unsigned int id) override;
    void SetVolume(double volume) override;
    bool SetBaseVolume(unsigned int id, double volume) override;
    bool SetBasePan(unsigned int id, int pan) override;
    SoundInstance* GetSoundInstance(unsigned int id) override;
    void ReleaseSounds() override;
    void ReleaseChannels() override;
    double GetMasterVolume() override;
    void SetMasterVolume(double volume) override;
    void Reserved() override;
    void SetCooperativeWindow(Plat::Window* window, bool isWindowed) override;
    void StopAllSounds() override;
    int GetFreeSoundId() override;
    int GetNumSounds() override;

    // ---- Loaders: each fills the id's source buffer and data size.

    bool ReadSoundFromCache(unsigned int id, const std::string& soundName);
    bool WriteSoundToCache(unsigned int id, const std::string& soundName);
    // Plain and cached WAV files.
    bool ReadWAVFile(unsigned int id, const std::string& fileName);
    bool WriteCachedWAV(unsigned int id, const std::string& cachedName, const std::string& sourceName);
    bool LoadFModSound(unsigned int id, const std::string& fileName);
    bool LoadOGGSound(unsigned int id, const std::string& fileName);
    bool LoadAUSound(unsigned int id, const std::string& fileName);

    // Where the decoded copy of a sound goes: the application-data folder's
    // "cached\\" folder mirroring the sound's path, + ".wav". Empty for names
    // that cannot be mirrored there (absolute, with a drive, or climbing out
    // through "..").
    static std::string CachedWAVName(const std::string& soundName);

    // ---- For the instances and for inspection

    double MasterVolumeFactor() const { return mMasterVolume; }
    Plat::SoundDevice* Device() const { return mDirectSound.get(); }
    Plat::SoundBuffer* GetSourceBuffer(unsigned int id) const;
    uint32_t GetDataSize(unsigned int id) const;
    const std::string& GetFileName(unsigned int id) const;
    // The channel's instance, or null.
    DSoundInstance* GetChannel(unsigned int channel) const;

    // A free channel: sweeps finished instances when more than 1000 ms have
    // passed since the last sweep, then takes the first empty or released
    // channel; -1 when every channel is in use.
    int FindFreeChannel();
    void ReleaseFreeChannels();

    // Makes the id's source buffer for N bytes of PCM (records N as its data
    // size) and locks it whole; false, with no buffer kept, when either
    // fails or the format is not one the device plays.
    bool CreateSourceBuffer(unsigned int id, unsigned channels, uint32_t rate, unsigned bits, uint32_t dataSize,
                            uint8_t*& data);
    // Unlocks the id's source buffer; false (and the buffer dropped) when
    // the unlock fails or `complete` is false.
    bool FinishSourceBuffer(unsigned int id, uint8_t* data, bool complete);

private:
    // The FMOD library's start and end (DSoundManagerFMod.cpp): StartFMod
    // takes a reference to the library and starts FSOUND for the window;
    // StopFMod closes FSOUND, then (after the device is gone) ReleaseFMod
    // drops the reference.
    void StartFMod(Plat::Window* window);
    void StopFMod();
    void ReleaseFMod();
    bool LoadFromSources(unsigned int id, const std::string& name);

    std::array<std::unique_ptr<Plat::SoundBuffer>, kMaxSourceSounds> mSourceSounds;
    std::array<std::string, kMaxSourceSounds> mSourceFileNames;
    std::unique_ptr<Plat::SoundBuffer> mPrimaryBuffer;
    std::array<uint32_t, kMaxSourceSounds> mSourceDataSizes{};
    std::array<double, kMaxSourceSounds> mBaseVolumes;
    std::array<int32_t, kMaxSourceSounds> mBasePans;
    std::array<std::unique_ptr<DSoundInstance>, kMaxChannels> mPlayingSounds;
    double mMasterVolume = 1.0;
    uint32_t mLastReleaseTick = 0;
    std::unique_ptr<Plat::SoundDevice> mDirectSound;
    bool mUseFMod;
};

} // namespace Lumo
