// The sound decoders the BASS and FMOD stand-ins share: whole-file decoding of
// WAV, Ogg Vorbis and MP3 into 16-bit PCM blocks, the same formats as streams
// pulled by the mixer, and a tracker-module player. Every input is a byte
// block held in memory and never trusted: bad data gives a failed result.
#pragma once

#include "platform/audio/AudioMixer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Plat {

enum class AudioFormat {
    Unknown,
    Wav,    // RIFF/WAVE, PCM 8 or 16 bit
    Ogg,    // Ogg Vorbis
    Mp3,    // MPEG audio layer 3 (also layers 1 and 2), with or without ID3 tags
    Module, // anything libopenmpt takes (MOD, XM, S3M, IT...)
};

// The format the bytes hold, by their first bytes. A module is only told by
// a full probe, so Unknown bytes may still load as a module.
AudioFormat DetectAudioFormat(const uint8_t* data, size_t size);

// Sound files larger than this are refused before they are read whole: no
// sound the program plays is near it, and a bad one must not exhaust memory.
constexpr long kMaxSoundFileBytes = 256L * 1024 * 1024;

// The PCM formats every player here takes: one or two channels, 8 or 16 bits,
// 1000 to 192000 samples per second. The sound manager holds its own WAV and
// AU readers to the same limits.
bool PlayablePcmFormat(uint32_t channels, uint32_t rate, uint32_t bits);

// ---- Whole-file decoding
// Each fills `out` with interleaved signed 16-bit host-order PCM, one or two
// channels, at the file's own rate, and returns true; on failure `out` is
// left empty and `error` (when given) says why.

bool DecodeWav(const uint8_t* data, size_t size, PcmBlock& out, std::string* error = nullptr);
bool DecodeOgg(const uint8_t* data, size_t size, PcmBlock& out, std::string* error = nullptr);
bool DecodeMp3(const uint8_t* data, size_t size, PcmBlock& out, std::string* error = nullptr);
// By DetectAudioFormat; modules are not decoded here (see ModulePlayer).
bool DecodeAudio(const uint8_t* data, size_t size, PcmBlock& out, std::string* error = nullptr);

// ---- Streams
// A decoded file played as the mixer pulls it: Read gives stereo frames at
// the output rate (mono is doubled, the file's rate resampled linearly).
// Positions are frames of the file at its own rate. Every method may be called
// from any thread; Read runs on the audio thread.
class DecoderStream : public AudioStream {
public:
    ~DecoderStream() override;
    DecoderStream(const DecoderStream&) = delete;
    DecoderStream& operator=(const DecoderStream&) = delete;

    // Takes its own copy of the bytes (or the block handed in). Null (with
    // `error` set) when the format is unknown or the decoder refuses the data.
    static std::unique_ptr<DecoderStream> Open(const uint8_t* data, size_t size, uint32_t outputRate = kMixRate,
                                               std::string* error = nullptr);
    static std::unique_ptr<DecoderStream> Open(std::vector<uint8_t> file, uint32_t outputRate = kMixRate,
                                               std::string* error = nullptr);
    static std::unique_ptr<DecoderStream> OpenWav(std::vector<uint8_t> file, uint32_t outputRate = kMixRate,
                                                  std::string* error = nullptr);
    static std::unique_ptr<DecoderStream> OpenOgg(std::vector<uint8_t> file, uint32_t outputRate = kMixRate,
                                                  std::string* error = nullptr);
    static std::unique_ptr<DecoderStream> OpenMp3(std::vector<uint8_t> file, uint32_t outputRate = kMixRate,
                                                  std::string* error = nullptr);

    size_t Read(float* stereo, size_t frames) override;

    uint32_t Rate() const { return mRate; }
    uint16_t Channels() const { return mChannels; }
    // Frames of the whole file at its own rate; 0 when not known.
    uint64_t Length() const;
    // The next frame Read gives, at the file's rate.
    uint64_t Position() const;
    // False past the end or when the decoder cannot seek.
    bool Seek(uint64_t frame);
    // A looping stream goes back to frame 0 at its end instead of ending.
    void SetLooping(bool looping);
    bool IsLooping() const;
    // True once a stream that does not loop gave its last frame.
    bool Ended() const;

protected:
    DecoderStream(uint32_t rate, uint16_t channels, uint32_t outputRate);

