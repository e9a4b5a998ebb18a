// Our BASS library over an offline sound card: starting and stopping the
// output, samples and their channels, streams and modules from memory and
// from files, volumes, pans, positions and loop flags, error codes, the table
// the library is found through, and the music player reading songs from a
// pak archive.
#include "platform/audio/BassAudio.h"

#include "framework/sound/BassMusicInterface.h"
#include "framework/core/PakClient.h"
#include "framework/core/PakInterface.h"
#include "platform/audio/AudioOutput.h"
#include "support/DecoderFixtures.h"
#include "support/PakArchiveWriter.h"
#include "support/SoundFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace Plat;
using LumoTest::kModRowFrames;
using LumoTest::MakePcmWav;
using LumoTest::SampleBytes;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint64_t kOrderPosition = 0xFFFFFFFF00000000ull | kBassMusicOrderPosition;

// A mono 44.1 kHz WAV holding one value throughout.
Bytes ConstantWav(int16_t value, size_t frames)
{
    return MakePcmWav(1, 44100, 16, SampleBytes(std::vector<int16_t>(frames, value)));
}

int Peak(const std::vector<int16_t>& frames, size_t first = 0, size_t count = SIZE_MAX)
{
    int peak = 0;
    const size_t end = std::min(frames.size() / 2, count == SIZE_MAX ? SIZE_MAX : first + count);
    for (size_t i = 2 * first; i < 2 * end; ++i)
        peak = std::max(peak, std::abs(int(frames[i])));
    return peak;
}

class BassAudioTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(BASS_Init(1, 44100, 0, nullptr, nullptr), 1); }
    void TearDown() override { BASS_Free(); }

    std::vector<int16_t> Render(size_t frames) { return sound.device.Render(frames); }

    uint32_t LoadSample(const Bytes& file, uint32_t max, uint32_t flags = 0)
    {
        return BASS_SampleLoad(1, file.data(), 0, uint32_t(file.size()), max, flags);
    }

    LumoTest::OfflineSound sound;
};

TEST(BassAudioInitTest, StartsOnlyWithADeviceAndOnlyOnce)
{
    LumoTest::OfflineSound sound;
    sound.device.available = false;
    EXPECT_EQ(BASS_Init(1, 44100, 0, nullptr, nullptr), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorDevice);
    // Nothing works without the output; nothing crashes either.
    const Bytes wav = ConstantWav(1000, 10);
    EXPECT_EQ(BASS_StreamCreateFile(1, wav.data(), 0, uint32_t(wav.size()), 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorInit);
    EXPECT_EQ(BASS_ChannelPlay(0x12345, 0), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorHandle);
    EXPECT_EQ(BASS_Start(), 0);
    EXPECT_EQ(BASS_Free(), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorInit);

    EXPECT_EQ(BASS_Init(2, 44100, 0, nullptr, nullptr), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorDevice);

    sound.device.available = true;
    ASSERT_EQ(BASS_Init(1, 22050, 0, nullptr, nullptr), 1);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassOk);
    EXPECT_TRUE(sound.device.IsOpen());
    EXPECT_EQ(BASS_Init(1, 44100, 0, nullptr, nullptr), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorAlready);
    EXPECT_EQ(BASS_Free(), 1);
    EXPECT_FALSE(sound.device.IsOpen());

    // Device 0 keeps handles working without any output.
    sound.device.available = false;
    ASSERT_EQ(BASS_Init(0, 44100, 0, nullptr, nullptr), 1);
    const uint32_t stream = BASS_StreamCreateFile(1, wav.data(), 0, uint32_t(wav.size()), 0);
    EXPECT_NE(stream, 0u);
    EXPECT_EQ(BASS_ChannelPlay(stream, 1), 1);
    EXPECT_EQ(BASS_Free(), 1);
}

