// Format detection, whole-file decoding and the resampling part of streams.
// The formats' own decoders live in AudioDecoderFormats.cpp.
#include "platform/audio/AudioDecoder.h"

#include <algorithm>
#include <cstring>

namespace Plat {

namespace {

constexpr uint64_t kOne = uint64_t(1) << 32;
constexpr size_t kSourceChunkFrames = 1024;
constexpr float kSampleScale = 1.0f / 32768.0f;

bool StartsWith(const uint8_t* data, size_t size, const char* tag, size_t offset = 0)
{
    const size_t length = std::strlen(tag);
    return size >= offset + length && std::memcmp(data + offset, tag, length) == 0;
}

// An MPEG audio frame header: sync, a known version, a layer, a bit rate that
// is not "bad" and a sampling rate that is not "reserved".
bool IsMpegFrameHeader(const uint8_t* p)
{
    return p[0] == 0xFF && (p[1] & 0xE0) == 0xE0 && (p[1] & 0x18) != 0x08 && (p[1] & 0x06) != 0 &&
           (p[2] & 0xF0) != 0xF0 && (p[2] & 0x0C) != 0x0C;
}

} // namespace

bool PlayablePcmFormat(uint32_t channels, uint32_t rate, uint32_t bits)
{
    return (channels == 1 || channels == 2) && (bits == 8 || bits == 16) && rate >= 1000 && rate <= 192000;
}

AudioFormat DetectAudioFormat(const uint8_t* data, size_t size)
{
    if (data == nullptr)
        return AudioFormat::Unknown;
    if (StartsWith(data, size, "RIFF") && StartsWith(data, size, "WAVE", 8))
        return AudioFormat::Wav;
    if (StartsWith(data, size, "OggS"))
        return AudioFormat::Ogg;
    if (StartsWith(data, size, "ID3") || (size >= 4 && IsMpegFrameHeader(data)))
        return AudioFormat::Mp3;
    // The tags of the common tracker formats; libopenmpt knows many more.
    if ((size >= 1084 && (StartsWith(data, size, "M.K.", 1080) || StartsWith(data, size, "M!K!", 1080) ||
                          StartsWith(data, size, "4CHN", 1080) || StartsWith(data, size, "6CHN", 1080) ||
                          StartsWith(data, size, "8CHN", 1080) || StartsWith(data, size, "FLT4", 1080))) ||
        StartsWith(data, size, "Extended Module: ") || StartsWith(data, size, "IMPM") ||
        StartsWith(data, size, "SCRM", 44))
        return AudioFormat::Module;
    return AudioFormat::Unknown;
}

bool DecodeAudio(const uint8_t* data, size_t size, PcmBlock& out, std::string* error)
{
    switch (DetectAudioFormat(data, size)) {
    case AudioFormat::Wav:
        return DecodeWav(data, size, out, error);
    case AudioFormat::Ogg:
        return DecodeOgg(data, size, out, error);
    case AudioFormat::Mp3:
        return DecodeMp3(data, size, out, error);
    default:
        break;
    }
    out = PcmBlock();
    if (error != nullptr)
        *error = "not a sound file format this decoder knows";
    return false;
}

// ---- DecoderStream

DecoderStream::DecoderStream(uint32_t rate, uint16_t channels, uint32_t outputRate)
    : mRate(rate), mChannels(channels), mOutputRate(outputRate == 0 ? kMixRate : outputRate),
      mStep((uint64_t(rate) << 32) / (outputRate == 0 ? kMixRate : outputRate))
{
}

DecoderStream::~DecoderStream() = default;

std::unique_ptr<DecoderStream> DecoderStream::Open(const uint8_t* data, size_t size, uint32_t outputRate,
                                                   std::string* error)
{
    // Bytes no stream plays are refused (the same way) without a copy.
    const AudioFormat format = DetectAudioFormat(data, size);
    if (format != AudioFormat::Wav && format != AudioFormat::Ogg && format != AudioFormat::Mp3)
        return Open(std::vector<uint8_t>(), outputRate, error);
    return Open(std::vector<uint8_t>(data, data + size), outputRate, error);
}

std::unique_ptr<DecoderStream> DecoderStream::Open(std::vector<uint8_t> file, uint32_t outputRate, std::string* error)
{
    switch (DetectAudioFormat(file.data(), file.size())) {
    case AudioFormat::Wav:
        return OpenWav(std::move(file), outputRate, error);
    case AudioFormat::Ogg:
        return OpenOgg(std::move(file), outputRate, error);
    case AudioFormat::Mp3:
        return OpenMp3(std::move(file), outputRate, error);
    default:
        break;
    }
    if (error != nullptr)
        *error = "not a sound file format this decoder knows";
    return nullptr;
}

bool DecoderStream::FillSource()
{
    if (mSource.empty())
        mSource.resize(kSourceChunkFrames * mChannels);
    mSourceNext = 0;
    mSourceFrames = DecodeFrames(mSource.data(), kSourceChunkFrames);
    if (mSourceFrames == 0 && mLooping && mPosition > 0) {
        // The end of a looping stream: on from its first frame.
        if (!SeekFrame(0))
            return false;
        mPosition = 0;
        mSourceFrames = DecodeFrames(mSource.data(), kSourceChunkFrames);
    }
    return mSourceFrames > 0;
}

size_t DecoderStream::Read(float* stereo, size_t frames)
{
    std::lock_guard<std::mutex> guard(mLock);
    if (mEnded)
        return 0;
    // The next file frame, as floats; false at the end.
    auto next = [this](float (&frame)[2]) {
        if (mSourceNext >= mSourceFrames && !FillSource())
            return false;
        const int16_t* sample = mSource.data() + mSourceNext * mChannels;
        frame[0] = float(sample[0]) * kSampleScale;
        frame[1] = mChannels == 2 ? float(sample[1]) * kSampleScale : frame[0];
        ++mSourceNext;
        ++mPosition;
        return true;
    };

    if (!mPrimed) {
        if (!next(mPrevious)) {
            mEnded = true;
            return 0;
        }
        mHaveCurrent = next(mCurrent);
        mPrimed = true;
    }
    size_t written = 0;
    while (written < frames) {
        const float fraction = float(mPhase) * (1.0f / float(kOne));
        const float* upper = mHaveCurrent ? mCurrent : mPrevious;
        stereo[2 * written] = mPrevious[0] + (upper[0] - mPrevious[0]) * fraction;
        stereo[2 * written + 1] = mPrevious[1] + (upper[1] - mPrevious[1]) * fraction;
        ++written;
        mPhase += mStep;
        while (mPhase >= kOne) {
            mPhase -= kOne;
            if (!mHaveCurrent) {
                mEnded = true;
                return written;
            }
            mPrevious[0] = mCurrent[0];
            mPrevious[1] = mCurrent[1];
            mHaveCurrent = next(mCurrent);
        }
    }
    return written;
}

uint64_t DecoderStream::Length() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return LengthFrames();
}

uint64_t DecoderStream::Position() const
{
    std::lock_guard<std::mutex> guard(mLock);
    if (!mPrimed)
        return mPosition;
    // mPosition counts the frames taken from the decoder, the one being
    // played and the one after it included.
    const uint64_t ahead = mHaveCurrent ? 2 : 1;
    return mPosition >= ahead ? mPosition - ahead : 0;
}

bool DecoderStream::Seek(uint64_t frame)
{
    std::lock_guard<std::mutex> guard(mLock);
    const uint64_t length = LengthFrames();
    if ((length != 0 && frame > length) || !SeekFrame(frame))
        return false;
    mPosition = frame;
    mSourceNext = 0;
    mSourceFrames = 0;
    mPhase = 0;
    mPrimed = false;
    mHaveCurrent = false;
    mEnded = false;
    return true;
}

void DecoderStream::SetLooping(bool looping)
{
    std::lock_guard<std::mutex> guard(mLock);
    mLooping = looping;
}

bool DecoderStream::IsLooping() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mLooping;
}

bool DecoderStream::Ended() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mEnded;
}

} // namespace Plat
