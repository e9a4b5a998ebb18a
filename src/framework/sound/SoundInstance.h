// One playing copy of a loaded sound effect, as the sound manager's callers
// hold it: play, stop, pitch, pan and volume. The manager owns it; the
// holder calls Release when done and the manager reclaims its channel.
#pragma once

namespace Lumo {

class SoundInstance {
public:
    virtual ~SoundInstance();

    // Stops the sound and gives the instance back to the manager.
    virtual void Release() = 0;
    virtual void SetBaseVolume(double volume) = 0;
    // Pans are in hundredths of a decibel, -10000 (left) to 10000 (right).
    virtual void SetBasePan(int pan) = 0;
    // Semitones up (positive) or down from the sound's own pitch.
    virtual void AdjustPitch(double steps) = 0;
    virtual void SetVolume(double volume) = 0;
    virtual void SetPan(int pan) = 0;
    // Starts from the beginning; auto-release gives the instance back by
    // itself once it has finished.
    virtual bool Play(bool looping, bool autoRelease) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    virtual bool IsReleased() = 0;
    virtual double GetVolume() = 0;
};

} // namespace Lumo
