// How the sound manager fills a source id: the data cache, then the cached
// WAV left by an earlier run, then the sound file itself as ".wav", ".mp3"
// (with FMOD), ".ogg" or ".au". A decoded compressed sound is stored back as
// a cached WAV so that later runs skip the decoding. Files are read through
// the pak layer and never trusted: every size is held to the bytes present.
#include "framework/sound/DSoundManager.h"

#include "framework/core/AppDataFolder.h"
#include "framework/core/LastWriteTime.h"
#include "framework/core/PakClient.h"
#include "framework/core/PathUtils.h"
#include "framework/sound/WavWriter.h"
#include "platform/files/AtomicFile.h"
#include "platform/audio/AudioDecoder.h"
#include "platform/files/FileSystem.h"
#include "platform/audio/SoundBuffer.h"

#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Lumo {

namespace {

// A data file opened "rb" through the pak layer, with its size; closed when
// it goes out of scope.
class SoundFile {
public:
    explicit SoundFile(const std::string& name) : mFile(PakOpen(name.c_str(), "rb"))
    {
        if (mFile == nullptr)
            return;
        long size = -1;
        if (PakSeek(mFile, 0, SEEK_END) == 0)
            size = PakTell(mFile);
        if (size < 0 || PakSeek(mFile, 0, SEEK_SET) != 0) {
            Close();
            return;
        }
        mSize = uint64_t(size);
    }
    ~SoundFile() { Close(); }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    bool IsOpen() const { return mFile != nullptr; }
    uint64_t Size() const { return mSize; }
    uint64_t Tell() const
    {
        const long position = PakTell(mFile);
        return position < 0 ? mSize : uint64_t(position);
    }
    bool Seek(uint64_t position)
    {
        return position <= mSize && PakSeek(mFile, long(position), SEEK_SET) == 0;
    }
    // True when all the bytes were there.
    bool Read(void* out, uint64_t bytes) { return PakRead(out, 1, size_t(bytes), mFile) == bytes; }
    bool ReadTag(char (&tag)[4]) { return Read(tag, 4); }
    bool ReadU8(uint8_t& value) { return Read(&value, 1); }
    bool ReadU16(uint16_t& value)
    {
        uint8_t bytes[2];
        if (!Read(bytes, 2))
            return false;
        value = uint16_t(bytes[0] | (bytes[1] << 8));
        return true;
    }
    bool ReadU32(uint32_t& value)
    {
        uint8_t bytes[4];
        if (!Read(bytes, 4))
            return false;
        value = uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) |
                (uint32_t(bytes[3]) << 24);
        return true;
    }
    bool ReadU32BigEndian(uint32_t& value)
    {
        uint8_t bytes[4];
        if (!Read(bytes, 4))
            return false;
        value = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
                uint32_t(bytes[3]);
        return true;
    }
    void Close()
    {
        if (mFile != nullptr)
            PakClose(mFile);
        mFile = nullptr;
    }

private:
    PakFile* mFile;
    uint64_t mSize = 0;
};

bool IsTag(const char (&tag)[4], const char* expected)
{
    return std::memcmp(tag, expected, 4) == 0;
}

// One 8-bit logarithmic AU sample as a 16-bit one.
int16_t ExpandLogSample(uint8_t byte)
{
    const int sign = byte >= 0x80 ? 1 : -1;
    const int m = byte | 0x80;
    int magnitude;
    if (m >= 0xF0)
        magnitude = (0xFF - m) * 2;
    else if (m >= 0xE0)
        magnitude = (0xF7 - m) * 4;
    else if (m >= 0xD0)
        magnitude = (0xEB - m) * 8;
    else if (m >= 0xC0)
        magnitude = (0xDD - m) * 16;
    else if (m >= 0xB0)
        magnitude = (0xCE - m) * 32;
    else if (m >= 0xA0)
        magnitude = 12192 - m * 64;
    else if (m >= 0x90)
        magnitude = 22368 - m * 128;
    else
        magnitude = 40672 - m * 256;
    return int16_t(sign * magnitude * 4);
}

// Vorbis reads the file through the pak layer.
size_t OggRead(void* buffer, size_t size, size_t count, void* file)
{
    return PakRead(buffer, size, count, static_cast<PakFile*>(file));
}

