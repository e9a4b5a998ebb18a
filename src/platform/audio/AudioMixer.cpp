#include "platform/audio/AudioMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Plat {

namespace {

constexpr uint64_t kOne = uint64_t(1) << 32; // one frame in 32.32 fixed point
constexpr float kFracScale = 1.0f / 4294967296.0f;
constexpr size_t kChunkFrames = 1024;
constexpr uint32_t kSlotBits = 16;
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
// Past this many frames a 32.32 position could overflow.
constexpr uint64_t kMaxBlockFrames = uint64_t(1) << 30;

float SafeGain(float gain)
{
    return std::isfinite(gain) && gain > 0.0f ? gain : 0.0f;
}

// Reads frame `index` of the block as two samples on the 16-bit scale.
template <int Bits, int Channels>
inline void ReadFrame(const uint8_t* data, uint64_t index, float& left, float& right)
{
    if constexpr (Bits == 16) {
        const int16_t* samples = reinterpret_cast<const int16_t*>(data) + index * Channels;
        left = float(samples[0]);
        right = Channels == 2 ? float(samples[1]) : left;
    } else {
        const uint8_t* samples = data + index * Channels;
        left = float((int(samples[0]) - 128) * 256);
        right = Channels == 2 ? float((int(samples[1]) - 128) * 256) : left;
    }
}

// Mixes `count` frames while frame index + 1 stays inside the block, so both
// neighbours of every interpolation exist. With Exact, the step is one frame
// and the position whole: each output frame is one source frame.
template <int Bits, int Channels, bool Exact>
void MixSpan(const uint8_t* data, uint64_t& position, uint64_t step, float* accum, size_t count, float gainLeft,
             float gainRight)
{
    uint64_t pos = position;
    for (size_t i = 0; i < count; ++i) {
        const uint64_t index = pos >> 32;
        float left0;
        float right0;
        ReadFrame<Bits, Channels>(data, index, left0, right0);
        if constexpr (!Exact) {
            const float frac = float(uint32_t(pos)) * kFracScale;
            float left1;
            float right1;
            ReadFrame<Bits, Channels>(data, index + 1, left1, right1);
            left0 += (left1 - left0) * frac;
            right0 += (right1 - right0) * frac;
        }
        accum[2 * i] += left0 * gainLeft;
        accum[2 * i + 1] += right0 * gainRight;
        pos += step;
    }
    position = pos;
}

using SpanFunction = void (*)(const uint8_t*, uint64_t&, uint64_t, float*, size_t, float, float);

SpanFunction ChooseSpan(int bits, int channels, bool exact)
{
    if (bits == 16) {
        if (channels == 2)
            return exact ? MixSpan<16, 2, true> : MixSpan<16, 2, false>;
        return exact ? MixSpan<16, 1, true> : MixSpan<16, 1, false>;
    }
    if (channels == 2)
        return exact ? MixSpan<8, 2, true> : MixSpan<8, 2, false>;
    return exact ? MixSpan<8, 1, true> : MixSpan<8, 1, false>;
}

void ReadAnyFrame(const PcmBlock& block, uint64_t index, float& left, float& right)
{
    const uint8_t* data = block.bytes.data();
    if (block.bits == 16) {
        if (block.channels == 2)
            ReadFrame<16, 2>(data, index, left, right);
        else
            ReadFrame<16, 1>(data, index, left, right);
    } else if (block.channels == 2) {
        ReadFrame<8, 2>(data, index, left, right);
    } else {
        ReadFrame<8, 1>(data, index, left, right);
    }
}

int16_t ToSample(float value)
{
    if (value != value)
        return 0;
    if (value >= 32767.0f)
        return 32767;
    if (value <= -32768.0f)
        return -32768;
    return int16_t(std::lrintf(value));
}

} // namespace

AudioMixer::AudioMixer(uint32_t outputRate) : mOutputRate(outputRate != 0 ? outputRate : kMixRate)
{
    for (float& gain : mGroupGains)
        gain = 1.0f;
    mAccum.resize(2 * kChunkFrames);
    mStreamData.resize(2 * kChunkFrames);
}

AudioMixer::~AudioMixer() = default;

AudioMixer::Voice* AudioMixer::Find(VoiceId voice)
{
    const uint32_t slot = voice & kSlotMask;
    if (slot == 0 || slot > mVoices.size())
        return nullptr;
    Voice& found = mVoices[slot - 1];
    if (!found.inUse || found.generation != (voice >> kSlotBits))
        return nullptr;
    return &found;
}

const AudioMixer::Voice* AudioMixer::Find(VoiceId voice) const
{
    return const_cast<AudioMixer*>(this)->Find(voice);
}

uint64_t AudioMixer::StepFor(uint32_t frequency) const
{
    const uint64_t step = (uint64_t(frequency) << 32) / mOutputRate;
    return step != 0 ? step : 1;
}