TEST(BassAudioLibraryTest, OwnLibraryIsTheDefaultAndAnInstalledOneWins)
{
    const BassLibrary& own = OwnBassLibrary();
    EXPECT_EQ(LoadBassLibrary(".\\bass.dll"), &own);
    for (const char* name : {"BASS_Init", "BASS_SampleGetChannel", "BASS_Pause", "BASS_MusicLoad",
                             "BASS_ChannelSlideAttributes", "BASS_ErrorGetCode"})
        EXPECT_NE(own.Find(name), nullptr) << name;
    EXPECT_EQ(own.Find("BASS_NoSuchThing"), nullptr);

    BassLibrary other;
    const BassLibrary* previous = SetBassLibrary(&other);
    EXPECT_EQ(previous, &own);
    EXPECT_EQ(LoadBassLibrary(".\\bass.dll"), &other);
    SetBassLibrary(nullptr);
    EXPECT_EQ(LoadBassLibrary(".\\bass.dll"), nullptr);
    SetBassLibrary(previous);
    EXPECT_EQ(LoadBassLibrary(".\\bass.dll"), &own);
}

TEST_F(BassAudioTest, SampleChannelsPlayPauseStopAndEnd)
{
    const uint32_t sample = LoadSample(ConstantWav(16000, 1000), 4);
    ASSERT_NE(sample, 0u);
    BassSampleInfo info;
    ASSERT_EQ(BASS_SampleGetInfo(sample, &info), 1);
    EXPECT_EQ(info.frequency, 44100u);
    EXPECT_EQ(info.length, 2000u);
    EXPECT_EQ(info.max, 4u);

    const uint32_t channel = BASS_SampleGetChannel(sample, 0);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(channel), kBassActiveStopped);
    ASSERT_EQ(BASS_ChannelSetAttributes(channel, -1, 50, 0), 1);
    ASSERT_EQ(BASS_ChannelPlay(channel, 1), 1);
    EXPECT_EQ(BASS_ChannelIsActive(channel), kBassActivePlaying);
    std::vector<int16_t> out = Render(100);
    EXPECT_NEAR(out[0], 8000, 2);
    EXPECT_NEAR(out[1], 8000, 2);
    EXPECT_EQ(BASS_ChannelGetPosition(channel), 200u);

    ASSERT_EQ(BASS_ChannelPause(channel), 1);
    EXPECT_EQ(BASS_ChannelIsActive(channel), kBassActivePaused);
    EXPECT_EQ(Peak(Render(100)), 0);
    EXPECT_EQ(BASS_ChannelPause(channel), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorNotPlaying);
    ASSERT_EQ(BASS_ChannelPlay(channel, 0), 1);
    EXPECT_EQ(BASS_ChannelGetPosition(channel), 200u);

    // The 900 frames left play out, and it stops by itself.
    out = Render(1000);
    EXPECT_NEAR(out[2 * 899], 8000, 2);
    EXPECT_EQ(out[2 * 900], 0);
    EXPECT_EQ(BASS_ChannelIsActive(channel), kBassActiveStopped);

    // Looping keeps it going; a stop ends it.
    ASSERT_EQ(BASS_ChannelSetFlags(channel, kBassSampleLoop), 1);
    ASSERT_EQ(BASS_ChannelPlay(channel, 1), 1);
    out = Render(2500);
    EXPECT_NEAR(out[2 * 2499], 8000, 2);
    EXPECT_EQ(BASS_ChannelIsActive(channel), kBassActivePlaying);
    ASSERT_EQ(BASS_ChannelStop(channel), 1);
    EXPECT_EQ(BASS_ChannelIsActive(channel), kBassActiveStopped);
    EXPECT_EQ(Peak(Render(50)), 0);

    ASSERT_EQ(BASS_SampleFree(sample), 1);
    EXPECT_EQ(BASS_ChannelIsActive(channel), kBassActiveStopped);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorHandle);
    EXPECT_EQ(BASS_SampleFree(sample), 0);
}