int OggClose(void* file)
{
    return PakClose(static_cast<PakFile*>(file));
}

long OggTell(void* file)
{
    return PakTell(static_cast<PakFile*>(file));
}

} // namespace

std::string DSoundManager::CachedWAVName(const std::string& soundName)
{
    if (soundName.size() <= 2 || soundName[0] == '\\' || soundName[0] == '/' || soundName[1] == ':')
        return std::string();
    // A ".." component would put the copy outside the "cached" folder, over
    // whatever lives there.
    size_t start = 0;
    while (start <= soundName.size()) {
        size_t end = soundName.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = soundName.size();
        if (soundName.compare(start, end - start, "..") == 0)
            return std::string();
        start = end + 1;
    }
    return GetAppDataFolder() + "cached\\" + soundName + ".wav";
}

bool DSoundManager::LoadFromSources(unsigned int id, const std::string& name)
{
    if (ReadSoundFromCache(id, name))
        return true;

    const std::string cached = CachedWAVName(name);
    if (!cached.empty()) {
        if (ReadWAVFile(id, cached)) {
            WriteSoundToCache(id, name);
            return true;
        }
        MkDir(GetFileDir(cached));
    }

    if (ReadWAVFile(id, name + ".wav")) {
        WriteSoundToCache(id, name);
        return true;
    }
    if (mUseFMod && LoadFModSound(id, name + ".mp3")) {
        WriteSoundToCache(id, name);
        WriteCachedWAV(id, cached, name + ".mp3");
        return true;
    }
    if (LoadOGGSound(id, name + ".ogg")) {
        WriteSoundToCache(id, name);
        WriteCachedWAV(id, cached, name + ".ogg");
        return true;
    }
    if (LoadAUSound(id, name + ".au")) {
        WriteSoundToCache(id, name);
        WriteCachedWAV(id, cached, name + ".au");
        return true;
    }
    return false;
}

// No data cache process serves this system: there is never a record to
// read, and nothing to store one in.
bool DSoundManager::ReadSoundFromCache(unsigned int /*id*/, const std::string& /*soundName*/)
{
    return false;
}

bool DSoundManager::WriteSoundToCache(unsigned int /*id*/, const std::string& /*soundName*/)
{
    return false;
}

bool DSoundManager::ReadWAVFile(unsigned int id, const std::string& fileName)
{
    if (id >= kMaxSourceSounds)
        return false;
    SoundFile file(fileName);
    if (!file.IsOpen())
        return false;
    char tag[4];
    uint32_t riffSize = 0;
    if (!file.ReadTag(tag) || !IsTag(tag, "RIFF") || !file.ReadU32(riffSize) || !file.ReadTag(tag) ||
        !IsTag(tag, "WAVE"))
        return false;

    uint32_t channels = 1;
    uint32_t rate = 22050;
    uint32_t bits = 16;
    uint8_t key = 0;
    uint32_t chunkSize = 0;
    uint64_t chunkStart = 0;
    for (;;) {
        if (!file.ReadTag(tag) || !file.ReadU32(chunkSize))
            return false;
        chunkStart = file.Tell();
        if (IsTag(tag, "fmt ")) {
            uint16_t formatTag = 0;
            uint16_t fileChannels = 0;
            uint32_t fileRate = 0;
            uint32_t bytesPerSecond = 0;
            uint16_t blockAlign = 0;
            uint16_t fileBits = 0;
            if (chunkSize < 16 || !file.ReadU16(formatTag) || !file.ReadU16(fileChannels) ||
                !file.ReadU32(fileRate) || !file.ReadU32(bytesPerSecond) || !file.ReadU16(blockAlign) ||
                !file.ReadU16(fileBits))
                return false;
            if (formatTag != Plat::kWaveFormatPcm || !Plat::PlayablePcmFormat(fileChannels, fileRate, fileBits))
                return false;
            channels = fileChannels;
            rate = fileRate;
            bits = fileBits;
        } else if (IsTag(tag, "dep ")) {
            // The file this copy was decoded from, and its time then: a
            // source changed since makes the copy stale.
            uint16_t length = 0;
            if (!file.ReadU16(length))
                return false;
            length = std::min<uint16_t>(length, 255);
            std::string source(length, '\0');
            uint32_t timeLow = 0;
            uint32_t timeHigh = 0;
            if (!file.Read(source.data(), length) || !file.ReadU32(timeLow) || !file.ReadU32(timeHigh))
                return false;
            uint64_t now = 0;
            GetLastWriteTime(source, now);
            if (now != (uint64_t(timeHigh) << 32 | timeLow))
                return false;
        } else if (IsTag(tag, "xor ")) {
            if (!file.ReadU8(key))
                return false;
        } else if (IsTag(tag, "data")) {
            break;
        }
        // Sizes are unsigned and summed in 64 bits: always forward, and never
        // past the end of the file.
        if (!file.Seek(chunkStart + chunkSize))
            return false;
    }

    // A data size beyond the file (a cut-off or streamed file) stands for the
    // bytes that are there, in whole frames.
    const uint32_t frameBytes = channels * bits / 8;
    uint64_t dataSize = std::min<uint64_t>(chunkSize, file.Size() - std::min(chunkStart, file.Size()));
    dataSize -= dataSize % frameBytes;
    if (dataSize == 0)
        return false;
    uint8_t* data = nullptr;
    if (!CreateSourceBuffer(id, channels, rate, bits, uint32_t(dataSize), data))
        return false;
    const bool complete = file.Read(data, dataSize);
    file.Close();
    if (key != 0) {
        for (uint64_t i = 0; i < dataSize; ++i)
            data[i] ^= key;
    }
    return FinishSourceBuffer(id, data, complete);
}