VoiceId AudioMixer::CreateVoice(std::shared_ptr<const PcmBlock> block)
{
    if (block == nullptr || (block->bits != 8 && block->bits != 16) ||
        (block->channels != 1 && block->channels != 2) || block->rate == 0 || block->Frames() == 0 ||
        block->Frames() > kMaxBlockFrames)
        return 0;
    const uint32_t rate = block->rate;
    std::lock_guard<std::mutex> guard(mLock);
    return AddVoice(std::move(block), nullptr, rate, StepFor(rate));
}

VoiceId AudioMixer::CreateStreamVoice(AudioStream* stream)
{
    if (stream == nullptr)
        return 0;
    std::lock_guard<std::mutex> guard(mLock);
    return AddVoice(nullptr, stream, mOutputRate, kOne);
}

VoiceId AudioMixer::AddVoice(std::shared_ptr<const PcmBlock> block, AudioStream* stream, uint32_t frequency,
                             uint64_t step)
{
    uint32_t slot;
    if (!mFreeSlots.empty()) {
        slot = mFreeSlots.back();
        mFreeSlots.pop_back();
    } else {
        if (mVoices.size() >= kSlotMask)
            return 0;
        mVoices.emplace_back();
        slot = uint32_t(mVoices.size() - 1);
    }
    Voice& voice = mVoices[slot];
    const uint32_t generation = voice.generation;
    voice = Voice();
    voice.generation = generation;
    voice.inUse = true;
    voice.block = std::move(block);
    voice.stream = stream;
    voice.frequency = frequency;
    voice.step = step;
    return (generation << kSlotBits) | (slot + 1);
}

void AudioMixer::DestroyVoice(VoiceId id)
{
    std::shared_ptr<const PcmBlock> block; // freed after the lock is let go
    {
        std::lock_guard<std::mutex> guard(mLock);
        Voice* voice = Find(id);
        if (voice == nullptr)
            return;
        block = std::move(voice->block);
        *voice = Voice();
        voice->generation = ((id >> kSlotBits) + 1) & 0xFFFF;
        mFreeSlots.push_back((id & kSlotMask) - 1);
    }
}

bool AudioMixer::Play(VoiceId id, bool looping)
{
    std::lock_guard<std::mutex> guard(mLock);
    Voice* voice = Find(id);
    if (voice == nullptr)
        return false;
    voice->playing = true;
    voice->looping = looping;
    return true;
}

void AudioMixer::Stop(VoiceId id)
{
    std::lock_guard<std::mutex> guard(mLock);
    if (Voice* voice = Find(id))
        voice->playing = false;
}

bool AudioMixer::IsPlaying(VoiceId id) const
{
    std::lock_guard<std::mutex> guard(mLock);
    const Voice* voice = Find(id);
    return voice != nullptr && voice->playing;
}

bool AudioMixer::IsLooping(VoiceId id) const
{
    std::lock_guard<std::mutex> guard(mLock);
    const Voice* voice = Find(id);
    return voice != nullptr && voice->looping;
}

void AudioMixer::SetPosition(VoiceId id, uint64_t frame)
{
    std::lock_guard<std::mutex> guard(mLock);
    if (Voice* voice = Find(id))
        voice->position = std::min(frame, kMaxBlockFrames) << 32;
}

uint64_t AudioMixer::GetPosition(VoiceId id) const
{
    std::lock_guard<std::mutex> guard(mLock);
    const Voice* voice = Find(id);
    return voice != nullptr ? voice->position >> 32 : 0;
}

void AudioMixer::SetGain(VoiceId id, float gain)
{
    std::lock_guard<std::mutex> guard(mLock);
    if (Voice* voice = Find(id))
        voice->gain = SafeGain(gain);
}

void AudioMixer::SetVolume(VoiceId id, int32_t volume)
{
    SetGain(id, GainFromVolume(volume));
}

void AudioMixer::SetPan(VoiceId id, int32_t pan)
{
    float left;
    float right;
    PanGains(pan, left, right);
    std::lock_guard<std::mutex> guard(mLock);
    if (Voice* voice = Find(id)) {
        voice->panLeft = left;
        voice->panRight = right;
    }
}

void AudioMixer::SetFrequency(VoiceId id, uint32_t frequency)
{
    std::lock_guard<std::mutex> guard(mLock);
    Voice* voice = Find(id);
    if (voice == nullptr || voice->block == nullptr)
        return;
    voice->frequency = frequency != 0 ? frequency : voice->block->rate;
    voice->step = StepFor(voice->frequency);
}

uint32_t AudioMixer::GetFrequency(VoiceId id) const
{
    std::lock_guard<std::mutex> guard(mLock);
    const Voice* voice = Find(id);
    return voice != nullptr ? voice->frequency : 0;
}

void AudioMixer::SetLoopPoints(VoiceId id, uint64_t start, uint64_t end)
{
    std::lock_guard<std::mutex> guard(mLock);
    if (Voice* voice = Find(id)) {
        voice->loopStart = start;
        voice->loopEnd = end;
    }
}

void AudioMixer::SetGroup(VoiceId id, unsigned group)
{
    std::lock_guard<std::mutex> guard(mLock);
    if (Voice* voice = Find(id))
        voice->group = group < kMixerGroups ? group : 0;
}