// Full scale 16000; the pan takes the other side down linearly.
TEST_F(BassAudioTest, VolumesPansAndGlobalVolumes)
{
    const uint32_t sample = LoadSample(ConstantWav(16000, 500), 8);
    ASSERT_NE(sample, 0u);
    struct Case {
        const char* name;
        int volume;
        int pan;
        uint32_t globalSample; // config 4
        int left;
        int right;
    };
    const Case cases[] = {
        {"full", 100, 0, 100, 16000, 16000},
        {"half volume", 50, 0, 100, 8000, 8000},
        {"hard right", 100, 100, 100, 0, 16000},
        {"half left", 100, -50, 100, 16000, 8000},
        {"global half", 100, 0, 50, 8000, 8000},
        {"volume and global", 50, 0, 50, 4000, 4000},
        {"silent", 0, 0, 100, 0, 0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(BASS_SetConfig(kBassConfigGlobalSampleVolume, c.globalSample), 1u) << c.name;
        const uint32_t channel = BASS_SampleGetChannel(sample, 0);
        ASSERT_NE(channel, 0u) << c.name;
        ASSERT_EQ(BASS_ChannelSetAttributes(channel, -1, c.volume, c.pan), 1) << c.name;
        ASSERT_EQ(BASS_ChannelPlay(channel, 1), 1) << c.name;
        const std::vector<int16_t> out = Render(10);
        EXPECT_NEAR(out[0], c.left, 8) << c.name;
        EXPECT_NEAR(out[1], c.right, 8) << c.name;
        uint32_t volume = 0;
        int pan = 0;
        ASSERT_EQ(BASS_ChannelGetAttributes(channel, nullptr, &volume, &pan), 1) << c.name;
        EXPECT_EQ(volume, uint32_t(c.volume)) << c.name;
        EXPECT_EQ(pan, c.pan) << c.name;
        BASS_ChannelStop(channel);
    }
    EXPECT_EQ(BASS_GetConfig(kBassConfigGlobalSampleVolume), 100u);

    // The older call sets all three; -1 leaves one alone.
    ASSERT_EQ(BASS_SetGlobalVolumes(30, -1, 70), 1);
    EXPECT_EQ(BASS_GetConfig(kBassConfigGlobalMusicVolume), 30u);
    EXPECT_EQ(BASS_GetConfig(kBassConfigGlobalSampleVolume), 100u);
    EXPECT_EQ(BASS_GetConfig(kBassConfigGlobalStreamVolume), 70u);

    const uint32_t channel = BASS_SampleGetChannel(sample, 0);
    struct Bad {
        int frequency;
        int volume;
        int pan;
    };
    for (const Bad& bad : {Bad{50, -1, -101}, Bad{-1, 101, -101}, Bad{-1, -1, 101}, Bad{-1, -2, -101}}) {
        EXPECT_EQ(BASS_ChannelSetAttributes(channel, bad.frequency, bad.volume, bad.pan), 0);
        EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorIllegalParameter);
    }
    // Frequency: the sample at double speed, and back to its own with 0.
    uint32_t frequency = 0;
    ASSERT_EQ(BASS_ChannelSetAttributes(channel, 88200, -1, -101), 1);
    BASS_ChannelGetAttributes(channel, &frequency, nullptr, nullptr);
    EXPECT_EQ(frequency, 88200u);
    ASSERT_EQ(BASS_ChannelSetAttributes(channel, 0, -1, -101), 1);
    BASS_ChannelGetAttributes(channel, &frequency, nullptr, nullptr);
    EXPECT_EQ(frequency, 44100u);

    EXPECT_EQ(BASS_SetConfig(64, 1), 0xFFFFFFFFu);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorIllegalType);
}