    // The format's part, called with the stream's lock held. DecodeFrames
    // writes up to `frames` interleaved frames in the file's channels and
    // returns how many (0 at the end or on a decoding error).
    virtual size_t DecodeFrames(int16_t* out, size_t frames) = 0;
    virtual bool SeekFrame(uint64_t frame) = 0;
    virtual uint64_t LengthFrames() const = 0;

private:
    friend class DecoderDrain; // whole-file decoding reads the decoder directly

    bool FillSource();

    const uint32_t mRate;
    const uint16_t mChannels;
    const uint32_t mOutputRate;
    mutable std::mutex mLock;
    bool mLooping = false;
    bool mEnded = false;
    uint64_t mPosition = 0;      // file frames handed to the resampler
    uint64_t mPhase = 0;         // 32.32 position between mPrevious and mCurrent
    uint64_t mStep = 0;          // file frames per output frame, 32.32
    float mPrevious[2] = {0, 0}; // the two file frames the output lies between
    float mCurrent[2] = {0, 0};
    bool mPrimed = false;        // mPrevious holds the first frame
    bool mHaveCurrent = false;   // false: mPrevious is the last frame
    std::vector<int16_t> mSource; // decoded frames not yet used
    size_t mSourceNext = 0;       // first unused frame in mSource
    size_t mSourceFrames = 0;
};

// ---- Modules
// A tracker song played by libopenmpt, rendered at the output rate in stereo.
// Every method may be called from any thread; Read runs on the audio thread.
class ModulePlayer : public AudioStream {
public:
    ~ModulePlayer() override;
    ModulePlayer(const ModulePlayer&) = delete;
    ModulePlayer& operator=(const ModulePlayer&) = delete;

    // Takes its own copy of the bytes; null (with `error` set) when
    // libopenmpt does not take them.
    static std::unique_ptr<ModulePlayer> Load(const uint8_t* data, size_t size, uint32_t outputRate = kMixRate,
                                              std::string* error = nullptr);

    // The next frames of the song; fewer than asked once it ended (after its
    // repeats).
    size_t Read(float* stereo, size_t frames) override;
    size_t Render(float* stereo, size_t frames) { return Read(stereo, frames); }

    // Entries of the order list (pattern-list positions).
    int OrderCount() const;
    int Order() const;
    int Row() const;
    // Jumps to the row of the order; false when the order is past the list.
    bool SetOrder(int order, int row = 0);
    // How often the song repeats after it first ends: 0 plays it once, -1
    // loops it for ever.
    void SetRepeatCount(int count);
    int RepeatCount() const;
    // Linear gain of the whole song, 1 = as composed.
    void SetGain(float gain);
    float Gain() const;
    // Short volume ramps at note starts and ends (fewer clicks); on by default.
    void SetRamping(bool on);
    // Seconds from the start of the song to where it plays now, and its length.
    double PositionSeconds() const;
    double LengthSeconds() const;
    // True once the song ended (after its repeats); SetOrder starts it again.
    bool Ended() const;
    // Back to order 0, row 0.
    void Restart();

private:
    struct Impl;
    explicit ModulePlayer(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> mImpl;
    mutable std::mutex mLock;
};

// One pass of a song (no repeats) rendered whole into 16-bit stereo at
// `rate`: exactly round(duration x rate) frames. libopenmpt reads on a little
// past the song's end; a block looped end to start must keep the song's time,
// so the pass is cut (or, should the library stop early, padded with silence)
// to that length. False (with `error` set) when libopenmpt refuses the bytes,
// the song has no length, or it is longer than `maxFrames` (by default as
// many as fit in kMaxSoundFileBytes).
constexpr size_t kMaxModulePassFrames = size_t(kMaxSoundFileBytes) / 4;
bool RenderModulePass(const uint8_t* data, size_t size, uint32_t rate, PcmBlock& out, std::string* error = nullptr,
                      size_t maxFrames = kMaxModulePassFrames);

} // namespace Plat
