// The sound device the framework's sound manager creates buffers with: the
// process's output (AudioOutput.h) seen as the manager expects it, with
// cooperative levels, buffer creation and duplicates. Tests replace the
// creation function to inject failures.
#pragma once

#include "platform/audio/SoundBuffer.h"

#include <cstdint>
#include <memory>

namespace Plat {

class AudioOutput;
class Window;

constexpr uint32_t kSoundLevelNormal = 1;
constexpr uint32_t kSoundLevelPriority = 2;

class SoundDevice {
public:
    explicit SoundDevice(std::shared_ptr<AudioOutput> output);
    virtual ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // Levels 1 (normal) and 2 (priority) are taken; the window is not used.
    virtual int32_t SetCooperativeLevel(Window* window, uint32_t level);
    // A primary buffer (flag 1, no bytes, no format) or a secondary one
    // holding a zeroed block of the format (PCM, 1 or 2 channels, 8 or 16
    // bits, 100 to 200000 Hz, block align = channels x bits / 8).
    virtual int32_t CreateSoundBuffer(const SoundBufferDesc& desc, std::unique_ptr<SoundBuffer>& out);
    // Another voice over the original's block, stopped at the start, with
    // the original's volume, pan and frequency.
    virtual int32_t DuplicateSoundBuffer(const SoundBuffer& original, std::unique_ptr<SoundBuffer>& out);

    AudioOutput& Output() { return *mOutput; }

private:
    std::shared_ptr<AudioOutput> mOutput;
};

// Makes a device over the process's output; kSoundErrNoDriver when the
// output cannot be opened.
using SoundDeviceCreator = int32_t (*)(std::unique_ptr<SoundDevice>& out);
int32_t CreateSoundDevice(std::unique_ptr<SoundDevice>& out);
// Installs another creation function (null restores the real one); returns
// the previous one.
SoundDeviceCreator SetSoundDeviceCreator(SoundDeviceCreator creator);

} // namespace Plat