TEST_F(BassAudioTest, SampleChannelsAreHandedOutAgain)
{
    const uint32_t sample = LoadSample(ConstantWav(1000, 44100), 1);
    ASSERT_NE(sample, 0u);
    const uint32_t first = BASS_SampleGetChannel(sample, 0);
    ASSERT_NE(first, 0u);
    ASSERT_EQ(BASS_ChannelPlay(first, 1), 1);
    // The only channel plays: a new one is refused, else the old one is taken.
    EXPECT_EQ(BASS_SampleGetChannel(sample, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorNoChannel);
    const uint32_t second = BASS_SampleGetChannel(sample, 0);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(BASS_ChannelPlay(first, 0), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorHandle);
    EXPECT_EQ(BASS_ChannelIsActive(second), kBassActiveStopped);
    // A stopped channel is handed out again even to onlyNew.
    EXPECT_NE(BASS_SampleGetChannel(sample, 1), 0u);

    // The output paused keeps channels playing; Stop stops them.
    const uint32_t third = BASS_SampleGetChannel(sample, 0);
    ASSERT_EQ(BASS_ChannelPlay(third, 1), 1);
    ASSERT_EQ(BASS_Pause(), 1);
    EXPECT_EQ(Peak(Render(100)), 0);
    EXPECT_EQ(BASS_ChannelIsActive(third), kBassActivePlaying);
    ASSERT_EQ(BASS_Start(), 1);
    EXPECT_NEAR(Render(10)[0], 1000, 2);
    ASSERT_EQ(BASS_Stop(), 1);
    EXPECT_EQ(BASS_ChannelIsActive(third), kBassActiveStopped);
    ASSERT_EQ(BASS_Start(), 1);
    EXPECT_EQ(Peak(Render(100)), 0);
}

TEST_F(BassAudioTest, StreamsFromMemoryAndFiles)
{
    const Bytes wav = ConstantWav(12000, 100);
    const uint32_t stream = BASS_StreamCreateFile(1, wav.data(), 0, uint32_t(wav.size()), kBassSampleLoop);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_ChannelGetLength(stream), 200u);
    ASSERT_EQ(BASS_ChannelPlay(stream, 0), 1);
    std::vector<int16_t> out = Render(250);
    EXPECT_EQ(out[2 * 99], 12000);
    EXPECT_EQ(out[2 * 249], 12000);
    EXPECT_EQ(BASS_ChannelIsActive(stream), kBassActivePlaying);

    // Without the loop it ends; from byte 100 (frame 50) there are 50 frames.
    ASSERT_EQ(BASS_ChannelSetFlags(stream, 0), 1);
    ASSERT_EQ(BASS_ChannelSetPosition(stream, 100), 1);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 100u);
    out = Render(80);
    EXPECT_EQ(out[2 * 49], 12000);
    EXPECT_EQ(out[2 * 50], 0);
    EXPECT_EQ(BASS_ChannelIsActive(stream), kBassActiveStopped);
    EXPECT_EQ(BASS_ChannelSetPosition(stream, 1000), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorPosition);
    // Played again from the start.
    ASSERT_EQ(BASS_ChannelPlay(stream, 1), 1);
    EXPECT_EQ(Render(10)[0], 12000);
    BASS_StreamFree(stream);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassOk);
    EXPECT_EQ(BASS_ChannelIsActive(stream), kBassActiveStopped);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorHandle);

    // Files: a path with either separator, an offset into the file.
    LumoTest::TempFolder temp;
    temp.Write("sub/tone.wav", "xyz" + std::string(wav.begin(), wav.end()));
    temp.Write("sub/noise.ogg", std::string(500, 'n'));
    const std::string path = temp.Join("sub\\tone.wav");
    const uint32_t fromFile = BASS_StreamCreateFile(0, path.c_str(), 3, 0, 0);
    ASSERT_NE(fromFile, 0u);
    EXPECT_EQ(BASS_ChannelGetLength(fromFile), 200u);
    struct Bad {
        std::string path;
        uint32_t offset;
        int error;
    };
    const Bad bad[] = {
        {temp.Join("sub\\missing.wav"), 0, kBassErrorFileOpen},
        {temp.Join("sub\\noise.ogg"), 0, kBassErrorFileForm},
        {path, 0, kBassErrorFileForm},      // "xyz" before the RIFF header
        {path, 100000, kBassErrorFileForm}, // offset past the end
    };
    for (const Bad& b : bad) {
        EXPECT_EQ(BASS_StreamCreateFile(0, b.path.c_str(), b.offset, 0, 0), 0u) << b.path;
        EXPECT_EQ(BASS_ErrorGetCode(), b.error) << b.path;
        EXPECT_EQ(BASS_SampleLoad(0, b.path.c_str(), b.offset, 0, 1, 0), 0u) << b.path;
        EXPECT_EQ(BASS_ErrorGetCode(), b.error) << b.path;
    }
    EXPECT_EQ(BASS_StreamCreateFile(1, nullptr, 0, 10, 0), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(1, wav.data(), 0, 0, 0), 0u);
}

