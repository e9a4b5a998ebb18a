// The process's one sound output: one mixer behind one device, shared by
// everything that plays sound (the sound manager, the music players). Each
// user holds the output while it needs it; the device closes when the last
// one lets go. The system's wave-output volume is a gain on this output: the
// system's own mixer is never touched.
#pragma once

#include "platform/audio/AudioMixer.h"

#include <cstdint>
#include <memory>

namespace Plat {

class AudioDevice;

class AudioOutput {
public:
    // Use OpenAudioOutput.
    AudioOutput(AudioDevice* device, std::unique_ptr<AudioDevice> owned);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    AudioMixer& Mixer() { return mMixer; }

private:
    AudioMixer mMixer;
    AudioDevice* mDevice;
    std::unique_ptr<AudioDevice> mOwnedDevice;
};

// The output, opened on first use; null when no device can be opened (no
// sound card, a headless run): the caller then plays nothing.
std::shared_ptr<AudioOutput> OpenAudioOutput();

// Installs the device the output uses the next time it opens (null: SDL's);
// returns the previous one. Tests install an OfflineAudioDevice.
AudioDevice* SetAudioDevice(AudioDevice* device);

// The wave-output volume as the system mixer holds it, 0 to 65535; 65535 at
// start. Applied to the output as a gain of value / 65535.
uint32_t GetWaveOutVolume();
void SetWaveOutVolume(uint32_t value);

} // namespace Plat
