// The software mixer rendering one second of output (44100 frames, in the
// sound card's 1024-frame pulls) with 32 voices playing at once, as a full
// set of sound-effect channels would. "share_of_real_time" is the time one
// second of audio takes to mix, in seconds: 0.01 means 1% of one core.
// The last row adds a module song (the tests' small four-channel song,
// looping, rendered by libopenmpt) on a stream voice beside them.
#include "platform/audio/AudioDecoder.h"
#include "platform/audio/AudioMixer.h"
#include "support/DecoderFixtures.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr size_t kPull = 1024;
constexpr size_t kSecond = 44100;

std::shared_ptr<Plat::PcmBlock> Noise(uint16_t channels, uint16_t bits, uint32_t rate, uint32_t seed)
{
    auto block = std::make_shared<Plat::PcmBlock>();
    block->channels = channels;
    block->bits = bits;
    block->rate = rate;
    block->bytes.resize(size_t(rate) * 2 * block->FrameBytes()); // two seconds
    uint32_t state = seed;
    for (uint8_t& byte : block->bytes) {
        state = state * 1664525u + 1013904223u;
        byte = uint8_t(state >> 24);
    }
    return block;
}

// 32 looping voices in the four formats; with `resampled`, every one plays
// at a rate other than the output's (pitched effects, 22 kHz sounds).
void AddVoices(Plat::AudioMixer& mixer, bool resampled)
{
    for (uint32_t i = 0; i < 32; ++i) {
        const uint16_t channels = (i & 1) != 0 ? 2 : 1;
        const uint16_t bits = (i & 2) != 0 ? 8 : 16;
        const uint32_t rate = resampled ? 22050 : 44100;
        const Plat::VoiceId voice = mixer.CreateVoice(Noise(channels, bits, rate, i + 1));
        if (resampled)
            mixer.SetFrequency(voice, 16000 + 1500 * i); // a step of 0.36 to 1.42
        mixer.SetVolume(voice, -int32_t(100 * i));
        mixer.SetPan(voice, int32_t(i * 600) - 9600);
        mixer.Play(voice, true);
    }
}

void MixOneSecond(benchmark::State& state, bool resampled, bool module = false)
{
    Plat::AudioMixer mixer;
    AddVoices(mixer, resampled);
    std::unique_ptr<Plat::ModulePlayer> song;
    if (module) {
        const std::vector<uint8_t> bytes = LumoTest::MakeTestMod();
        song = Plat::ModulePlayer::Load(bytes.data(), bytes.size());
        if (song == nullptr) {
            state.SkipWithError("module not loaded");
            return;
        }
        song->SetRepeatCount(-1);
        mixer.Play(mixer.CreateStreamVoice(song.get()), true);
    }
    std::vector<int16_t> out(2 * kPull);
    for (auto _ : state) {
        for (size_t done = 0; done < kSecond; done += kPull) {
            mixer.Render(out.data(), std::min(kPull, kSecond - done));
            benchmark::DoNotOptimize(out.data());
        }
        benchmark::ClobberMemory();
    }
    // Seconds of work per second of sound.
    state.counters["share_of_real_time"] =
        benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Mix32ResampledVoices(benchmark::State& state)
{
    MixOneSecond(state, true);
}
BENCHMARK(BM_Mix32ResampledVoices)->Unit(benchmark::kMillisecond);

void BM_Mix32VoicesAtTheOutputRate(benchmark::State& state)
{
    MixOneSecond(state, false);
}
BENCHMARK(BM_Mix32VoicesAtTheOutputRate)->Unit(benchmark::kMillisecond);

void BM_Mix32ResampledVoicesAndAModule(benchmark::State& state)
{
    MixOneSecond(state, true, true);
}
BENCHMARK(BM_Mix32ResampledVoicesAndAModule)->Unit(benchmark::kMillisecond);

} // namespace
