// The shared decoders: format detection, WAV decoding of good, odd and broken
// files, Ogg Vorbis files from the test's own encoder program, MPEG frames of
// silence built by hand (there is no MP3 encoder here, so MP3 is checked for
// its layout, silence and bad input only), streams with resampling, looping
// and seeking, and a real render of a small module built by the test.
#include "platform/audio/AudioDecoder.h"

#include "support/DecoderFixtures.h"
#include "support/SoundFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using LumoTest::FmtBody;
using LumoTest::kModRowFrames;
using LumoTest::MakePcmWav;
using LumoTest::MakeWavFile;
using LumoTest::PeakOf;
using LumoTest::SampleBytes;
using LumoTest::WavChunk;
using Plat::AudioFormat;
using Plat::DecoderStream;
using Plat::ModulePlayer;
using Plat::PcmBlock;

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<int16_t> Samples(const PcmBlock& block)
{
    return LumoTest::SamplesOf(block.bytes.data(), block.bytes.size() / 2);
}

std::vector<float> ReadAll(Plat::AudioStream& stream, size_t frames, size_t* got = nullptr)
{
    std::vector<float> out(2 * frames, 99.0f);
    const size_t read = stream.Read(out.data(), frames);
    if (got != nullptr)
        *got = read;
    out.resize(2 * read);
    return out;
}

TEST(AudioDecoderTest, DetectsFormatsByTheirFirstBytes)
{
    Bytes mod = LumoTest::MakeTestMod();
    struct Case {
        const char* name;
        Bytes bytes;
        AudioFormat expected;
    };
    const Case cases[] = {
        {"wav", MakePcmWav(1, 22050, 16, SampleBytes({1})), AudioFormat::Wav},
        {"riff but not wave", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}, AudioFormat::Unknown},
        {"ogg", Bytes{'O', 'g', 'g', 'S', 0}, AudioFormat::Ogg},
        {"id3 tag", Bytes{'I', 'D', '3', 3, 0}, AudioFormat::Mp3},
        {"mpeg frame", LumoTest::MakeSilentMp3(1, true), AudioFormat::Mp3},
        {"mpeg sync, reserved rate", Bytes{0xFF, 0xFB, 0x9C, 0x00}, AudioFormat::Unknown},
        {"mod", mod, AudioFormat::Module},
        {"xm", Bytes{'E', 'x', 't', 'e', 'n', 'd', 'e', 'd', ' ', 'M', 'o', 'd', 'u', 'l', 'e', ':', ' '},
         AudioFormat::Module},
        {"too short", Bytes{'R', 'I'}, AudioFormat::Unknown},
        {"empty", Bytes{}, AudioFormat::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Plat::DetectAudioFormat(c.bytes.data(), c.bytes.size()), c.expected) << c.name;
    EXPECT_EQ(Plat::DetectAudioFormat(nullptr, 100), AudioFormat::Unknown);
}

TEST(AudioDecoderTest, DecodesPcmWavTo16Bit)
{
    struct Case {
        const char* name;
        Bytes file;
        uint16_t channels;
        uint32_t rate;
        std::vector<int16_t> samples;
    };
    // A chunk of odd size is followed by a pad byte.
    Bytes padded = MakeWavFile({{"junk", {1, 2, 3, 0}, 3u},
                                {"fmt ", FmtBody(1, 1, 8000, 16), std::nullopt},
                                {"data", SampleBytes({7, -7}), std::nullopt}});
    const Case cases[] = {
        {"16-bit stereo", MakePcmWav(2, 44100, 16, SampleBytes({1000, -1000, 32767, -32768})), 2, 44100,
         {1000, -1000, 32767, -32768}},
        // Unsigned 8-bit: 0x80 is the middle; each step is 256.
        {"8-bit mono", MakePcmWav(1, 11025, 8, {0x00, 0x80, 0xFF, 0x40}), 1, 11025, {-32768, 0, 32512, -16384}},
        // The data chunk claims 100 bytes; 6 are there, one whole frame of 4.
        {"data size past the end",
         MakeWavFile({{"fmt ", FmtBody(1, 2, 22050, 16), std::nullopt},
                      {"data", SampleBytes({5, 6, 8}), 100u}}),
         2, 22050, {5, 6}},
        {"odd chunk padded", padded, 1, 8000, {7, -7}},
    };
    for (const Case& c : cases) {
        PcmBlock block;
        std::string error;
        ASSERT_TRUE(Plat::DecodeWav(c.file.data(), c.file.size(), block, &error)) << c.name << ": " << error;
        EXPECT_EQ(block.channels, c.channels) << c.name;
        EXPECT_EQ(block.rate, c.rate) << c.name;
        EXPECT_EQ(block.bits, 16) << c.name;
        EXPECT_EQ(Samples(block), c.samples) << c.name;
        // The generic entry point gives the same.
        PcmBlock again;
        ASSERT_TRUE(Plat::DecodeAudio(c.file.data(), c.file.size(), again)) << c.name;
        EXPECT_EQ(again.bytes, block.bytes) << c.name;
    }
}

