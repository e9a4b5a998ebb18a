#include "framework/sound/WavWriter.h"

namespace Lumo {

void WavWriter::Tag(const char* tag)
{
    Bytes(tag, 4);
}

void WavWriter::U8(uint8_t value)
{
    mBytes.push_back(value);
}

void WavWriter::U16(uint32_t value)
{
    mBytes.push_back(uint8_t(value));
    mBytes.push_back(uint8_t(value >> 8));
}

void WavWriter::U32(uint32_t value)
{
    U16(value & 0xFFFF);
    U16(value >> 16);
}

void WavWriter::Bytes(const void* bytes, size_t count)
{
    const uint8_t* first = static_cast<const uint8_t*>(bytes);
    mBytes.insert(mBytes.end(), first, first + count);
}

void WavWriter::FormatBody(uint16_t formatTag, uint32_t channels, uint32_t rate, uint32_t bits)
{
    const uint32_t blockAlign = channels * bits / 8;
    U16(formatTag);
    U16(channels);
    U32(rate);
    U32(blockAlign * rate);
    U16(blockAlign);
    U16(bits);
}

void WavWriter::PcmHeader(uint32_t riffSize, uint32_t channels, uint32_t rate, uint32_t bits)
{
    Tag("RIFF");
    U32(riffSize);
    Tag("WAVE");
    Tag("fmt ");
    U32(16);
    FormatBody(1, channels, rate, bits);
}

} // namespace Lumo
