// The game's sound layer as the engine sees it: samples found or loaded by
// name and played at a rate. This base class is the layer with sound off:
// nothing is found, played or returned. The real layer over the sound
// library derives from it; tests record what would be heard.
#pragma once

class SampleEntry;

// The frequency argument that keeps a sample's own rate.
constexpr int kDefaultSampleRate = -1;

class SoundLayer {
public:
    virtual ~SoundLayer();

    virtual bool IsSoundOn() const;
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
};