TEST(AudioDecoderTest, RefusesBrokenOrUnplayableWav)
{
    const Bytes pcm = SampleBytes({1, 2});
    Bytes cutInFormat = MakePcmWav(1, 22050, 16, pcm);
    cutInFormat.resize(12 + 8 + 10);
    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"not riff", Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"float samples", MakeWavFile({{"fmt ", FmtBody(3, 1, 22050, 16), {}}, {"data", pcm, {}}})},
        {"three channels", MakeWavFile({{"fmt ", FmtBody(1, 3, 22050, 16), {}}, {"data", pcm, {}}})},
        {"24 bits", MakeWavFile({{"fmt ", FmtBody(1, 1, 22050, 24), {}}, {"data", pcm, {}}})},
        {"rate too low", MakeWavFile({{"fmt ", FmtBody(1, 1, 500, 16), {}}, {"data", pcm, {}}})},
        {"rate too high", MakeWavFile({{"fmt ", FmtBody(1, 1, 192001, 16), {}}, {"data", pcm, {}}})},
        {"data before format", MakeWavFile({{"data", pcm, {}}, {"fmt ", FmtBody(1, 1, 22050, 16), {}}})},
        {"empty data", MakeWavFile({{"fmt ", FmtBody(1, 1, 22050, 16), {}}, {"data", {}, {}}})},
        {"no data chunk", MakeWavFile({{"fmt ", FmtBody(1, 1, 22050, 16), {}}})},
        {"huge chunk skips past the end",
         MakeWavFile({{"fmt ", FmtBody(1, 1, 22050, 16), {}}, {"junk", {0, 0}, 0xFFFFFFF0u}, {"data", pcm, {}}})},
        {"cut inside the format", cutInFormat},
        {"header only", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}},
    };
    for (const Case& c : cases) {
        PcmBlock block;
        std::string error;
        EXPECT_FALSE(Plat::DecodeWav(c.file.data(), c.file.size(), block, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_TRUE(block.bytes.empty()) << c.name;
        EXPECT_EQ(DecoderStream::OpenWav(c.file), nullptr) << c.name;
    }
    PcmBlock block;
    EXPECT_FALSE(Plat::DecodeWav(nullptr, 0, block));
    EXPECT_FALSE(Plat::DecodeAudio(pcm.data(), pcm.size(), block));
}

// Frames of silence from hand-made MPEG frames: 1152 a frame.
TEST(AudioDecoderTest, DecodesMpegFramesOfSilence)
{
    for (const bool stereo : {true, false}) {
        const Bytes file = LumoTest::MakeSilentMp3(12, stereo);
        PcmBlock block;
        std::string error;
        ASSERT_TRUE(Plat::DecodeMp3(file.data(), file.size(), block, &error)) << error;
        EXPECT_EQ(block.channels, stereo ? 2 : 1);
        EXPECT_EQ(block.rate, 44100u);
        EXPECT_EQ(block.Frames(), 12u * 1152u);
        for (const int16_t sample : Samples(block))
            ASSERT_EQ(sample, 0);

        auto stream = DecoderStream::OpenMp3(file);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->Channels(), stereo ? 2 : 1);
        EXPECT_EQ(stream->Rate(), 44100u);
        size_t got = 0;
        ReadAll(*stream, 20000, &got);
        EXPECT_EQ(got, 12u * 1152u);
        EXPECT_TRUE(stream->Ended());
    }
}

