// The three sound file formats, each as a stream over a copy of the file's
// bytes: PCM WAV read directly, Ogg Vorbis through Tremor, MPEG audio through
// libmpg123. Whole-file decoding drains the same streams.
#include "platform/audio/AudioDecoder.h"

#include <mpg123.h>
#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace Plat {

namespace {

// Decoded sounds larger than this are refused: a small file claiming hours
// of sound must not exhaust memory.
constexpr uint64_t kMaxDecodedBytes = uint64_t(512) << 20;

void SetError(std::string* error, const char* text)
{
    if (error != nullptr)
        *error = text;
}

uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint16_t ReadU16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

// A byte block read like a file by the decoders' callbacks.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    size_t position = 0;

    size_t Read(void* out, size_t count)
    {
        const size_t taken = std::min(count, bytes.size() - position);
        if (taken != 0)
            std::memcpy(out, bytes.data() + position, taken);
        position += taken;
        return taken;
    }
    // The new position, or -1 (nothing moved) when it falls outside the block.
    int64_t Seek(int64_t offset, int whence)
    {
        int64_t base = 0;
        if (whence == SEEK_CUR)
            base = int64_t(position);
        else if (whence == SEEK_END)
            base = int64_t(bytes.size());
        else if (whence != SEEK_SET)
            return -1;
        const int64_t target = base + offset;
        if (target < 0 || target > int64_t(bytes.size()))
            return -1;
        position = size_t(target);
        return target;
    }
};

// ---- WAV

struct WavLayout {
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
    size_t dataOffset = 0;
    size_t dataBytes = 0; // whole frames present in the file
};

bool ParseWav(const uint8_t* data, size_t size, WavLayout& layout, std::string* error)
{
    if (data == nullptr || size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
        SetError(error, "not a RIFF/WAVE file");
        return false;
    }
    bool haveFormat = false;
    size_t at = 12;
    while (size - at >= 8) {
        const uint8_t* chunk = data + at;
        const uint64_t chunkSize = ReadU32(chunk + 4);
        const size_t body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (chunkSize < 16 || size - body < 16) {
                SetError(error, "WAV format chunk cut short");
                return false;
            }
            const uint16_t tag = ReadU16(data + body);
            layout.channels = ReadU16(data + body + 2);
            layout.rate = ReadU32(data + body + 4);
            layout.bits = ReadU16(data + body + 14);
            if (tag != 1) {
                SetError(error, "WAV data is not PCM");
                return false;
            }
            if (!PlayablePcmFormat(layout.channels, layout.rate, layout.bits)) {
                SetError(error, "WAV format not playable (1-2 channels, 8 or 16 bits, 1-192 kHz)");
                return false;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                SetError(error, "WAV data before its format");
                return false;
            }
            // A size past the end (a cut-off or streamed file) stands for
            // the bytes that are there, in whole frames.
            const size_t frameBytes = size_t(layout.channels) * layout.bits / 8;
            size_t bytes = size_t(std::min<uint64_t>(chunkSize, size - body));
            bytes -= bytes % frameBytes;
            if (bytes == 0) {
                SetError(error, "WAV file holds no sound");
                return false;
            }
            layout.dataOffset = body;
            layout.dataBytes = bytes;
            return true;
        }
        // Chunks are padded to an even size.
        const uint64_t next = uint64_t(body) + chunkSize + (chunkSize & 1);
        if (next > size)
            break;
        at = size_t(next);
    }
    SetError(error, haveFormat ? "WAV file has no data chunk" : "WAV file has no format chunk");
    return false;
}

// The file's samples, little-endian 16-bit or unsigned 8-bit, as host-order
// signed 16-bit ones (two bytes each at `out`).
void WavSamplesToPcm16(const uint8_t* in, size_t samples, uint16_t bits, uint8_t* out)
{
    if (bits == 16) {
        for (size_t i = 0; i < samples; ++i) {
            const int16_t sample = int16_t(ReadU16(in + 2 * i));
            std::memcpy(out + 2 * i, &sample, 2);
        }
    } else {
        for (size_t i = 0; i < samples; ++i) {
            const int16_t sample = int16_t((int(in[i]) - 128) * 256);
            std::memcpy(out + 2 * i, &sample, 2);
        }
    }
}