void AudioMixer::SetGroupGain(unsigned group, float gain)
{
    if (group >= kMixerGroups)
        return;
    std::lock_guard<std::mutex> guard(mLock);
    mGroupGains[group] = SafeGain(gain);
}

float AudioMixer::GetGroupGain(unsigned group) const
{
    if (group >= kMixerGroups)
        return 0.0f;
    std::lock_guard<std::mutex> guard(mLock);
    return mGroupGains[group];
}

void AudioMixer::SetMasterGain(float gain)
{
    std::lock_guard<std::mutex> guard(mLock);
    mMasterGain = SafeGain(gain);
}

float AudioMixer::GetMasterGain() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mMasterGain;
}

size_t AudioMixer::VoiceCount() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mVoices.size() - mFreeSlots.size();
}

float AudioMixer::GainFromVolume(int32_t volume)
{
    if (volume >= 0)
        return 1.0f;
    if (volume <= -10000)
        return 0.0f;
    return float(std::pow(10.0, double(volume) / 2000.0));
}

void AudioMixer::PanGains(int32_t pan, float& left, float& right)
{
    left = 1.0f;
    right = 1.0f;
    if (pan > 0)
        left = GainFromVolume(-pan);
    else if (pan < 0)
        right = GainFromVolume(pan);
}

void AudioMixer::MixBlockVoice(Voice& voice, float* accum, size_t frames, float gainLeft, float gainRight)
{
    const PcmBlock& block = *voice.block;
    const uint64_t blockFrames = block.Frames();
    // The loop points count only while looping; a plain play runs to the end.
    uint64_t end = blockFrames;
    uint64_t loopStart = 0;
    if (voice.looping) {
        if (voice.loopEnd != 0 && voice.loopEnd < blockFrames)
            end = voice.loopEnd;
        if (voice.loopStart < end)
            loopStart = voice.loopStart;
    }
    const uint8_t* data = block.bytes.data();
    const uint64_t step = voice.step;
    const bool exactStep = step == kOne;
    size_t done = 0;
    while (done < frames) {
        const uint64_t index = voice.position >> 32;
        if (index >= end) {
            if (!voice.looping) {
                voice.playing = false;
                voice.position = 0;
                return;
            }
            const uint64_t base = loopStart << 32;
            voice.position = base + (voice.position - base) % ((end - loopStart) << 32);
            continue;
        }
        if (index + 1 < end) {
            // Every frame up to the one before the end has its right-hand
            // neighbour in the block: mix that run in one go.
            const uint64_t limit = (end - 1) << 32;
            const uint64_t run = (limit - voice.position + step - 1) / step;
            const size_t count = size_t(std::min<uint64_t>(run, frames - done));
            const bool exact = exactStep && uint32_t(voice.position) == 0;
            ChooseSpan(block.bits, block.channels, exact)(data, voice.position, step, accum + 2 * done, count,
                                                          gainLeft, gainRight);
            done += count;
            continue;
        }
        // The last frame before the end: its neighbour is the loop's start,
        // or itself when the sound ends here.
        float left0;
        float right0;
        float left1;
        float right1;
        ReadAnyFrame(block, index, left0, right0);
        ReadAnyFrame(block, voice.looping ? loopStart : index, left1, right1);
        const float frac = float(uint32_t(voice.position)) * kFracScale;
        accum[2 * done] += (left0 + (left1 - left0) * frac) * gainLeft;
        accum[2 * done + 1] += (right0 + (right1 - right0) * frac) * gainRight;
        voice.position += step;
        ++done;
    }
}

void AudioMixer::MixStreamVoice(Voice& voice, float* accum, size_t frames, float gainLeft, float gainRight)
{
    float* data = mStreamData.data();
    const size_t got = std::min(voice.stream->Read(data, frames), frames);
    const float left = gainLeft * 32768.0f;
    const float right = gainRight * 32768.0f;
    for (size_t i = 0; i < got; ++i) {
        accum[2 * i] += data[2 * i] * left;
        accum[2 * i + 1] += data[2 * i + 1] * right;
    }
    if (got < frames)
        voice.playing = false;
}

void AudioMixer::Render(int16_t* out, size_t frames)
{
    std::lock_guard<std::mutex> guard(mLock);
    float* accum = mAccum.data();
    while (frames > 0) {
        const size_t count = std::min(frames, kChunkFrames);
        std::memset(accum, 0, 2 * count * sizeof(float));
        for (Voice& voice : mVoices) {
            if (!voice.inUse || !voice.playing)
                continue;
            const float gain = voice.gain * mGroupGains[voice.group] * mMasterGain;
            const float left = gain * voice.panLeft;
            const float right = gain * voice.panRight;
            if (voice.stream != nullptr)
                MixStreamVoice(voice, accum, count, left, right);
            else
                MixBlockVoice(voice, accum, count, left, right);
        }
        for (size_t i = 0; i < 2 * count; ++i)
            out[i] = ToSample(accum[i]);
        out += 2 * count;
        frames -= count;
    }
}

} // namespace Plat