TEST(AudioDecoderTest, RefusesWhatIsNotMpegAudio)
{
    Bytes noise(4000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t((i * 7) & 0x7F); // never a sync byte
    Bytes cut = LumoTest::MakeSilentMp3(1, true);
    cut.resize(40);
    const Bytes cases[] = {noise, cut, Bytes{0xFF, 0xFB}};
    for (const Bytes& file : cases) {
        PcmBlock block;
        std::string error;
        EXPECT_FALSE(Plat::DecodeMp3(file.data(), file.size(), block, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(DecoderStream::OpenMp3(file), nullptr);
    }
    // Cut in the middle of its frames, a file gives the frames it holds.
    Bytes half = LumoTest::MakeSilentMp3(12, true);
    half.resize(half.size() / 2);
    PcmBlock block;
    if (Plat::DecodeMp3(half.data(), half.size(), block)) {
        EXPECT_LE(block.Frames(), 6u * 1152u);
    }
}

class OggDecoderTest : public testing::Test {
protected:
    // The test's encoder program: 440 Hz on the first channel, 660 Hz on the
    // second, at half of full scale.
    Bytes MakeOgg(int channels, int rate, int frames)
    {
        const std::string path = temp.Join("tone.ogg");
        const std::string command = std::string("\"") + LUMO_OGG_FIXTURE + "\" \"" + path + "\" " +
                                    std::to_string(channels) + " " + std::to_string(rate) + " " +
                                    std::to_string(frames);
        EXPECT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    LumoTest::TempFolder temp;
};

TEST_F(OggDecoderTest, DecodesWholeFilesAndStreams)
{
    const Bytes file = MakeOgg(2, 22050, 5000);
    ASSERT_GT(file.size(), 100u);
    PcmBlock block;
    std::string error;
    ASSERT_TRUE(Plat::DecodeOgg(file.data(), file.size(), block, &error)) << error;
    EXPECT_EQ(block.channels, 2);
    EXPECT_EQ(block.rate, 22050u);
    EXPECT_EQ(block.Frames(), 5000u);
    // Half of full scale, give or take the codec's loss.
    int peak = 0;
    const std::vector<int16_t> samples = Samples(block);
    for (size_t i = 0; i < samples.size(); i += 2)
        peak = std::max(peak, std::abs(int(samples[i])));
    EXPECT_NEAR(peak, 16384, 1600);

    auto stream = DecoderStream::Open(file.data(), file.size());
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Length(), 5000u);
    // Twice the rate out: about twice the frames.
    size_t got = 0;
    const std::vector<float> out = ReadAll(*stream, 20000, &got);
    EXPECT_NEAR(double(got), 10000.0, 2.0);
    EXPECT_NEAR(PeakOf(out, 0, got), 0.5, 0.05);

    // Back to a frame in the middle.
    ASSERT_TRUE(stream->Seek(2500));
    EXPECT_EQ(stream->Position(), 2500u);
    ReadAll(*stream, 20000, &got);
    EXPECT_NEAR(double(got), 5000.0, 2.0);
}

TEST_F(OggDecoderTest, BrokenFilesGiveErrorsOrWhatIsThere)
{
    const Bytes file = MakeOgg(1, 44100, 20000);
    Bytes header(file.begin(), file.begin() + 30);
    Bytes garbled = file;
    for (size_t i = 28; i < 200 && i < garbled.size(); ++i)
        garbled[i] ^= 0x5A;
    for (const Bytes& bad : {header, garbled}) {
        PcmBlock block;
        std::string error;
        EXPECT_FALSE(Plat::DecodeOgg(bad.data(), bad.size(), block, &error));
        EXPECT_FALSE(error.empty());
    }
    Bytes half(file.begin(), file.begin() + long(file.size() / 2));
    PcmBlock block;
    if (Plat::DecodeOgg(half.data(), half.size(), block)) {
        EXPECT_LT(block.Frames(), 20000u);
    }
}

TEST(DecoderStreamTest, SameRatePassesSamplesThrough)
{
    const Bytes file = MakePcmWav(2, 44100, 16, SampleBytes({16384, -16384, 8192, 0, -32768, 32767}));
    auto stream = DecoderStream::OpenWav(file);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Length(), 3u);
    size_t got = 0;
    const std::vector<float> out = ReadAll(*stream, 5, &got);
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(out, (std::vector<float>{0.5f, -0.5f, 0.25f, 0.0f, -1.0f, 32767.0f / 32768.0f}));
    EXPECT_TRUE(stream->Ended());
    EXPECT_EQ(stream->Read(std::vector<float>(2).data(), 1), 0u);
}

// Mono at half the output rate: each output frame lies halfway between two
// file frames or on one; the last file frame is held for its half step.
TEST(DecoderStreamTest, ResamplesLinearlyAndDoublesMono)
{
    const Bytes file = MakePcmWav(1, 22050, 16, SampleBytes({0, 16384, -16384}));
    auto stream = DecoderStream::OpenWav(file);
    ASSERT_NE(stream, nullptr);
    size_t got = 0;
    const std::vector<float> out = ReadAll(*stream, 8, &got);
    ASSERT_EQ(got, 6u);
    const float expected[] = {0.0f, 0.25f, 0.5f, 0.0f, -0.5f, -0.5f};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(out[2 * i], expected[i]) << i;
        EXPECT_FLOAT_EQ(out[2 * i + 1], expected[i]) << i;
    }
}

TEST(DecoderStreamTest, LoopsAndSeeks)
{
    const Bytes file = MakePcmWav(1, 44100, 16, SampleBytes({8192, 16384, -16384}));
    auto stream = DecoderStream::OpenWav(file);
    ASSERT_NE(stream, nullptr);
    stream->SetLooping(true);
    size_t got = 0;
    std::vector<float> out = ReadAll(*stream, 7, &got);
    ASSERT_EQ(got, 7u);
    const float looped[] = {0.25f, 0.5f, -0.5f, 0.25f, 0.5f, -0.5f, 0.25f};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_FLOAT_EQ(out[2 * i], looped[i]) << i;
    EXPECT_FALSE(stream->Ended());

    stream->SetLooping(false);
    ASSERT_TRUE(stream->Seek(2));
    EXPECT_EQ(stream->Position(), 2u);
    out = ReadAll(*stream, 4, &got);
    ASSERT_EQ(got, 1u);
    EXPECT_FLOAT_EQ(out[0], -0.5f);
    EXPECT_TRUE(stream->Ended());
    EXPECT_FALSE(stream->Seek(4));
    ASSERT_TRUE(stream->Seek(0));
    EXPECT_FALSE(stream->Ended());
    ReadAll(*stream, 4, &got);
    EXPECT_EQ(got, 3u);
}

// ---- Modules

class ModulePlayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        mod = LumoTest::MakeTestMod();
        player = ModulePlayer::Load(mod.data(), mod.size());
        ASSERT_NE(player, nullptr);
    }
    // Renders rows of the song from where it is.
    std::vector<float> Rows(ModulePlayer& p, size_t rows, size_t* got = nullptr)
    {
        return ReadAll(p, rows * kModRowFrames, got);
    }

    Bytes mod;
    std::unique_ptr<ModulePlayer> player;
};