TEST_F(BassAudioTest, ModulesPlayFromAnOrderAndEnd)
{
    const Bytes mod = LumoTest::MakeTestMod();
    const uint32_t music = BASS_MusicLoad(1, mod.data(), 0, uint32_t(mod.size()), kBassMusicRamp, 0);
    ASSERT_NE(music, 0u);
    EXPECT_EQ(BASS_MusicGetOrders(music), 2u);
    EXPECT_EQ(BASS_MusicGetAttribute(music, kBassMusicAmplify), 50u);

    // As the music player does it: stop, order 1, flags, play.
    ASSERT_EQ(BASS_ChannelStop(music), 1);
    ASSERT_EQ(BASS_ChannelSetPosition(music, kOrderPosition | 1), 1);
    EXPECT_EQ(BASS_MusicGetOrderPosition(music), 1u);
    ASSERT_EQ(BASS_ChannelSetFlags(music, 0x8200), 1);
    ASSERT_EQ(BASS_ChannelPlay(music, 0), 1);
    std::vector<int16_t> out = Render(8 * kModRowFrames);
    EXPECT_GT(Peak(out, kModRowFrames), 1000);
    EXPECT_EQ(BASS_MusicGetOrderPosition(music) & 0xFFFF, 1u);

    // Volume 0 silences it at once, yet it plays on.
    ASSERT_EQ(BASS_ChannelSetAttributes(music, -1, 0, -101), 1);
    EXPECT_EQ(Peak(Render(kModRowFrames)), 0);
    EXPECT_EQ(BASS_ChannelIsActive(music), kBassActivePlaying);

    // Without the loop flag the song ends after order 1's 32 rows.
    Render(30 * kModRowFrames);
    EXPECT_EQ(BASS_ChannelIsActive(music), kBassActiveStopped);

    // With it, the song goes round: from order 0 for 70 rows, still playing.
    ASSERT_EQ(BASS_ChannelSetAttributes(music, -1, 100, -101), 1);
    ASSERT_EQ(BASS_ChannelSetPosition(music, kOrderPosition | 0), 1);
    ASSERT_EQ(BASS_ChannelSetFlags(music, kBassSampleLoop | kBassMusicRamp), 1);
    ASSERT_EQ(BASS_ChannelPlay(music, 0), 1);
    out = Render(70 * kModRowFrames);
    EXPECT_EQ(BASS_ChannelIsActive(music), kBassActivePlaying);
    EXPECT_GT(Peak(out, 65 * kModRowFrames, 4 * kModRowFrames), 1000);

    EXPECT_EQ(BASS_ChannelSetPosition(music, kOrderPosition | 2), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorPosition);
    EXPECT_EQ(BASS_MusicSetAttribute(music, kBassMusicAmplify, 25), 1);
    EXPECT_EQ(BASS_MusicGetAttribute(music, kBassMusicAmplify), 25u);
    EXPECT_EQ(BASS_MusicSetAttribute(music, 3, 25), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorIllegalType);

    BASS_MusicFree(music);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassOk);
    EXPECT_EQ(BASS_MusicGetOrders(music), 0xFFFFFFFFu);
    const Bytes notModule(2000, 0x11);
    EXPECT_EQ(BASS_MusicLoad(1, notModule.data(), 0, uint32_t(notModule.size()), 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorFileForm);
}

// The test module with its notes held: the volume-0 commands on row 16 of
// both patterns cleared, so that the song sounds from its first frame to its
// last.
Bytes HeldNoteMod()
{
    Bytes mod = LumoTest::MakeTestMod();
    constexpr size_t kHeader = 1084, kPattern = 64 * 4 * 4, kRow = 4 * 4;
    for (size_t pattern = 0; pattern < 2; ++pattern)
        std::fill_n(mod.begin() + long(kHeader + pattern * kPattern + 16 * kRow), 4, uint8_t(0));
    return mod;
}

