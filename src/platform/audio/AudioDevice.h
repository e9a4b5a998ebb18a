// Where the mixer's output goes. The sound card through SDL's audio, which
// pulls frames from the mixer on its own thread; tests use an offline device
// that renders into memory (OfflineAudioDevice.h).
#pragma once

#include <cstdint>

namespace Plat {

class AudioMixer;

class AudioDevice {
public:
    virtual ~AudioDevice() = default;
    // Starts taking frames from the mixer (44.1 kHz, 16-bit stereo); false
    // when there is no output to be had.
    virtual bool Open(AudioMixer& mixer) = 0;
    // Stops taking frames; the mixer is not touched afterwards.
    virtual void Close() = 0;
};

// The default output device of SDL's audio subsystem, started and stopped
// with the device.
class SdlAudioDevice : public AudioDevice {
public:
    ~SdlAudioDevice() override;
    bool Open(AudioMixer& mixer) override;
    void Close() override;

private:
    static void Fill(void* mixer, uint8_t* stream, int length);
    uint32_t mDevice = 0; // SDL's device id, 0 when closed
};

} // namespace Plat