TEST_F(ModulePlayerTest, PlaysNotesWhereThePatternHasThemAndSilenceElsewhere)
{
    EXPECT_EQ(player->OrderCount(), 2);
    EXPECT_EQ(player->Order(), 0);
    // Rows 0-15 hold the note, rows 16-31 volume 0 (ramps allowed a row).
    const std::vector<float> first = Rows(*player, 32);
    EXPECT_GT(PeakOf(first, 0, 15 * kModRowFrames), 0.05f);
    EXPECT_LT(PeakOf(first, 17 * kModRowFrames, 14 * kModRowFrames), 1e-4f);
    // Past row 31 the break moves the song on to order 1.
    Rows(*player, 2);
    EXPECT_EQ(player->Order(), 1);
    EXPECT_GE(player->Row(), 1);
}

TEST_F(ModulePlayerTest, OrderPositionGainAndEnd)
{
    // Order 1 plays the note at half the volume of order 0.
    const std::vector<float> loud = Rows(*player, 8);
    ASSERT_TRUE(player->SetOrder(1));
    EXPECT_EQ(player->Order(), 1);
    EXPECT_EQ(player->Row(), 0);
    const std::vector<float> soft = Rows(*player, 8);
    const float ratio = PeakOf(soft, kModRowFrames, 6 * kModRowFrames) / PeakOf(loud, kModRowFrames, 6 * kModRowFrames);
    EXPECT_NEAR(ratio, 0.5f, 0.05f);

    // The gain scales what is rendered exactly.
    auto other = ModulePlayer::Load(mod.data(), mod.size());
    ASSERT_NE(other, nullptr);
    other->SetGain(0.25f);
    EXPECT_FLOAT_EQ(other->Gain(), 0.25f);
    const std::vector<float> quiet = Rows(*other, 8);
    ASSERT_EQ(quiet.size(), loud.size());
    for (size_t i = 0; i < loud.size(); i += 997)
        EXPECT_FLOAT_EQ(quiet[i], loud[i] * 0.25f) << i;

    // Played once, the song ends after order 1's 32 rows.
    size_t got = 0;
    Rows(*player, 40, &got);
    EXPECT_LT(got, 40 * kModRowFrames);
    EXPECT_GT(got, 20 * kModRowFrames);
    EXPECT_TRUE(player->Ended());
    EXPECT_EQ(player->Read(std::vector<float>(2).data(), 1), 0u);
    // Setting the order starts it again; an order past the list does not.
    EXPECT_FALSE(player->SetOrder(2));
    EXPECT_FALSE(player->SetOrder(-1));
    ASSERT_TRUE(player->SetOrder(0));
    EXPECT_FALSE(player->Ended());
    EXPECT_GT(PeakOf(Rows(*player, 4), 0, 4 * kModRowFrames), 0.05f);
}