class WavStream : public DecoderStream {
public:
    WavStream(std::vector<uint8_t> file, const WavLayout& layout, uint32_t outputRate)
        : DecoderStream(layout.rate, layout.channels, outputRate), mFile(std::move(file)), mLayout(layout)
    {
    }

protected:
    size_t DecodeFrames(int16_t* out, size_t frames) override
    {
        const size_t frameBytes = size_t(mLayout.channels) * mLayout.bits / 8;
        const size_t left = mLayout.dataBytes / frameBytes - mNext;
        const size_t count = std::min(frames, left);
        const uint8_t* in = mFile.data() + mLayout.dataOffset + mNext * frameBytes;
        WavSamplesToPcm16(in, count * mLayout.channels, mLayout.bits, reinterpret_cast<uint8_t*>(out));
        mNext += count;
        return count;
    }
    bool SeekFrame(uint64_t frame) override
    {
        if (frame > LengthFrames())
            return false;
        mNext = size_t(frame);
        return true;
    }
    uint64_t LengthFrames() const override { return mLayout.dataBytes / (size_t(mLayout.channels) * mLayout.bits / 8); }

private:
    std::vector<uint8_t> mFile;
    WavLayout mLayout;
    size_t mNext = 0;
};

// ---- Ogg Vorbis

size_t OggRead(void* out, size_t size, size_t count, void* file)
{
    if (size == 0)
        return 0;
    return static_cast<MemoryFile*>(file)->Read(out, size * count) / size;
}

int OggSeek(void* file, ogg_int64_t offset, int whence)
{
    return static_cast<MemoryFile*>(file)->Seek(offset, whence) < 0 ? -1 : 0;
}

int OggClose(void* /*file*/)
{
    return 0;
}

long OggTell(void* file)
{
    return long(static_cast<MemoryFile*>(file)->position);
}

class OggStream : public DecoderStream {
public:
    static std::unique_ptr<OggStream> Open(std::vector<uint8_t> bytes, uint32_t outputRate, std::string* error)
    {
        auto file = std::make_unique<MemoryFile>();
        file->bytes = std::move(bytes);
        auto vorbis = std::make_unique<OggVorbis_File>();
        const ov_callbacks callbacks = {OggRead, OggSeek, OggClose, OggTell};
        if (ov_open_callbacks(file.get(), vorbis.get(), nullptr, 0, callbacks) < 0) {
            SetError(error, "not an Ogg Vorbis file");
            return nullptr;
        }
        const vorbis_info* info = ov_info(vorbis.get(), -1);
        if (info == nullptr || info->channels < 1 || info->rate < 1 ||
            !PlayablePcmFormat(uint32_t(info->channels), uint32_t(info->rate), 16)) {
            ov_clear(vorbis.get());
            SetError(error, "Ogg Vorbis format not playable (1-2 channels, 1-192 kHz)");
            return nullptr;
        }
        return std::unique_ptr<OggStream>(new OggStream(std::move(file), std::move(vorbis), uint32_t(info->rate),
                                                        uint16_t(info->channels), outputRate));
    }
    ~OggStream() override { ov_clear(mVorbis.get()); }

protected:
    size_t DecodeFrames(int16_t* out, size_t frames) override
    {
        const size_t frameBytes = size_t(Channels()) * 2;
        char* write = reinterpret_cast<char*>(out);
        size_t bytes = 0;
        const size_t wanted = frames * frameBytes;
        int holes = 0;
        while (bytes < wanted) {
            int section = 0;
            const long got = ov_read(mVorbis.get(), write + bytes, int(std::min<size_t>(wanted - bytes, INT_MAX)),
                                     &section);
            if (got == OV_HOLE && ++holes < 16)
                continue; // a gap in the data: go on after it
            if (got <= 0)
                break;
            const vorbis_info* info = ov_info(mVorbis.get(), section);
            if (info == nullptr || info->channels != Channels())
                break; // a chained part in another layout ends the sound
            bytes += size_t(got);
        }
        return bytes / frameBytes;
    }
    bool SeekFrame(uint64_t frame) override { return ov_pcm_seek(mVorbis.get(), ogg_int64_t(frame)) == 0; }
    uint64_t LengthFrames() const override
    {
        const ogg_int64_t total = ov_pcm_total(mVorbis.get(), -1);
        return total > 0 ? uint64_t(total) : 0;
    }

private:
    OggStream(std::unique_ptr<MemoryFile> file, std::unique_ptr<OggVorbis_File> vorbis, uint32_t rate,
              uint16_t channels, uint32_t outputRate)
        : DecoderStream(rate, channels, outputRate), mFile(std::move(file)), mVorbis(std::move(vorbis))
    {
    }

