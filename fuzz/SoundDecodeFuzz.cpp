// Feeds arbitrary bytes to the sound decoders our sound libraries load with:
// whole-file WAV, Ogg Vorbis and MP3 decoding, and a tracker module rendered
// to one pass. Traps on a decoded block that does not hold whole frames of a
// format the players take.
#include "platform/audio/AudioDecoder.h"

#include <cstddef>
#include <cstdint>

namespace {

// Short songs at a low rate keep each run fast; longer ones take the refusal path.
constexpr uint32_t kFuzzRate = 8000;
constexpr size_t kMaxFuzzFrames = kFuzzRate * 30;

void CheckBlock(const Plat::PcmBlock& block)
{
    if (!Plat::PlayablePcmFormat(block.channels, block.rate, block.bits) || block.FrameBytes() == 0 ||
        block.bytes.size() % block.FrameBytes() != 0)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Plat::PcmBlock block;
    if (Plat::DecodeAudio(data, size, block))
        CheckBlock(block);
    if (Plat::DetectAudioFormat(data, size) == Plat::AudioFormat::Module &&
        Plat::RenderModulePass(data, size, kFuzzRate, block, nullptr, kMaxFuzzFrames)) {
        CheckBlock(block);
        if (block.channels != 2 || block.Frames() == 0 || block.Frames() > kMaxFuzzFrames)
            __builtin_trap();
    }
    return 0;
}