TEST_F(ModulePlayerTest, RepeatsForEverWhenAsked)
{
    player->SetRepeatCount(-1);
    EXPECT_EQ(player->RepeatCount(), -1);
    size_t got = 0;
    // Three times the song's 64 rows.
    const std::vector<float> out = Rows(*player, 192, &got);
    EXPECT_EQ(got, 192 * kModRowFrames);
    EXPECT_FALSE(player->Ended());
    // The third time round still plays its note.
    EXPECT_GT(PeakOf(out, 128 * kModRowFrames + kModRowFrames, 8 * kModRowFrames), 0.05f);
}

TEST(ModulePassTest, RendersTheSongsLengthAndRefusesWhatDoesNotFit)
{
    // 64 rows of 5292 frames at 44.1 kHz; at 22.05 kHz half as many.
    const Bytes mod = LumoTest::MakeTestMod();
    struct Case {
        uint32_t rate;
        size_t maxFrames;
        bool rendered;
        uint64_t frames;
    };
    const Case cases[] = {
        {44100, Plat::kMaxModulePassFrames, true, 338688},
        {22050, Plat::kMaxModulePassFrames, true, 169344},
        {44100, 338688, true, 338688},
        {44100, 338687, false, 0},
        {500, Plat::kMaxModulePassFrames, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, at most " << c.maxFrames);
        Plat::PcmBlock block;
        std::string error;
        EXPECT_EQ(Plat::RenderModulePass(mod.data(), mod.size(), c.rate, block, &error, c.maxFrames), c.rendered);
        EXPECT_EQ(block.Frames(), c.frames);
        EXPECT_EQ(error.empty(), c.rendered);
        if (c.rendered) {
            EXPECT_EQ(block.channels, 2u);
            EXPECT_EQ(block.rate, c.rate);
        }
    }
    // The note sounds from the first row; order 0 silences it on row 16.
    Plat::PcmBlock block;
    ASSERT_TRUE(Plat::RenderModulePass(mod.data(), mod.size(), 44100, block));
    const int16_t* pcm = reinterpret_cast<const int16_t*>(block.bytes.data());
    int early = 0, silenced = 0;
    for (size_t i = 0; i < 2 * kModRowFrames; ++i)
        early = std::max(early, std::abs(int(pcm[2 * kModRowFrames + i])));
    for (size_t i = 0; i < 2 * kModRowFrames; ++i)
        silenced = std::max(silenced, std::abs(int(pcm[2 * 20 * kModRowFrames + i])));
    EXPECT_GT(early, 3000);
    EXPECT_EQ(silenced, 0);
}

TEST(ModulePlayerLoadTest, RefusesWhatIsNotAModule)
{
    Bytes noise(3000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t(i * 31 + 7);
    const Bytes wav = MakePcmWav(1, 22050, 16, SampleBytes({1, 2}));
    for (const Bytes& bytes : {noise, wav, Bytes{}}) {
        std::string error;
        EXPECT_EQ(ModulePlayer::Load(bytes.data(), bytes.size(), Plat::kMixRate, &error), nullptr);
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(ModulePlayer::Load(nullptr, 10), nullptr);
}

} // namespace