    std::unique_ptr<MemoryFile> mFile;
    std::unique_ptr<OggVorbis_File> mVorbis;
};

// ---- MPEG audio

ssize_t Mp3Read(void* file, void* out, size_t count)
{
    return ssize_t(static_cast<MemoryFile*>(file)->Read(out, count));
}

off_t Mp3Seek(void* file, off_t offset, int whence)
{
    return off_t(static_cast<MemoryFile*>(file)->Seek(offset, whence));
}

void InitMpg123()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

class Mp3Stream : public DecoderStream {
public:
    static std::unique_ptr<Mp3Stream> Open(std::vector<uint8_t> bytes, uint32_t outputRate, std::string* error)
    {
        InitMpg123();
        auto file = std::make_unique<MemoryFile>();
        file->bytes = std::move(bytes);
        mpg123_handle* handle = mpg123_new(nullptr, nullptr);
        if (handle == nullptr) {
            SetError(error, "MPEG decoder unavailable");
            return nullptr;
        }
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        const bool opened =
            mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0) == MPG123_OK &&
            mpg123_format_none(handle) == MPG123_OK && AllowRates(handle) &&
            mpg123_replace_reader_handle(handle, Mp3Read, Mp3Seek, nullptr) == MPG123_OK &&
            mpg123_open_handle(handle, file.get()) == MPG123_OK &&
            mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK;
        if (!opened || encoding != MPG123_ENC_SIGNED_16 || !PlayablePcmFormat(uint32_t(channels), uint32_t(rate), 16)) {
            mpg123_delete(handle);
            SetError(error, "not MPEG audio");
            return nullptr;
        }
        // The format is fixed from here on.
        mpg123_format_none(handle);
        mpg123_format(handle, rate, channels, MPG123_ENC_SIGNED_16);
        return std::unique_ptr<Mp3Stream>(
            new Mp3Stream(std::move(file), handle, uint32_t(rate), uint16_t(channels), outputRate));
    }
    ~Mp3Stream() override { mpg123_delete(mHandle); }

protected:
    size_t DecodeFrames(int16_t* out, size_t frames) override
    {
        const size_t frameBytes = size_t(Channels()) * 2;
        unsigned char* write = reinterpret_cast<unsigned char*>(out);
        size_t bytes = 0;
        const size_t wanted = frames * frameBytes;
        while (bytes < wanted) {
            size_t done = 0;
            const int result = mpg123_read(mHandle, write + bytes, wanted - bytes, &done);
            bytes += done;
            if (result == MPG123_NEW_FORMAT && done == 0)
                continue;
            if (result != MPG123_OK || done == 0)
                break;
        }
        return bytes / frameBytes;
    }
    bool SeekFrame(uint64_t frame) override { return mpg123_seek(mHandle, off_t(frame), SEEK_SET) >= 0; }
    uint64_t LengthFrames() const override
    {
        const off_t length = mpg123_length(mHandle);
        return length > 0 ? uint64_t(length) : 0;
    }

