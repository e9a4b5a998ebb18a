#include "platform/audio/AudioOutput.h"

#include "platform/audio/AudioDevice.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace Plat {

namespace {

std::mutex gOutputLock;
std::weak_ptr<AudioOutput> gOutput;      // under gOutputLock
AudioDevice* gInstalledDevice = nullptr; // under gOutputLock
std::atomic<uint32_t> gWaveOutVolume{65535};

float WaveOutGain()
{
    return float(gWaveOutVolume.load()) / 65535.0f;
}

} // namespace

AudioOutput::AudioOutput(AudioDevice* device, std::unique_ptr<AudioDevice> owned)
    : mDevice(device), mOwnedDevice(std::move(owned))
{
}

AudioOutput::~AudioOutput()
{
    mDevice->Close();
}

std::shared_ptr<AudioOutput> OpenAudioOutput()
{
    std::lock_guard<std::mutex> guard(gOutputLock);
    if (std::shared_ptr<AudioOutput> output = gOutput.lock())
        return output;
    std::unique_ptr<AudioDevice> owned;
    AudioDevice* device = gInstalledDevice;
    if (device == nullptr) {
        owned = std::make_unique<SdlAudioDevice>();
        device = owned.get();
    }
    auto output = std::make_shared<AudioOutput>(device, std::move(owned));
    output->Mixer().SetMasterGain(WaveOutGain());
    if (!device->Open(output->Mixer()))
        return nullptr;
    gOutput = output;
    return output;
}

AudioDevice* SetAudioDevice(AudioDevice* device)
{
    std::lock_guard<std::mutex> guard(gOutputLock);
    AudioDevice* previous = gInstalledDevice;
    gInstalledDevice = device;
    return previous;
}

uint32_t GetWaveOutVolume()
{
    return gWaveOutVolume.load();
}

void SetWaveOutVolume(uint32_t value)
{
    gWaveOutVolume = std::min<uint32_t>(value, 65535);
    std::lock_guard<std::mutex> guard(gOutputLock);
    if (std::shared_ptr<AudioOutput> output = gOutput.lock())
        output->Mixer().SetMasterGain(WaveOutGain());
}

} // namespace Plat
