#include "support/SoundFixtures.h"

#include "platform/AudioOutput.h"

namespace LumoTest {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Put32BigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value >> 24));
    out.push_back(uint8_t(value >> 16));
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

void PutTag(std::vector<uint8_t>& out, const std::string& tag)
{
    for (size_t i = 0; i < 4; ++i)
        out.push_back(i < tag.size() ? uint8_t(tag[i]) : uint8_t(' '));
}

} // namespace

std::vector<uint8_t> MakeWavFile(const std::vector<WavChunk>& chunks)
{
    std::vector<uint8_t> body;
    for (const WavChunk& chunk : chunks) {
        PutTag(body, chunk.tag);
        Put32(body, chunk.declaredSize.value_or(uint32_t(chunk.body.size())));
        body.insert(body.end(), chunk.body.begin(), chunk.body.end());
    }
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, uint32_t(body.size() + 4));
    PutTag(out, "WAVE");
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> FmtBody(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    std::vector<uint8_t> out;
    const uint32_t blockAlign = uint32_t(channels) * bits / 8;
    Put16(out, formatTag);
    Put16(out, channels);
    Put32(out, rate);
    Put32(out, blockAlign * rate);
    Put16(out, blockAlign);
    Put16(out, bits);
    return out;
}

std::vector<uint8_t> MakePcmWav(uint16_t channels, uint32_t rate, uint16_t bits, const std::vector<uint8_t>& data)
{
    return MakeWavFile({{"fmt ", FmtBody(1, channels, rate, bits), {}}, {"data", data, {}}});
}

std::vector<uint8_t> MakeAuFile(uint32_t dataOffset, uint32_t dataSize, uint32_t encoding, uint32_t rate,
                                uint32_t channels, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out = {'.', 's', 'n', 'd'};
    Put32BigEndian(out, dataOffset);
    Put32BigEndian(out, dataSize);
    Put32BigEndian(out, encoding);
    Put32BigEndian(out, rate);
    Put32BigEndian(out, channels);
    while (out.size() < dataOffset)
        out.push_back(0);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> out;
    for (int16_t sample : samples)
        Put16(out, uint16_t(sample));
    return out;
}

std::vector<uint8_t> SampleBytes(std::initializer_list<int16_t> samples)
{
    return SampleBytes(std::vector<int16_t>(samples));
}

std::vector<int16_t> SamplesOf(const uint8_t* bytes, size_t count)
{
    std::vector<int16_t> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = int16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return out;
}

Plat::Window* FakeWindow()
{
    // Never looked into: only its being there counts.
    static char handle;
    return reinterpret_cast<Plat::Window*>(&handle);
}

OfflineSound::OfflineSound() : mPrevious(Plat::SetAudioDevice(&device)) {}

OfflineSound::~OfflineSound()
{
    Plat::SetAudioDevice(mPrevious);
}

} // namespace LumoTest