private:
    Mp3Stream(std::unique_ptr<MemoryFile> file, mpg123_handle* handle, uint32_t rate, uint16_t channels,
              uint32_t outputRate)
        : DecoderStream(rate, channels, outputRate), mFile(std::move(file)), mHandle(handle)
    {
    }

    static bool AllowRates(mpg123_handle* handle)
    {
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            if (mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK)
                return false;
        return true;
    }

    std::unique_ptr<MemoryFile> mFile;
    mpg123_handle* mHandle;
};

} // namespace

// A friend in all but name: drains a stream's decoder into a block.
class DecoderDrain {
public:
    static bool Run(DecoderStream& stream, PcmBlock& out, std::string* error)
    {
        out.channels = stream.Channels();
        out.bits = 16;
        out.rate = stream.Rate();
        out.bytes.clear();
        const size_t frameBytes = size_t(stream.Channels()) * 2;
        std::vector<int16_t> chunk(4096 * size_t(stream.Channels()));
        for (;;) {
            const size_t frames = stream.DecodeFrames(chunk.data(), 4096);
            if (frames == 0)
                break;
            if (out.bytes.size() + frames * frameBytes > kMaxDecodedBytes) {
                out = PcmBlock();
                SetError(error, "decoded sound too large");
                return false;
            }
            const uint8_t* bytes = reinterpret_cast<const uint8_t*>(chunk.data());
            out.bytes.insert(out.bytes.end(), bytes, bytes + frames * frameBytes);
        }
        if (out.bytes.empty()) {
            out = PcmBlock();
            SetError(error, "file holds no sound");
            return false;
        }
        return true;
    }
};

std::unique_ptr<DecoderStream> DecoderStream::OpenWav(std::vector<uint8_t> file, uint32_t outputRate,
                                                      std::string* error)
{
    WavLayout layout;
    if (!ParseWav(file.data(), file.size(), layout, error))
        return nullptr;
    return std::make_unique<WavStream>(std::move(file), layout, outputRate);
}

std::unique_ptr<DecoderStream> DecoderStream::OpenOgg(std::vector<uint8_t> file, uint32_t outputRate,
                                                      std::string* error)
{
    return OggStream::Open(std::move(file), outputRate, error);
}

std::unique_ptr<DecoderStream> DecoderStream::OpenMp3(std::vector<uint8_t> file, uint32_t outputRate,
                                                      std::string* error)
{
    return Mp3Stream::Open(std::move(file), outputRate, error);
}

bool DecodeWav(const uint8_t* data, size_t size, PcmBlock& out, std::string* error)
{
    out = PcmBlock();
    WavLayout layout;
    if (!ParseWav(data, size, layout, error))
        return false;
    // The same ceiling as every other decoder (8-bit data doubles in size).
    if (uint64_t(layout.dataBytes) * (layout.bits == 8 ? 2 : 1) > kMaxDecodedBytes) {
        SetError(error, "decoded sound too large");
        return false;
    }
    out.channels = layout.channels;
    out.rate = layout.rate;
    out.bits = 16;
    const size_t samples = layout.dataBytes / (layout.bits / 8);
    out.bytes.resize(samples * 2);
    WavSamplesToPcm16(data + layout.dataOffset, samples, layout.bits, out.bytes.data());
    return true;
}

bool DecodeOgg(const uint8_t* data, size_t size, PcmBlock& out, std::string* error)
{
    out = PcmBlock();
    if (data == nullptr) {
        SetError(error, "not an Ogg Vorbis file");
        return false;
    }
    auto stream = OggStream::Open(std::vector<uint8_t>(data, data + size), kMixRate, error);
    return stream != nullptr && DecoderDrain::Run(*stream, out, error);
}

bool DecodeMp3(const uint8_t* data, size_t size, PcmBlock& out, std::string* error)
{
    out = PcmBlock();
    if (data == nullptr) {
        SetError(error, "not MPEG audio");
        return false;
    }
    auto stream = Mp3Stream::Open(std::vector<uint8_t>(data, data + size), kMixRate, error);
    return stream != nullptr && DecoderDrain::Run(*stream, out, error);
}

} // namespace Plat
