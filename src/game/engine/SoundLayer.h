// The game's sound layer as the engine sees it: samples found or loaded by
// name and played at a rate, two game volumes, pausing with the window focus
// and a cache of tracker music. This base class is the layer with sound off:
// nothing is found, played or returned. The real layer over the sound
// library derives from it; tests record what would be heard. Every
// operation takes a null entry and does nothing.
#pragma once

class MusicEntry;
class SampleEntry;

namespace Plat {
class Window;
}

// The frequency argument that keeps a sample's own rate.
constexpr int kDefaultSampleRate = -1;

class SoundLayer {
public:
    static constexpr int kInitialMusicVolume = 50;
    static constexpr int kInitialSoundVolume = 55;

    virtual ~SoundLayer();

    virtual bool IsSoundOn() const;
    // Starts the output once, on the loading thread before any sample is
    // asked for; when it cannot start the game runs silent.
    virtual void InitSound(Plat::Window* window);

    // The cached sample of that name with its flags replaced, else a newly
    // loaded one; null when sound is off or the file cannot be loaded.
    virtual SampleEntry* GetSample(const char* name, int loop, int music);
    // The cached sample of that name (exact, case-sensitive), or null.
    virtual SampleEntry* FindSample(const char* name);
    virtual void PlaySample(SampleEntry* entry, int frequency);
    // Percent of the game's volume; below 0 stops the channel.
    virtual void SetChannelVolume(SampleEntry* entry, float percent);
    // The channel of the last play; -1 with sound off.
    virtual int GetSampleChannel(SampleEntry* entry);
    virtual void FreeSample(SampleEntry* entry);
    virtual void FreeAllSamples();

    // Music and sound volumes, 0 to 100; -1 leaves one as it is. Channels
    // already playing keep their volume.
    virtual void SetVolumes(float music, float sound);
    virtual int GetMusicVolume() const;
    virtual int GetSoundVolume() const;

    // All output, on focus loss and gain.
    virtual void PauseSound();
    virtual void ResumeSound();

    // Tracker music found or loaded by name; null when off or unreadable.
    virtual MusicEntry* GetMusic(const char* name);
    virtual void PauseMusic(MusicEntry* entry);
    virtual void FreeAllMusic();
};
