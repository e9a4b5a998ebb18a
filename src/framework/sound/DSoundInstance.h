// One playing copy of a loaded sound: its own duplicate of the manager's
// source buffer, so the same sound can play several times at once with
// different volume, pan and pitch. Without a source it is silent and only
// keeps its settings.
#pragma once

#include "framework/sound/SoundInstance.h"

#include <cstdint>
#include <memory>

namespace Plat {
class SoundBuffer;
}

namespace Lumo {

class DSoundManager;

class DSoundInstance : public SoundInstance {
public:
    // Duplicates the source through the manager's device; a failed
    // duplicate ends the process.
    DSoundInstance(DSoundManager* manager, Plat::SoundBuffer* sourceSound);
    ~DSoundInstance() override;
    DSoundInstance(const DSoundInstance&) = delete;
    DSoundInstance& operator=(const DSoundInstance&) = delete;

    void Release() override;
    void SetBaseVolume(double volume) override;
    void SetBasePan(int pan) override;
    void AdjustPitch(double steps) override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    bool IsPlaying() override;
    bool IsReleased() override;
    double GetVolume() override;

    // Applies the volume law to manager volume x volume x base volume.
    void RehupVolume();
    // The volume law: a volume fraction as hundredths of a decibel,
    // (log10(1 + 9 v) - 1) x 2333 truncated; below -2000 it is silence.
    static int32_t VolumeToHundredths(double volume);

    // The instance's own buffer; null for a silent instance.
    Plat::SoundBuffer* GetBuffer() const { return mSoundBuffer.get(); }
    bool GetAutoRelease() const { return mAutoRelease; }
    void SetAutoRelease(bool autoRelease) { mAutoRelease = autoRelease; }

private:
    DSoundManager* mManager;
    Plat::SoundBuffer* mSourceSound;
    std::unique_ptr<Plat::SoundBuffer> mSoundBuffer;
    bool mAutoRelease = false;
    bool mHasPlayed = false;
    bool mReleased = false;
    int32_t mBasePan = 0;
    double mBaseVolume = 1.0;
    int32_t mPan = 0;
    double mVolume = 1.0;
    uint32_t mDefaultFrequency = 44100;
};

} // namespace Lumo
