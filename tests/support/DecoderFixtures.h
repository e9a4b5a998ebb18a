// Sound files the decoder and BASS tests build themselves: a small 4-channel
// tracker module with one looped square-wave sample, and MPEG audio frames
// that decode to silence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace LumoTest {

// Rows of the test module last 6 ticks of 20 ms: 120 ms, 5292 frames at
// 44.1 kHz.
constexpr size_t kModRowFrames = 5292;

// A ProTracker "M.K." module of two orders (patterns 0 and 1), each 32 rows
// long (a pattern break on row 31 of channel 2):
//   order 0: row 0 a note of sample 1 on channel 1 at full volume; row 16
//            sets that channel's volume to 0.
//   order 1: row 0 the same note at half volume (32); row 16 volume 0.
// Sample 1 is a 32-byte square wave (+64 / -64), looped whole, volume 64.
std::vector<uint8_t> MakeTestMod();

// `frames` MPEG-1 layer III frames at 44.1 kHz, 128 kbit/s, without padding
// or checksum, whose side information and main data are all zero: each
// decodes to 1152 silent frames. Stereo or mono.
std::vector<uint8_t> MakeSilentMp3(size_t frames, bool stereo);

// The largest absolute sample in [first, first + count) of interleaved
// stereo float frames.
float PeakOf(const std::vector<float>& stereo, size_t firstFrame, size_t frameCount);

} // namespace LumoTest
