// The software mixer, checked on rendered frames: exact copies at unit gain,
// the decibel and pan laws, resampling steps, looping, streams and groups.
#include "platform/audio/AudioMixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using Plat::AudioMixer;
using Plat::PcmBlock;

namespace {

std::shared_ptr<PcmBlock> Block16(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples)
{
    auto block = std::make_shared<PcmBlock>();
    block->channels = channels;
    block->bits = 16;
    block->rate = rate;
    block->bytes.resize(samples.size() * 2);
    if (!samples.empty())
        std::memcpy(block->bytes.data(), samples.data(), block->bytes.size());
    return block;
}

std::shared_ptr<PcmBlock> Block8(uint16_t channels, uint32_t rate, const std::vector<uint8_t>& samples)
{
    auto block = std::make_shared<PcmBlock>();
    block->channels = channels;
    block->bits = 8;
    block->rate = rate;
    block->bytes = samples;
    return block;
}

std::vector<int16_t> Render(AudioMixer& mixer, size_t frames)
{
    std::vector<int16_t> out(2 * frames, 0x5555);
    mixer.Render(out.data(), frames);
    return out;
}

// The left (or right) samples of rendered stereo frames.
std::vector<int16_t> Side(const std::vector<int16_t>& frames, int side)
{
    std::vector<int16_t> out;
    for (size_t i = side; i < frames.size(); i += 2)
        out.push_back(frames[i]);
    return out;
}

std::vector<int16_t> Mono(const std::vector<int16_t>& values)
{
    return values;
}

} // namespace

