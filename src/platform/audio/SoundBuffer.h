// The sound buffers the framework's sound manager plays through, shaped as
// it calls them: a secondary buffer holds one sound's PCM block and plays it
// as a voice of the process's mixer; a duplicate is another voice over the
// same block, so playing a sound never copies its data. A primary buffer
// only keeps the output format it was given. Results carry the callers'
// numeric codes.
#pragma once

#include "platform/audio/AudioMixer.h"

#include <cstdint>
#include <memory>

namespace Plat {

class AudioOutput;

// Result codes.
constexpr int32_t kSoundOk = 0;
constexpr int32_t kSoundErrGeneric = int32_t(0x80004005);
constexpr int32_t kSoundErrInvalidParam = int32_t(0x80070057);
constexpr int32_t kSoundErrOutOfMemory = int32_t(0x8007000E);
constexpr int32_t kSoundErrAllocated = int32_t(0x8878000A);
constexpr int32_t kSoundErrBadFormat = int32_t(0x88780064);
constexpr int32_t kSoundErrInvalidCall = int32_t(0x88780032);
constexpr int32_t kSoundErrNoDriver = int32_t(0x88780078);
constexpr int32_t kSoundErrUninitialized = int32_t(0x887800AA);

// Buffer description flags.
constexpr uint32_t kSoundBufferPrimary = 0x1;
constexpr uint32_t kSoundBufferStatic = 0x2;
constexpr uint32_t kSoundBufferSoftware = 0x8;
constexpr uint32_t kSoundBufferCtrlFrequency = 0x20;
constexpr uint32_t kSoundBufferCtrlPan = 0x40;
constexpr uint32_t kSoundBufferCtrlVolume = 0x80;
constexpr uint32_t kSoundBufferGlobalFocus = 0x8000;

// Play flag, lock flag and status bits.
constexpr uint32_t kSoundPlayLooping = 0x1;
constexpr uint32_t kSoundLockEntireBuffer = 0x2;
constexpr uint32_t kSoundStatusPlaying = 0x1;
constexpr uint32_t kSoundStatusLooping = 0x4;

// Ranges of the buffer controls.
constexpr int32_t kSoundVolumeMin = -10000; // hundredths of a decibel; 0 is full
constexpr int32_t kSoundPanLeft = -10000;
constexpr int32_t kSoundPanRight = 10000;
constexpr uint32_t kSoundFrequencyMin = 100;
constexpr uint32_t kSoundFrequencyMax = 200000;
constexpr uint32_t kSoundBufferBytesMin = 4;
constexpr uint32_t kSoundBufferBytesMax = 0x0FFFFFFF;

constexpr uint16_t kWaveFormatPcm = 1;

// A PCM format as the callers fill it.
struct WaveFormat {
    uint16_t formatTag = kWaveFormatPcm;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

struct SoundBufferDesc {
    uint32_t size = 20;
    uint32_t flags = 0;
    uint32_t bufferBytes = 0;
    const WaveFormat* format = nullptr;
};

class SoundBuffer {
public:
    // A primary buffer: keeps a format, plays nothing.
    SoundBuffer();
    // A secondary buffer over the block: a voice of the output's mixer.
    SoundBuffer(std::shared_ptr<AudioOutput> output, std::shared_ptr<PcmBlock> block, const WaveFormat& format);
    virtual ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    bool IsPrimary() const { return mBlock == nullptr; }

    virtual int32_t GetFormat(WaveFormat& format) const;
    // Primary buffers only.
    virtual int32_t SetFormat(const WaveFormat& format);

    // Hands out the bytes from offset on; a range past the end goes on at
    // the start, as the second part. Write only while no duplicate plays.
    virtual int32_t Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                         uint32_t* bytes2, uint32_t flags);
    virtual int32_t Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);

    // Plays from the current position (kSoundPlayLooping loops).
    virtual int32_t Play(uint32_t reserved, uint32_t priority, uint32_t flags);
    // Stops where it is.
    virtual int32_t Stop();
    // Positions are in bytes of the buffer.
    virtual int32_t SetCurrentPosition(uint32_t position);
    virtual int32_t GetCurrentPosition(uint32_t* play, uint32_t* write) const;
    virtual int32_t GetStatus(uint32_t& status) const;

    virtual int32_t SetVolume(int32_t volume);
    virtual int32_t GetVolume(int32_t& volume) const;
    virtual int32_t SetPan(int32_t pan);
    virtual int32_t GetPan(int32_t& pan) const;
    // 0 restores the format's rate.
    virtual int32_t SetFrequency(uint32_t frequency);
    virtual int32_t GetFrequency(uint32_t& frequency) const;

    // What a duplicate shares.
    const std::shared_ptr<AudioOutput>& Output() const { return mOutput; }
    const std::shared_ptr<PcmBlock>& Block() const { return mBlock; }

private:
    std::shared_ptr<AudioOutput> mOutput; // none for a primary buffer
    std::shared_ptr<PcmBlock> mBlock;
    WaveFormat mFormat;
    VoiceId mVoice = 0;
    int32_t mVolume = 0;
    int32_t mPan = 0;
};

} // namespace Plat