bool DSoundManager::WriteCachedWAV(unsigned int id, const std::string& cachedName, const std::string& sourceName)
{
    // A source path longer than the reader takes would make a copy that is
    // refused on every run.
    if (cachedName.empty() || id >= kMaxSourceSounds || mSourceSounds[id] == nullptr || sourceName.size() > 255)
        return false;
    Plat::SoundBuffer& buffer = *mSourceSounds[id];
    const uint32_t dataSize = mSourceDataSizes[id];
    void* part1 = nullptr;
    uint32_t bytes1 = 0;
    void* part2 = nullptr;
    uint32_t bytes2 = 0;
    if (buffer.Lock(0, dataSize, &part1, &bytes1, &part2, &bytes2, 0) != Plat::kSoundOk)
        return false;

    Plat::WaveFormat format;
    buffer.GetFormat(format);
    uint64_t sourceTime = 0;
    GetLastWriteTime(sourceName, sourceTime);
    const uint32_t pathLength = uint32_t(sourceName.size());

    WavWriter out;
    out.Reserve(71 + size_t(pathLength) + dataSize);
    out.PcmHeader(dataSize + 36, format.channels, format.samplesPerSec, format.bitsPerSample);
    out.Tag("dep ");
    out.U32(pathLength + 10);
    out.U16(pathLength);
    out.Bytes(sourceName.data(), pathLength);
    out.U32(uint32_t(sourceTime));
    out.U32(uint32_t(sourceTime >> 32));
    out.Tag("xor ");
    out.U32(1);
    out.U8(kCachedWAVKey);
    out.Tag("data");
    out.U32(dataSize);
    // The scrambled bytes go to the copy; the buffer itself stays as it is,
    // since instances may be playing it.
    std::vector<uint8_t>& bytes = out.Data();
    const bool whole = part1 != nullptr && bytes1 >= dataSize;
    if (whole) {
        const size_t dataAt = bytes.size();
        out.Bytes(part1, dataSize);
        for (size_t i = dataAt; i < bytes.size(); ++i)
            bytes[i] ^= kCachedWAVKey;
    }

    // Written whole or not at all: a cut-off copy would pass for the sound.
    const bool written =
        whole && Plat::WriteFileAtomically(Plat::GetFileSystem().NativePath(cachedName), bytes.data(), bytes.size());
    const bool unlocked = buffer.Unlock(part1, bytes1, part2, bytes2) == Plat::kSoundOk;
    return unlocked && written;
}

