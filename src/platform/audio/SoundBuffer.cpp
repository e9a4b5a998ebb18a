#include "platform/audio/SoundBuffer.h"

#include "platform/audio/AudioOutput.h"

#include <algorithm>

namespace Plat {

SoundBuffer::SoundBuffer() = default;

SoundBuffer::SoundBuffer(std::shared_ptr<AudioOutput> output, std::shared_ptr<PcmBlock> block,
                         const WaveFormat& format)
    : mOutput(std::move(output)), mBlock(std::move(block)), mFormat(format)
{
    mVoice = mOutput->Mixer().CreateVoice(mBlock);
}

SoundBuffer::~SoundBuffer()
{
    if (mOutput != nullptr)
        mOutput->Mixer().DestroyVoice(mVoice);
}

int32_t SoundBuffer::GetFormat(WaveFormat& format) const
{
    format = mFormat;
    return kSoundOk;
}

int32_t SoundBuffer::SetFormat(const WaveFormat& format)
{
    if (!IsPrimary())
        return kSoundErrInvalidCall;
    mFormat = format;
    return kSoundOk;
}

int32_t SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                          uint32_t* bytes2, uint32_t flags)
{
    if (IsPrimary())
        return kSoundErrInvalidCall;
    if (part1 == nullptr || bytes1 == nullptr)
        return kSoundErrInvalidParam;
    const uint32_t size = uint32_t(mBlock->bytes.size());
    if ((flags & kSoundLockEntireBuffer) != 0) {
        offset = 0;
        bytes = size;
    }
    if (offset >= size || bytes == 0 || bytes > size)
        return kSoundErrInvalidParam;
    const uint32_t first = std::min(bytes, size - offset);
    const uint32_t rest = bytes - first;
    if (rest != 0 && (part2 == nullptr || bytes2 == nullptr))
        return kSoundErrInvalidParam;
    *part1 = mBlock->bytes.data() + offset;
    *bytes1 = first;
    if (part2 != nullptr)
        *part2 = rest != 0 ? mBlock->bytes.data() : nullptr;
    if (bytes2 != nullptr)
        *bytes2 = rest;
    return kSoundOk;
}

int32_t SoundBuffer::Unlock(void* part1, uint32_t bytes1, void* /*part2*/, uint32_t /*bytes2*/)
{
    if (IsPrimary())
        return kSoundErrInvalidCall;
    const uint8_t* begin = mBlock->bytes.data();
    const uint8_t* end = begin + mBlock->bytes.size();
    const uint8_t* first = static_cast<const uint8_t*>(part1);
    if (first < begin || first >= end || bytes1 > uint32_t(end - first))
        return kSoundErrInvalidParam;
    return kSoundOk;
}

int32_t SoundBuffer::Play(uint32_t /*reserved*/, uint32_t /*priority*/, uint32_t flags)
{
    if (IsPrimary())
        return kSoundOk; // the output runs whenever the device is open
    return mOutput->Mixer().Play(mVoice, (flags & kSoundPlayLooping) != 0) ? kSoundOk : kSoundErrGeneric;
}

int32_t SoundBuffer::Stop()
{
    if (!IsPrimary())
        mOutput->Mixer().Stop(mVoice);
    return kSoundOk;
}

int32_t SoundBuffer::SetCurrentPosition(uint32_t position)
{
    if (IsPrimary())
        return kSoundErrInvalidCall;
    if (position >= mBlock->bytes.size())
        return kSoundErrInvalidParam;
    mOutput->Mixer().SetPosition(mVoice, position / mBlock->FrameBytes());
    return kSoundOk;
}

int32_t SoundBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const
{
    if (IsPrimary())
        return kSoundErrInvalidCall;
    const uint32_t position = uint32_t(mOutput->Mixer().GetPosition(mVoice) * mBlock->FrameBytes());
    if (play != nullptr)
        *play = position;
    if (write != nullptr)
        *write = position;
    return kSoundOk;
}

int32_t SoundBuffer::GetStatus(uint32_t& status) const
{
    status = 0;
    if (IsPrimary())
        return kSoundOk;
    const AudioMixer& mixer = mOutput->Mixer();
    if (mixer.IsPlaying(mVoice))
        status = kSoundStatusPlaying | (mixer.IsLooping(mVoice) ? kSoundStatusLooping : 0);
    return kSoundOk;
}

int32_t SoundBuffer::SetVolume(int32_t volume)
{
    if (volume < kSoundVolumeMin || volume > 0)
        return kSoundErrInvalidParam;
    mVolume = volume;
    if (!IsPrimary())
        mOutput->Mixer().SetVolume(mVoice, volume);
    return kSoundOk;
}

int32_t SoundBuffer::GetVolume(int32_t& volume) const
{
    volume = mVolume;
    return kSoundOk;
}

int32_t SoundBuffer::SetPan(int32_t pan)
{
    if (pan < kSoundPanLeft || pan > kSoundPanRight)
        return kSoundErrInvalidParam;
    mPan = pan;
    if (!IsPrimary())
        mOutput->Mixer().SetPan(mVoice, pan);
    return kSoundOk;
}

int32_t SoundBuffer::GetPan(int32_t& pan) const
{
    pan = mPan;
    return kSoundOk;
}

int32_t SoundBuffer::SetFrequency(uint32_t frequency)
{
    if (IsPrimary())
        return kSoundErrInvalidCall;
    if (frequency != 0 && (frequency < kSoundFrequencyMin || frequency > kSoundFrequencyMax))
        return kSoundErrInvalidParam;
    mOutput->Mixer().SetFrequency(mVoice, frequency);
    return kSoundOk;
}

int32_t SoundBuffer::GetFrequency(uint32_t& frequency) const
{
    if (IsPrimary()) {
        frequency = mFormat.samplesPerSec;
        return kSoundOk;
    }
    frequency = mOutput->Mixer().GetFrequency(mVoice);
    return kSoundOk;
}

} // namespace Plat