// The longest run of frames in [first, first + count) whose both sides stay
// under `floor`.
size_t LongestQuietRun(const std::vector<int16_t>& frames, size_t first, size_t count, int floor)
{
    size_t longest = 0, run = 0;
    for (size_t i = first; i < first + count && 2 * i + 1 < frames.size(); ++i) {
        const bool quiet = std::abs(int(frames[2 * i])) < floor && std::abs(int(frames[2 * i + 1])) < floor;
        run = quiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

TEST_F(BassAudioTest, ModuleSamplesHoldOnePassOfTheSongAndLoopItWithoutAGap)
{
    // Two orders of 32 rows, 5292 frames a row: 64 x 5292 = 338688 frames.
    constexpr size_t kSongFrames = 64 * kModRowFrames;
    const Bytes mod = HeldNoteMod();
    const uint32_t looped = LoadSample(mod, 1, kBassSampleLoop);
    ASSERT_NE(looped, 0u) << BASS_ErrorGetCode();
    BassSampleInfo info;
    ASSERT_EQ(BASS_SampleGetInfo(looped, &info), 1);
    EXPECT_EQ(info.frequency, 44100u);
    EXPECT_EQ(info.channels, 2u);
    EXPECT_EQ(info.length, kSongFrames * 4);

    const uint32_t channel = BASS_SampleGetChannel(looped, 0);
    ASSERT_EQ(BASS_ChannelPlay(channel, 1), 1);
    const std::vector<int16_t> out = Render(kSongFrames + 2 * kModRowFrames);
    EXPECT_EQ(BASS_ChannelIsActive(channel), kBassActivePlaying);
    // The second pass begins as the first did, and the seam between them is
    // as loud as the song around it.
    const std::vector<int16_t> firstRows(out.begin(), out.begin() + 2 * kModRowFrames);
    const std::vector<int16_t> againRows(out.begin() + 2 * kSongFrames,
                                         out.begin() + 2 * (kSongFrames + kModRowFrames));
    EXPECT_EQ(againRows, firstRows);
    EXPECT_GT(Peak(out, kSongFrames - 200, 200), 1000);
    EXPECT_GT(Peak(out, kSongFrames, 200), 1000);
    EXPECT_LE(LongestQuietRun(out, kSongFrames - kModRowFrames, 2 * kModRowFrames, 200), 8u);
    ASSERT_EQ(BASS_SampleFree(looped), 1);

    // Without the loop flag the pass plays once and stops at its end.
    const uint32_t once = LoadSample(mod, 1);
    ASSERT_NE(once, 0u);
    const uint32_t onceChannel = BASS_SampleGetChannel(once, 0);
    ASSERT_EQ(BASS_ChannelPlay(onceChannel, 1), 1);
    Render(kSongFrames - 1);
    EXPECT_EQ(BASS_ChannelIsActive(onceChannel), kBassActivePlaying);
    EXPECT_EQ(Peak(Render(kModRowFrames), 1), 0);
    EXPECT_EQ(BASS_ChannelIsActive(onceChannel), kBassActiveStopped);
}

TEST_F(BassAudioTest, ModuleSamplesRefuseBrokenSongs)
{
    // A module's tag, then nothing a song needs or bytes that make no header.
    Bytes tagOnly(60, 0);
    const char tag[] = "Extended Module: ";
    std::copy(tag, tag + 17, tagOnly.begin());
    Bytes garbage(400, 0xFF);
    std::copy(tag, tag + 17, garbage.begin());
    for (const Bytes& bad : {tagOnly, garbage}) {
        EXPECT_EQ(LoadSample(bad, 1, kBassSampleLoop), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorFileForm);
    }
}

TEST_F(BassAudioTest, UnavailableFunctionsFailCleanly)
{
    const Bytes wav = ConstantWav(100, 10);
    const uint32_t stream = BASS_StreamCreateFile(1, wav.data(), 0, uint32_t(wav.size()), 0);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_ChannelGetLevel(stream), 0xFFFFFFFFu);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorNotAvailable);
    EXPECT_EQ(BASS_ChannelSetFX(stream, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kBassErrorNoEffects);
    EXPECT_EQ(BASS_ChannelSetSync(stream, 0, 0, nullptr, 0), 0u);
    EXPECT_EQ(BASS_PluginLoad("plugin.dll", 0), 0u);
    // Slides end at once at their target.
    ASSERT_EQ(BASS_ChannelSlideAttributes(stream, -1, 20, -101, 1000), 1);
    uint32_t volume = 0;
    BASS_ChannelGetAttributes(stream, nullptr, &volume, nullptr);
    EXPECT_EQ(volume, 20u);
    EXPECT_EQ(BASS_ChannelIsSliding(stream), 0u);
}

// The framework's music player over our library, its songs in a pak archive.
TEST_F(BassAudioTest, MusicPlayerPlaysSongsFromAPakArchive)
{
    BASS_Free(); // the player starts the library itself
    LumoTest::TempFolder temp;
    const Bytes wav = ConstantWav(20000, 44100);
    const Bytes mod = LumoTest::MakeTestMod();
    temp.Write("music.pak", LumoTest::PakArchiveWriter::Build(
                                {{"music\\song.wav", std::string(wav.begin(), wav.end()), 0, std::nullopt},
                                 {"music\\tune.mod", std::string(mod.begin(), mod.end()), 0, std::nullopt}}));
    ::PakInterface pak;
    ::PakInterface* previous = Lumo::SetPakInterface(&pak);
    ASSERT_TRUE(pak.AddPakFile(temp.Join("music.pak")));
    {
        Lumo::BassMusicInterface music(nullptr);
        ASSERT_TRUE(music.LoadMusic(1, "music\\song.wav"));
        ASSERT_TRUE(music.LoadMusic(2, "music\\tune.mod"));
        EXPECT_FALSE(music.LoadMusic(3, "music\\missing.mod"));

        music.PlayMusic(1, 0, true);
        EXPECT_TRUE(music.IsPlaying(1));
        EXPECT_NEAR(Render(10)[0], 20000, 2);
        music.SetSongVolume(1, 0.5);
        EXPECT_NEAR(Render(10)[0], 10000, 2);
        music.StopMusic(1);
        EXPECT_FALSE(music.IsPlaying(1));

        music.PlayMusic(2, 1, true);
        EXPECT_TRUE(music.IsPlaying(2));
        EXPECT_GT(Peak(Render(4 * kModRowFrames), kModRowFrames), 1000);
        music.PauseAllMusic();
        EXPECT_FALSE(music.IsPlaying(2));
        EXPECT_EQ(Peak(Render(100)), 0);
        music.ResumeAllMusic();
        EXPECT_TRUE(music.IsPlaying(2));
        music.UnloadAllMusic();
        EXPECT_FALSE(music.IsPlaying(2));
    }
    Lumo::SetPakInterface(previous);
}

// Without a sound card the player still answers every call; nothing loads.
TEST(BassAudioPlayerTest, WithoutASoundCardTheMusicPlayerStaysSilent)
{
    LumoTest::OfflineSound sound;
    sound.device.available = false;
    LumoTest::TempFolder temp;
    const Bytes wav = ConstantWav(20000, 100);
    const std::string path = temp.Write("song.wav", wav);
    Lumo::BassMusicInterface music(nullptr);
    EXPECT_FALSE(music.LoadMusic(1, path));
    music.PlayMusic(1, 0, false);
    music.SetVolume(0.5);
    music.Update();
    EXPECT_FALSE(music.IsPlaying(1));
}

// The sound card's thread mixes while handles come and go on another.
TEST_F(BassAudioTest, HandlesComeAndGoWhileTheCardPlays)
{
    const Bytes wav = ConstantWav(3000, 2000);
    const Bytes mod = LumoTest::MakeTestMod();
    std::atomic<bool> done{false};
    std::thread card([&] {
        while (!done)
            Render(256);
    });
    for (int i = 0; i < 40; ++i) {
        const uint32_t stream = BASS_StreamCreateFile(1, wav.data(), 0, uint32_t(wav.size()), kBassSampleLoop);
        const uint32_t music = BASS_MusicLoad(1, mod.data(), 0, uint32_t(mod.size()), kBassSampleLoop, 0);
        const uint32_t sample = LoadSample(wav, 2);
        ASSERT_NE(stream, 0u);
        ASSERT_NE(music, 0u);
        ASSERT_NE(sample, 0u);
        BASS_ChannelPlay(stream, 1);
        BASS_ChannelPlay(music, 1);
        BASS_ChannelPlay(BASS_SampleGetChannel(sample, 0), 1);
        BASS_ChannelSetPosition(music, kOrderPosition | uint64_t(i % 2));
        std::this_thread::yield();
        BASS_StreamFree(stream);
        BASS_MusicFree(music);
        BASS_SampleFree(sample);
    }
    done = true;
    card.join();
}

} // namespace
