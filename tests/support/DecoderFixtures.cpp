#include "support/DecoderFixtures.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace LumoTest {

namespace {

constexpr size_t kModHeaderBytes = 1084;
constexpr size_t kPatternBytes = 64 * 4 * 4; // rows x channels x cell
constexpr uint16_t kPeriodC2 = 428;

void PutBigEndian16(std::vector<uint8_t>& out, size_t at, uint16_t value)
{
    out[at] = uint8_t(value >> 8);
    out[at + 1] = uint8_t(value);
}

// One cell: sample number, Amiga period, effect and its parameter.
void PutCell(std::vector<uint8_t>& out, size_t pattern, size_t row, size_t channel, uint8_t sample,
             uint16_t period, uint8_t effect, uint8_t parameter)
{
    const size_t at = kModHeaderBytes + pattern * kPatternBytes + (row * 4 + channel) * 4;
    out[at] = uint8_t((sample & 0xF0) | ((period >> 8) & 0x0F));
    out[at + 1] = uint8_t(period & 0xFF);
    out[at + 2] = uint8_t(((sample & 0x0F) << 4) | (effect & 0x0F));
    out[at + 3] = parameter;
}

} // namespace

std::vector<uint8_t> MakeTestMod()
{
    constexpr size_t kSampleBytes = 32;
    std::vector<uint8_t> mod(kModHeaderBytes + 2 * kPatternBytes + kSampleBytes, 0);
    std::memcpy(mod.data(), "test song", 9);
    // Sample 1: length, finetune, volume, loop start, loop length (words).
    const size_t sample = 20;
    std::memcpy(mod.data() + sample, "square", 6);
    PutBigEndian16(mod, sample + 22, kSampleBytes / 2);
    mod[sample + 25] = 64;
    PutBigEndian16(mod, sample + 26, 0);
    PutBigEndian16(mod, sample + 28, kSampleBytes / 2);
    // The other 30 samples are empty with the customary loop length of 1.
    for (size_t i = 1; i < 31; ++i)
        PutBigEndian16(mod, 20 + i * 30 + 28, 1);
    mod[950] = 2;   // orders
    mod[951] = 127; // restart byte
    mod[952] = 0;
    mod[953] = 1;
    std::memcpy(mod.data() + 1080, "M.K.", 4);

    for (size_t pattern = 0; pattern < 2; ++pattern) {
        PutCell(mod, pattern, 0, 0, 1, kPeriodC2, 0xC, pattern == 0 ? 64 : 32);
        PutCell(mod, pattern, 16, 0, 0, 0, 0xC, 0);
        PutCell(mod, pattern, 31, 1, 0, 0, 0xD, 0);
    }
    uint8_t* wave = mod.data() + kModHeaderBytes + 2 * kPatternBytes;
    for (size_t i = 0; i < kSampleBytes; ++i)
        wave[i] = i < kSampleBytes / 2 ? uint8_t(64) : uint8_t(-64);
    return mod;
}

std::vector<uint8_t> MakeSilentMp3(size_t frames, bool stereo)
{
    // 144 * 128000 / 44100 = 417 bytes a frame (no padding).
    constexpr size_t kFrameBytes = 417;
    std::vector<uint8_t> out(frames * kFrameBytes, 0);
    for (size_t i = 0; i < frames; ++i) {
        uint8_t* header = out.data() + i * kFrameBytes;
        header[0] = 0xFF;
        header[1] = 0xFB;                 // MPEG-1, layer III, no checksum
        header[2] = 0x90;                 // 128 kbit/s, 44.1 kHz, no padding
        header[3] = stereo ? 0x00 : 0xC0; // stereo or single channel
    }
    return out;
}

float PeakOf(const std::vector<float>& stereo, size_t firstFrame, size_t frameCount)
{
    float peak = 0.0f;
    const size_t end = std::min(stereo.size(), 2 * (firstFrame + frameCount));
    for (size_t i = 2 * firstFrame; i < end; ++i)
        peak = std::max(peak, std::fabs(stereo[i]));
    return peak;
}

} // namespace LumoTest
