#include "support/SoundFixtures.h"

#include "framework/sound/WavWriter.h"
#include "platform/audio/AudioOutput.h"

namespace LumoTest {

namespace {

void Put32BigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value >> 24));
    out.push_back(uint8_t(value >> 16));
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

// Short tags are padded with spaces.
void PutTag(Lumo::WavWriter& out, const std::string& tag)
{
    const std::string four = (tag + "    ").substr(0, 4);
    out.Tag(four.c_str());
}

} // namespace

std::vector<uint8_t> MakeWavFile(const std::vector<WavChunk>& chunks)
{
    size_t bodyBytes = 0;
    for (const WavChunk& chunk : chunks)
        bodyBytes += 8 + chunk.body.size();
    Lumo::WavWriter out;
    out.Tag("RIFF");
    out.U32(uint32_t(bodyBytes + 4));
    out.Tag("WAVE");
    for (const WavChunk& chunk : chunks) {
        PutTag(out, chunk.tag);
        out.U32(chunk.declaredSize.value_or(uint32_t(chunk.body.size())));
        out.Bytes(chunk.body.data(), chunk.body.size());
    }
    return std::move(out.Data());
}

std::vector<uint8_t> FmtBody(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    Lumo::WavWriter out;
    out.FormatBody(formatTag, channels, rate, bits);
    return std::move(out.Data());
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
    Lumo::WavWriter out;
    for (int16_t sample : samples)
        out.U16(uint16_t(sample));
    return std::move(out.Data());
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
