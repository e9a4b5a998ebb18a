// Little-endian RIFF/WAVE bytes built field by field: the one writer behind
// the cached WAV files of the sound manager and of the FMOD music player.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Lumo {

class WavWriter {
public:
    // Four characters, as they are.
    void Tag(const char* tag);
    void U8(uint8_t value);
    void U16(uint32_t value);
    void U32(uint32_t value);
    void Bytes(const void* bytes, size_t count);
    // The 16 bytes of a "fmt " chunk's body; block align (channels x bits / 8)
    // and bytes per second are worked out, never taken from elsewhere.
    void FormatBody(uint16_t formatTag, uint32_t channels, uint32_t rate, uint32_t bits);
    // "RIFF", riffSize, "WAVE", then a PCM "fmt " chunk.
    void PcmHeader(uint32_t riffSize, uint32_t channels, uint32_t rate, uint32_t bits);

    void Reserve(size_t bytes) { mBytes.reserve(bytes); }
    std::vector<uint8_t>& Data() { return mBytes; }

private:
    std::vector<uint8_t> mBytes;
};

} // namespace Lumo
