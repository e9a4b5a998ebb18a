#include "platform/audio/SoundDevice.h"

#include "platform/audio/AudioOutput.h"

#include <atomic>
#include <new>

namespace Plat {

namespace {

int32_t CreateRealSoundDevice(std::unique_ptr<SoundDevice>& out)
{
    std::shared_ptr<AudioOutput> output = OpenAudioOutput();
    if (output == nullptr)
        return kSoundErrNoDriver;
    out = std::make_unique<SoundDevice>(std::move(output));
    return kSoundOk;
}

std::atomic<SoundDeviceCreator> gCreator{nullptr};

bool ValidFormat(const WaveFormat& format)
{
    return (format.channels == 1 || format.channels == 2) &&
           (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
           format.samplesPerSec >= kSoundFrequencyMin && format.samplesPerSec <= kSoundFrequencyMax &&
           format.blockAlign == format.channels * format.bitsPerSample / 8;
}

} // namespace

SoundDevice::SoundDevice(std::shared_ptr<AudioOutput> output) : mOutput(std::move(output)) {}

SoundDevice::~SoundDevice() = default;

int32_t SoundDevice::SetCooperativeLevel(Window* /*window*/, uint32_t level)
{
    return level == kSoundLevelNormal || level == kSoundLevelPriority ? kSoundOk : kSoundErrInvalidParam;
}

int32_t SoundDevice::CreateSoundBuffer(const SoundBufferDesc& desc, std::unique_ptr<SoundBuffer>& out)
{
    out.reset();
    if (desc.size < 20)
        return kSoundErrInvalidParam;
    if ((desc.flags & kSoundBufferPrimary) != 0) {
        if (desc.bufferBytes != 0 || desc.format != nullptr)
            return kSoundErrInvalidParam;
        out = std::make_unique<SoundBuffer>();
        return kSoundOk;
    }
    if (desc.format == nullptr)
        return kSoundErrInvalidParam;
    const WaveFormat& format = *desc.format;
    if (format.formatTag != kWaveFormatPcm || !ValidFormat(format))
        return kSoundErrBadFormat;
    if (desc.bufferBytes < kSoundBufferBytesMin || desc.bufferBytes > kSoundBufferBytesMax)
        return kSoundErrInvalidParam;
    auto block = std::make_shared<PcmBlock>();
    block->channels = format.channels;
    block->bits = format.bitsPerSample;
    block->rate = format.samplesPerSec;
    try {
        // A zeroed 8-bit block would be a full negative swing: start silent.
        block->bytes.assign(desc.bufferBytes, format.bitsPerSample == 8 ? 0x80 : 0x00);
    } catch (const std::bad_alloc&) {
        return kSoundErrOutOfMemory;
    }
    out = std::make_unique<SoundBuffer>(mOutput, std::move(block), format);
    return kSoundOk;
}

int32_t SoundDevice::DuplicateSoundBuffer(const SoundBuffer& original, std::unique_ptr<SoundBuffer>& out)
{
    out.reset();
    if (original.IsPrimary())
        return kSoundErrInvalidCall;
    WaveFormat format;
    original.GetFormat(format);
    auto copy = std::make_unique<SoundBuffer>(original.Output(), original.Block(), format);
    int32_t volume = 0;
    int32_t pan = 0;
    uint32_t frequency = 0;
    original.GetVolume(volume);
    original.GetPan(pan);
    original.GetFrequency(frequency);
    copy->SetVolume(volume);
    copy->SetPan(pan);
    copy->SetFrequency(frequency);
    out = std::move(copy);
    return kSoundOk;
}

int32_t CreateSoundDevice(std::unique_ptr<SoundDevice>& out)
{
    out.reset();
    SoundDeviceCreator creator = gCreator.load();
    return creator != nullptr ? creator(out) : CreateRealSoundDevice(out);
}

SoundDeviceCreator SetSoundDeviceCreator(SoundDeviceCreator creator)
{
    return gCreator.exchange(creator);
}

} // namespace Plat
