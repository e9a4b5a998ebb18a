// The sound card of tests: nothing plays in the background; the test asks
// for the next frames and gets what a card would have played.
#pragma once

#include "platform/audio/AudioDevice.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Plat {

class OfflineAudioDevice : public AudioDevice {
public:
    // False makes Open fail, as on a machine without a sound card.
    bool available = true;

    bool Open(AudioMixer& mixer) override;
    void Close() override;
    bool IsOpen() const { return mMixer != nullptr; }
    // How often the device was opened.
    int OpenCount() const { return mOpenCount; }

    // The next frames, interleaved stereo; silence when the device is closed.
    std::vector<int16_t> Render(size_t frames);

private:
    AudioMixer* mMixer = nullptr;
    int mOpenCount = 0;
};

} // namespace Plat