bool DSoundManager::LoadOGGSound(unsigned int id, const std::string& fileName)
{
    if (id >= kMaxSourceSounds)
        return false;
    PakFile* file = PakOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;
    OggVorbis_File vorbis;
    const ov_callbacks callbacks = {OggRead, OggPakSeek, OggClose, OggTell};
    if (ov_open_callbacks(file, &vorbis, nullptr, 0, callbacks) < 0) {
        PakClose(file);
        return false;
    }
    const vorbis_info* info = ov_info(&vorbis, -1);
    const ogg_int64_t frames = ov_pcm_total(&vorbis, -1);
    if (info == nullptr || info->channels < 1 || info->rate < 1 ||
        !Plat::PlayablePcmFormat(uint32_t(info->channels), uint32_t(info->rate), 16) || frames <= 0 ||
        uint64_t(frames) > Plat::kSoundBufferBytesMax / (uint32_t(info->channels) * 2)) {
        ov_clear(&vorbis);
        return false;
    }
    const uint32_t channels = uint32_t(info->channels);
    const uint32_t dataSize = uint32_t(frames) * channels * 2;
    uint8_t* data = nullptr;
    if (!CreateSourceBuffer(id, channels, uint32_t(info->rate), 16, dataSize, data)) {
        ov_clear(&vorbis);
        return false;
    }
    uint32_t missing = dataSize;
    uint8_t* write = data;
    int section = 0;
    while (missing > 0) {
        const long got = ov_read(&vorbis, reinterpret_cast<char*>(write), int(std::min<uint32_t>(missing, INT_MAX)),
                                 &section);
        if (got <= 0)
            break;
        const uint32_t taken = std::min<uint32_t>(uint32_t(got), missing);
        write += taken;
        missing -= taken;
    }
    const bool result = FinishSourceBuffer(id, data, missing == 0);
    ov_clear(&vorbis); // closes the file
    return result;
}

bool DSoundManager::LoadAUSound(unsigned int id, const std::string& fileName)
{
    if (id >= kMaxSourceSounds)
        return false;
    SoundFile file(fileName);
    if (!file.IsOpen())
        return false;
    char tag[4];
    uint32_t dataOffset = 0;
    uint32_t declaredSize = 0;
    uint32_t encoding = 0;
    uint32_t rate = 0;
    uint32_t channels = 0;
    if (!file.ReadTag(tag) || !IsTag(tag, ".snd") || !file.ReadU32BigEndian(dataOffset) ||
        !file.ReadU32BigEndian(declaredSize) || !file.ReadU32BigEndian(encoding) || !file.ReadU32BigEndian(rate) ||
        !file.ReadU32BigEndian(channels))
        return false;
    uint32_t bits;
    if (encoding == 1)
        bits = 16; // 8-bit logarithmic, expanded
    else if (encoding == 2)
        bits = 8; // 8-bit linear
    else
        return false;
    if (!Plat::PlayablePcmFormat(channels, rate, bits) || !file.Seek(dataOffset))
        return false;

    // An unknown or too large size (0xFFFFFFFF is common) stands for the
    // bytes that are there, in whole frames.
    uint64_t sourceBytes = std::min<uint64_t>(declaredSize, file.Size() - dataOffset);
    sourceBytes -= sourceBytes % channels;
    const uint64_t dataSize = sourceBytes * bits / 8;
    if (sourceBytes == 0 || dataSize > Plat::kSoundBufferBytesMax)
        return false;
    uint8_t* data = nullptr;
    if (!CreateSourceBuffer(id, channels, rate, bits, uint32_t(dataSize), data))
        return false;
    std::vector<uint8_t> raw(sourceBytes);
    const bool complete = file.Read(raw.data(), sourceBytes);
    file.Close();
    if (encoding == 2) {
        // The file's samples are signed; 8-bit buffers hold them offset by 128.
        for (uint64_t i = 0; i < sourceBytes; ++i)
            data[i] = raw[i] ^ 0x80;
    } else {
        for (uint64_t i = 0; i < sourceBytes; ++i) {
            const int16_t sample = ExpandLogSample(raw[i]);
            std::memcpy(data + 2 * i, &sample, 2);
        }
    }
    return FinishSourceBuffer(id, data, complete);
}

} // namespace Lumo