TEST(AudioMixerTest, UnitGainCopiesEveryFormatExactly)
{
    struct Case {
        const char* name;
        std::shared_ptr<PcmBlock> block;
        std::vector<int16_t> expected; // interleaved stereo, then silence
    };
    const Case cases[] = {
        {"16-bit mono", Block16(1, 44100, {0, 1, -1, 32767, -32768}),
         {0, 0, 1, 1, -1, -1, 32767, 32767, -32768, -32768}},
        {"16-bit stereo", Block16(2, 44100, {100, -200, 32767, -32768, -5, 7}),
         {100, -200, 32767, -32768, -5, 7}},
        // (byte - 128) x 256
        {"8-bit mono", Block8(1, 44100, {0x80, 0x81, 0x7F, 0xFF, 0x00}),
         {0, 0, 256, 256, -256, -256, 32512, 32512, -32768, -32768}},
        {"8-bit stereo", Block8(2, 44100, {0x00, 0xFF, 0x90, 0x70}), {-32768, 32512, 4096, -4096}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AudioMixer mixer;
        const Plat::VoiceId voice = mixer.CreateVoice(c.block);
        ASSERT_NE(voice, 0u);
        ASSERT_TRUE(mixer.Play(voice, false));
        const size_t frames = c.expected.size() / 2;
        std::vector<int16_t> out = Render(mixer, frames + 3);
        std::vector<int16_t> expected = c.expected;
        expected.resize(out.size(), 0);
        EXPECT_EQ(out, expected);
        EXPECT_FALSE(mixer.IsPlaying(voice));
        EXPECT_EQ(mixer.GetPosition(voice), 0u); // a finished sound rewinds
    }
}

TEST(AudioMixerTest, VoicesAddUpAndSaturate)
{
    AudioMixer mixer;
    const Plat::VoiceId a = mixer.CreateVoice(Block16(2, 44100, {20000, -20000, 1000, 0}));
    const Plat::VoiceId b = mixer.CreateVoice(Block16(2, 44100, {20000, -20000, -300, 5}));
    mixer.Play(a, false);
    mixer.Play(b, false);
    EXPECT_EQ(Render(mixer, 2), (std::vector<int16_t>{32767, -32768, 700, 5}));
}

TEST(AudioMixerTest, DecibelAndPanLaws)
{
    // gain = 10^(hundredths / 2000); -10000 and below are silence.
    EXPECT_FLOAT_EQ(AudioMixer::GainFromVolume(0), 1.0f);
    EXPECT_FLOAT_EQ(AudioMixer::GainFromVolume(500), 1.0f);
    EXPECT_FLOAT_EQ(AudioMixer::GainFromVolume(-2000), 0.1f);
    EXPECT_FLOAT_EQ(AudioMixer::GainFromVolume(-600), 0.50118723f);
    EXPECT_FLOAT_EQ(AudioMixer::GainFromVolume(-10000), 0.0f);
    EXPECT_FLOAT_EQ(AudioMixer::GainFromVolume(-20000), 0.0f);

    struct Case {
        int32_t volume;
        int32_t pan;
        int16_t left;
        int16_t right;
    };
    // A 10000 sample: the volume scales both sides, the pan takes its
    // hundredths of a decibel off the other side only.
    const Case cases[] = {
        {0, 0, 10000, 10000},
        {-2000, 0, 1000, 1000},
        {-600, 0, 5012, 5012}, // 10000 x 0.501187
        {-10000, 0, 0, 0},
        {0, 2000, 1000, 10000},
        {0, -2000, 10000, 1000},
        {0, 10000, 0, 10000},
        {0, -10000, 10000, 0},
        {-2000, 2000, 100, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan);
        AudioMixer mixer;
        const Plat::VoiceId voice = mixer.CreateVoice(Block16(1, 44100, {10000}));
        mixer.SetVolume(voice, c.volume);
        mixer.SetPan(voice, c.pan);
        mixer.Play(voice, false);
        EXPECT_EQ(Render(mixer, 1), (std::vector<int16_t>{c.left, c.right}));
    }
}

TEST(AudioMixerTest, FrequencyBecomesAResamplingStep)
{
    struct Case {
        const char* name;
        uint32_t blockRate;
        uint32_t frequency; // 0: the block's own
        std::vector<int16_t> samples;
        std::vector<int16_t> expected; // left side
    };
    const Case cases[] = {
        // Half speed: every other frame is the midpoint; the last frame has
        // no right-hand neighbour and holds.
        {"22050 Hz block", 22050, 0, {0, 1000, 2000, 3000}, {0, 500, 1000, 1500, 2000, 2500, 3000, 3000, 0, 0}},
        // Double speed: every second frame.
        {"88200 Hz", 44100, 88200, {0, 100, 200, 300, 400, 500, 600, 700}, {0, 200, 400, 600, 0, 0}},
        // Step 0.75: 0, .75, 1.5, 2.25, 3, 3.75, 4.5 frames.
        {"33075 Hz", 44100, 33075, {0, 400, 800, 1200, 1600}, {0, 300, 600, 900, 1200, 1500, 1600, 0}},
        {"own rate again", 22050, 0, {7, 9}, {7, 8, 9, 9, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AudioMixer mixer;
        const Plat::VoiceId voice = mixer.CreateVoice(Block16(1, c.blockRate, c.samples));
        mixer.SetFrequency(voice, 12345);
        mixer.SetFrequency(voice, c.frequency);
        EXPECT_EQ(mixer.GetFrequency(voice), c.frequency != 0 ? c.frequency : c.blockRate);
        mixer.Play(voice, false);
        const std::vector<int16_t> out = Render(mixer, c.expected.size());
        EXPECT_EQ(Side(out, 0), c.expected);
        EXPECT_EQ(Side(out, 1), c.expected);
    }
}

TEST(AudioMixerTest, LoopsOverTheBlockOrItsLoopPoints)
{
    {
        SCOPED_TRACE("whole block");
        AudioMixer mixer;
        const Plat::VoiceId voice = mixer.CreateVoice(Block16(1, 44100, {1000, 2000, 3000}));
        mixer.Play(voice, true);
        EXPECT_EQ(Side(Render(mixer, 8), 0), Mono({1000, 2000, 3000, 1000, 2000, 3000, 1000, 2000}));
        EXPECT_TRUE(mixer.IsPlaying(voice));
        EXPECT_TRUE(mixer.IsLooping(voice));
    }
    {
        SCOPED_TRACE("interpolating across the loop's seam");
        AudioMixer mixer;
        const Plat::VoiceId voice = mixer.CreateVoice(Block16(1, 22050, {0, 1000}));
        mixer.Play(voice, true);
        // At 1.5 the neighbour of the last frame is the first one.
        EXPECT_EQ(Side(Render(mixer, 8), 0), Mono({0, 500, 1000, 500, 0, 500, 1000, 500}));
    }
    {
        SCOPED_TRACE("loop points [2, 5)");
        AudioMixer mixer;
        const Plat::VoiceId voice = mixer.CreateVoice(Block16(1, 44100, {0, 1000, 2000, 3000, 4000, 5000}));
        mixer.SetLoopPoints(voice, 2, 5);
        mixer.Play(voice, true);
        EXPECT_EQ(Side(Render(mixer, 10), 0), Mono({0, 1000, 2000, 3000, 4000, 2000, 3000, 4000, 2000, 3000}));
        // Played once, the same voice ignores its loop points.
        mixer.Stop(voice);
        mixer.SetPosition(voice, 0);
        mixer.Play(voice, false);
        EXPECT_EQ(Side(Render(mixer, 7), 0), Mono({0, 1000, 2000, 3000, 4000, 5000, 0}));
    }
}

TEST(AudioMixerTest, StopKeepsThePositionAndPlayGoesOn)
{
    AudioMixer mixer;
    const Plat::VoiceId voice = mixer.CreateVoice(Block16(1, 44100, {1, 2, 3, 4, 5, 6}));
    mixer.Play(voice, false);
    EXPECT_EQ(Side(Render(mixer, 2), 0), Mono({1, 2}));
    mixer.Stop(voice);
    EXPECT_EQ(Side(Render(mixer, 2), 0), Mono({0, 0}));
    EXPECT_EQ(mixer.GetPosition(voice), 2u);
    mixer.Play(voice, false);
    EXPECT_EQ(Side(Render(mixer, 1), 0), Mono({3}));
    mixer.SetPosition(voice, 5);
    EXPECT_EQ(Side(Render(mixer, 2), 0), Mono({6, 0}));
}

TEST(AudioMixerTest, RenderingInPiecesGivesTheSameFrames)
{
    // Crosses the mixer's internal chunks with a step that is not a power of two.
    std::vector<int16_t> samples(5000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t((i * 7919) % 20000 - 10000);
    AudioMixer whole;
    AudioMixer pieces;
    for (AudioMixer* mixer : {&whole, &pieces}) {
        const Plat::VoiceId voice = mixer->CreateVoice(Block16(1, 44100, samples));
        mixer->SetFrequency(voice, 30011);
        mixer->SetPan(voice, 300);
        mixer->Play(voice, true);
    }
    const std::vector<int16_t> expected = Render(whole, 3000);
    std::vector<int16_t> got;
    for (size_t done = 0; done < 3000; done += 7) {
        const std::vector<int16_t> part = Render(pieces, std::min<size_t>(7, 3000 - done));
        got.insert(got.end(), part.begin(), part.end());
    }
    EXPECT_EQ(got, expected);
}

TEST(AudioMixerTest, StreamVoicesPullUntilTheStreamEnds)
{
    class ThreeFrames : public Plat::AudioStream {
    public:
        size_t Read(float* stereo, size_t frames) override
        {
            const size_t count = std::min<size_t>(frames, 3 - given);
            for (size_t i = 0; i < count; ++i) {
                stereo[2 * i] = 0.5f;
                stereo[2 * i + 1] = -0.25f;
            }
            given += count;
            return count;
        }
        size_t given = 0;
    };
    ThreeFrames stream;
    AudioMixer mixer;
    const Plat::VoiceId voice = mixer.CreateStreamVoice(&stream);
    mixer.SetVolume(voice, -2000);
    mixer.Play(voice, false);
    // 0.5 x 32768 x 0.1 and -0.25 x 32768 x 0.1
    EXPECT_EQ(Render(mixer, 4), (std::vector<int16_t>{1638, -819, 1638, -819, 1638, -819, 0, 0}));
    EXPECT_FALSE(mixer.IsPlaying(voice));
}

TEST(AudioMixerTest, MasterAndGroupGains)
{
    AudioMixer mixer;
    const Plat::VoiceId effect = mixer.CreateVoice(Block16(1, 44100, {10000}));
    const Plat::VoiceId song = mixer.CreateVoice(Block16(1, 44100, {10000}));
    mixer.SetGroup(song, 1);
    mixer.SetGroupGain(1, 0.25f);
    mixer.SetMasterGain(0.5f);
    EXPECT_FLOAT_EQ(mixer.GetGroupGain(1), 0.25f);
    EXPECT_FLOAT_EQ(mixer.GetGroupGain(0), 1.0f);
    mixer.Play(effect, false);
    EXPECT_EQ(Render(mixer, 1), (std::vector<int16_t>{5000, 5000}));
    mixer.Play(song, false);
    EXPECT_EQ(Render(mixer, 1), (std::vector<int16_t>{1250, 1250}));
    // No gain is negative or not a number.
    mixer.SetMasterGain(std::nanf(""));
    EXPECT_EQ(mixer.GetMasterGain(), 0.0f);
    mixer.SetMasterGain(-3.0f);
    EXPECT_EQ(mixer.GetMasterGain(), 0.0f);
}

TEST(AudioMixerTest, StaleAndBadVoicesAreRefused)
{
    AudioMixer mixer;
    EXPECT_EQ(mixer.CreateVoice(nullptr), 0u);
    EXPECT_EQ(mixer.CreateVoice(Block16(1, 44100, {})), 0u);
    auto threeChannels = Block16(1, 44100, {1, 2, 3});
    threeChannels->channels = 3;
    EXPECT_EQ(mixer.CreateVoice(threeChannels), 0u);
    auto bits24 = Block16(1, 44100, {1, 2, 3});
    bits24->bits = 24;
    EXPECT_EQ(mixer.CreateVoice(bits24), 0u);
    EXPECT_EQ(mixer.CreateStreamVoice(nullptr), 0u);

    const Plat::VoiceId first = mixer.CreateVoice(Block16(1, 44100, {1000}));
    mixer.DestroyVoice(first);
    const Plat::VoiceId second = mixer.CreateVoice(Block16(1, 44100, {2000}));
    EXPECT_NE(second, first); // same slot, new name
    EXPECT_EQ(mixer.VoiceCount(), 1u);
    EXPECT_FALSE(mixer.Play(first, false));
    mixer.SetVolume(first, -10000);
    mixer.DestroyVoice(first);
    EXPECT_EQ(mixer.VoiceCount(), 1u);
    EXPECT_FALSE(mixer.Play(0, false));
    mixer.Play(second, false);
    EXPECT_EQ(Render(mixer, 1), (std::vector<int16_t>{2000, 2000}));
}
