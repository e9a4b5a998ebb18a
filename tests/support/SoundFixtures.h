// Sound fixtures made by the tests themselves: RIFF/WAVE and AU files built
// chunk by chunk (sizes may lie on purpose), PCM sample bytes, a stand-in
// window handle, and an offline sound card installed for a test's lifetime.
#pragma once

#include "platform/audio/OfflineAudioDevice.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace Plat {
class AudioDevice;
class Window;
} // namespace Plat

namespace LumoTest {

struct WavChunk {
    std::string tag; // four characters
    std::vector<uint8_t> body;
    std::optional<uint32_t> declaredSize; // written instead of the body's size
};

// "RIFF", size, "WAVE", then the chunks back to back (no padding).
std::vector<uint8_t> MakeWavFile(const std::vector<WavChunk>& chunks);
// The 16 bytes of a "fmt " chunk; block align and byte rate as a writer
// computes them.
std::vector<uint8_t> FmtBody(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits);
// A plain PCM WAVE file.
std::vector<uint8_t> MakePcmWav(uint16_t channels, uint32_t rate, uint16_t bits, const std::vector<uint8_t>& data);

// ".snd", five big-endian words, padding up to the data offset, the data.
std::vector<uint8_t> MakeAuFile(uint32_t dataOffset, uint32_t dataSize, uint32_t encoding, uint32_t rate,
                                uint32_t channels, const std::vector<uint8_t>& data);

// 16-bit samples as little-endian bytes, and back.
std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& samples);
std::vector<uint8_t> SampleBytes(std::initializer_list<int16_t> samples);
std::vector<int16_t> SamplesOf(const uint8_t* bytes, size_t count);

// A non-null window handle for code that only needs one to exist.
Plat::Window* FakeWindow();

// Installs an offline sound card for the output; restores the previous one.
class OfflineSound {
public:
    OfflineSound();
    ~OfflineSound();
    OfflineSound(const OfflineSound&) = delete;
    OfflineSound& operator=(const OfflineSound&) = delete;

    Plat::OfflineAudioDevice device;

private:
    Plat::AudioDevice* mPrevious;
};

} // namespace LumoTest
