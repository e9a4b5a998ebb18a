// Our software mixer. A loaded sound is one shared, read-only PCM block; a
// voice plays a block (or pulls a stream) with its own gain, pan, resampling
// step and loop, and Render mixes every playing voice into 16-bit stereo at
// the output rate. Every operation may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Plat {

// The output rate of the process's sound: 44.1 kHz, 16-bit stereo.
constexpr uint32_t kMixRate = 44100;
// Voices belong to one of these groups; each group has a gain of its own
// (the music players keep their songs apart from the sound effects).
constexpr unsigned kMixerGroups = 4;

// One decoded sound: interleaved PCM, 8-bit unsigned or 16-bit signed in
// host order, one or two channels. Filled once before any voice plays it.
struct PcmBlock {
    uint16_t channels = 1;
    uint16_t bits = 16;
    uint32_t rate = 22050;
    std::vector<uint8_t> bytes;

    uint32_t FrameBytes() const { return uint32_t(channels) * bits / 8; }
    uint64_t Frames() const { return FrameBytes() != 0 ? bytes.size() / FrameBytes() : 0; }
};

// A source of frames at the mixer's own rate (a module song, a decoder).
// Read runs on the audio thread with the mixer's lock held: it must not call
// the mixer.
class AudioStream {
public:
    virtual ~AudioStream() = default;
    // Writes up to `frames` interleaved stereo frames, full scale -1 to 1;
    // returns how many it wrote. Fewer than asked means the stream ended.
    virtual size_t Read(float* stereo, size_t frames) = 0;
};

// Names a voice; 0 names none. A destroyed voice's id is never reused soon,
// and calls with a stale id do nothing.
using VoiceId = uint32_t;

class AudioMixer {
public:
    explicit AudioMixer(uint32_t outputRate = kMixRate);
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // ---- Voices

    // A voice over the block: stopped at frame 0, unit gain, centred, at the
    // block's own rate, looping over the whole block when looped. 0 when the
    // block is missing or holds no frames.
    VoiceId CreateVoice(std::shared_ptr<const PcmBlock> block);
    // A voice that pulls the stream (not owned; it must outlive the voice).
    // Frequency and loop settings do not apply to it.
    VoiceId CreateStreamVoice(AudioStream* stream);
    void DestroyVoice(VoiceId voice);

    // Starts from the current position; false for an unknown voice.
    bool Play(VoiceId voice, bool looping);
    // Stops and keeps the position.
    void Stop(VoiceId voice);
    // A block voice that played to its end stopped by itself at frame 0.
    bool IsPlaying(VoiceId voice) const;
    bool IsLooping(VoiceId voice) const;
    // Position in frames of the block.
    void SetPosition(VoiceId voice, uint64_t frame);
    uint64_t GetPosition(VoiceId voice) const;

    // Linear gain, 1 = as recorded.
    void SetGain(VoiceId voice, float gain);
    // Hundredths of a decibel: 0 full, -10000 silent.
    void SetVolume(VoiceId voice, int32_t volume);
    // Hundredths of a decibel taken off one side: negative turns the right
    // side down, positive the left; +-10000 silences that side.
    void SetPan(VoiceId voice, int32_t pan);
    // Samples per second the block is played at; 0 restores its own rate.
    void SetFrequency(VoiceId voice, uint32_t frequency);
    uint32_t GetFrequency(VoiceId voice) const;
    // The looped part, in frames: [start, end). An end of 0, or past the
    // block, is the block's end; a start not before the end loops the block.
    void SetLoopPoints(VoiceId voice, uint64_t start, uint64_t end);
    void SetGroup(VoiceId voice, unsigned group);

    // ---- The whole output

    void SetGroupGain(unsigned group, float gain);
    float GetGroupGain(unsigned group) const;
    void SetMasterGain(float gain);
    float GetMasterGain() const;
    uint32_t OutputRate() const { return mOutputRate; }
    // Voices that exist (playing or not).
    size_t VoiceCount() const;

    // Mixes the next `frames` frames into `out`, interleaved stereo.
    void Render(int16_t* out, size_t frames);

    // Hundredths of a decibel as a linear gain; -10000 and below give 0.
    static float GainFromVolume(int32_t volume);
    // The gains of the two sides for a pan.
    static void PanGains(int32_t pan, float& left, float& right);

private:
    struct Voice {
        std::shared_ptr<const PcmBlock> block;
        AudioStream* stream = nullptr;
        uint32_t generation = 0;
        bool inUse = false;
        bool playing = false;
        bool looping = false;
        uint64_t position = 0; // frames, 32.32 fixed point
        uint64_t step = 0;     // position advance per output frame
        uint64_t loopStart = 0;
        uint64_t loopEnd = 0; // 0: the block's end
        uint32_t frequency = 0;
        float gain = 1.0f;
        float panLeft = 1.0f;
        float panRight = 1.0f;
        unsigned group = 0;
    };

    Voice* Find(VoiceId voice);
    const Voice* Find(VoiceId voice) const;
    uint64_t StepFor(uint32_t frequency) const;
    // A fresh voice in a free slot (or a new one), with the lock held; 0 when
    // every slot is taken.
    VoiceId AddVoice(std::shared_ptr<const PcmBlock> block, AudioStream* stream, uint32_t frequency, uint64_t step);
    void MixBlockVoice(Voice& voice, float* accum, size_t frames, float left, float right);
    void MixStreamVoice(Voice& voice, float* accum, size_t frames, float left, float right);

    const uint32_t mOutputRate;
    mutable std::mutex mLock;
    std::vector<Voice> mVoices; // a voice id is (generation << 16) | (slot + 1)
    std::vector<uint32_t> mFreeSlots;
    float mGroupGains[kMixerGroups];
    float mMasterGain = 1.0f;
    std::vector<float> mAccum;      // one chunk of mixed frames
    std::vector<float> mStreamData; // one chunk of a stream's frames
};

} // namespace Plat
