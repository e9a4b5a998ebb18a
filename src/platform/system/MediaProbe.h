// Whether the video and audio sides can start: what the program checks at
// start-up before it opens a window or makes a sound. Behind it, SDL's video
// and audio subsystems; a started side stays up until it is stopped.
#pragma once

namespace Plat {

class MediaProbe {
public:
    virtual ~MediaProbe() = default;
    // Starts the video side; false when it cannot start. With no display and
    // no driver asked for, SDL's dummy driver is used (a headless run).
    virtual bool StartVideo() = 0;
    // Starts the audio side; false when it cannot start (no audio device).
    virtual bool StartAudio() = 0;
    // Stop what the matching start started.
    virtual void StopVideo() = 0;
    virtual void StopAudio() = 0;
};

class SdlMediaProbe : public MediaProbe {
public:
    bool StartVideo() override;
    bool StartAudio() override;
    void StopVideo() override;
    void StopAudio() override;
};

// The probe in use; SDL's unless a test installed another.
MediaProbe& GetMediaProbe();
// Installs a probe (null restores SDL's); returns the previous one.
MediaProbe* SetMediaProbe(MediaProbe* probe);

} // namespace Plat
