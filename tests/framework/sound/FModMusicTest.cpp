// The FMOD music player over a recording library: the calls each slot makes,
// fades, volumes, joined intro and loop samples and their failures, the
// library's fatal exits; and the cached WAV over our own library.
#include "framework/core/AppDataFolder.h"
#include "framework/sound/FModInstance.h"
#include "framework/sound/FModMusicInterface.h"
#include "framework/core/PakClient.h"
#include "framework/core/PakInterface.h"
#include "platform/files/FileSystem.h"
#include "platform/audio/FModLibrary.h"
#include "support/FakeFModLibrary.h"
#include "support/DecoderFixtures.h"
#include "support/FakePlatformRecorder.h"
#include "support/PakArchiveWriter.h"
#include "support/SoundFixtures.h"
#include "support/SoundFolderTest.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

using Lumo::FModMusicInterface;
using LumoTest::FakeFModLibrary;
using Calls = std::vector<std::string>;

namespace {

constexpr unsigned kStereo16 = Plat::kFSound16Bits | Plat::kFSoundStereo;
constexpr unsigned kMono16 = Plat::kFSound16Bits | Plat::kFSoundMono;

class FModMusicTest : public testing::Test {
protected:
    void SetUp() override
    {
        Lumo::SetAppDataFolder(temp.Join("appdata"));
        fake.AddSongFile("song.mod");
        fake.AddSongFile("other.mod");
        fake.AddSampleFile("a.ogg", 22050, kMono16, 100);
    }
    void TearDown() override { Lumo::SetAppDataFolder(""); }

    TempFolder temp;
    FakeFModLibrary fake;
};

TEST_F(FModMusicTest, MissingLibraryOrFunctionEndsWithFailureCode)
{
    struct Case {
        const char* removed; // null: no library at all
        const char* text;
    };
    const Case cases[] = {
        {nullptr, "Can't find fmod.dll."},
        {"_FSOUND_SetBufferSize@4", "\"_FSOUND_SetBufferSize@4\" function not found in fmod.dll"},
        {"_FSOUND_Sample_Lock@28", "\"_FSOUND_Sample_Lock@28\" function not found in fmod.dll"},
        {"_FMUSIC_IsPlaying@4", "\"_FMUSIC_IsPlaying@4\" function not found in fmod.dll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        FakeFModLibrary broken;
        if (c.removed != nullptr)
            broken.library.Remove(c.removed);
        else
            Plat::SetFModLibrary({true, nullptr});
        FakePlatformRecorder recorder;
        const std::optional<int> code = FakePlatformRecorder::RunUntilExit([] { FModMusicInterface music(nullptr); });
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(*code, 1);
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.boxes[0].text, c.text);
        EXPECT_EQ(recorder.boxes[0].title, "Error");
        EXPECT_EQ(recorder.boxes[0].flags, 0x10u);
        EXPECT_EQ(Lumo::PeekFModInstance(), nullptr);
    }
}

TEST_F(FModMusicTest, InstanceIsSharedAndFreedWithTheLastReference)
{
    Lumo::FMOD_INSTANCE* first = Lumo::GetFModInstance();
    {
        FModMusicInterface music(nullptr);
        EXPECT_EQ(Lumo::PeekFModInstance(), first);
    }
    EXPECT_EQ(Lumo::PeekFModInstance(), first);
    Lumo::ReleaseFModInstance();
    EXPECT_EQ(Lumo::PeekFModInstance(), nullptr);
}

TEST_F(FModMusicTest, PlayAndFadeInCalls)
{
    FModMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusic(1, "song.mod"));
    ASSERT_TRUE(music.LoadSample(5, "a", true));
    ASSERT_TRUE(music.LoadSample(6, "a", false));
    fake.TakeCalls();

    struct Case {
        const char* name;
        void (*action)(FModMusicInterface&);
        std::set<int> playingChannels;
        std::set<uintptr_t> playingSongs;
        Calls expected;
    };
    const Case cases[] = {
        {"module, looping", [](FModMusicInterface& m) { m.PlayMusic(1, 3, false); }, {}, {},
         {"MasterVolume 1 100", "SetLooping 1 1", "PlaySong 1", "SetOrder 1 3"}},
        {"module, once", [](FModMusicInterface& m) { m.PlayMusic(1, 0, true); }, {}, {},
         {"MasterVolume 1 100", "SetLooping 1 0", "PlaySong 1", "SetOrder 1 0"}},
        {"looping sample", [](FModMusicInterface& m) { m.PlayMusic(5); }, {}, {},
         {"PlaySound 5 a.ogg", "SetLoopMode 5 2", "SetVolume 5 100"}},
        {"sample once", [](FModMusicInterface& m) { m.PlayMusic(6); }, {}, {},
         {"PlaySound 6 a.ogg", "SetLoopMode 6 1", "SetVolume 6 100"}},
        {"fade in a stopped module", [](FModMusicInterface& m) { m.FadeIn(1, 2, 0.1, false); }, {}, {},
         {"MasterVolume 1 0", "SetLooping 1 1", "PlaySong 1", "SetOrder 1 2"}},
        {"fade in a playing module", [](FModMusicInterface& m) { m.FadeIn(1, -1, 0.1, true); }, {}, {1},
         {"MasterVolume 1 0", "SetLooping 1 0"}},
        {"fade in a stopped sample", [](FModMusicInterface& m) { m.FadeIn(5, -1, 0.1, false); }, {}, {},
         {"PlaySound 5 a.ogg", "SetLoopMode 5 2", "SetVolume 5 0"}},
        {"fade in a playing sample", [](FModMusicInterface& m) { m.FadeIn(5, -1, 0.1, false); }, {5}, {},
         {"SetVolume 5 0"}},
        {"stop, pause, resume", [](FModMusicInterface& m) {
             m.StopMusic(1); m.StopMusic(5); m.PauseMusic(1); m.PauseMusic(5); m.ResumeMusic(1); m.ResumeMusic(5);
         }, {}, {},
         {"StopSong 1", "StopSound 5", "SongPaused 1 1", "SetPaused 5 1", "SongPaused 1 0", "SetPaused 5 0"}},
        {"unknown id", [](FModMusicInterface& m) { m.PlayMusic(9); m.FadeIn(9); m.StopMusic(9); }, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        music.StopAllMusic(); // every volume back to 0
        fake.TakeCalls();
        fake.playingChannels = c.playingChannels;
        fake.playingSongs = c.playingSongs;
        c.action(music);
        EXPECT_EQ(fake.TakeCalls(), c.expected);
    }
}

TEST_F(FModMusicTest, IsPlayingAsksTheSongsModuleOrChannel)
{
    FModMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusic(1, "song.mod"));
    ASSERT_TRUE(music.LoadSample(5, "a", false));
    fake.playingSongs = {1};
    fake.playingChannels = {5};
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_TRUE(music.IsPlaying(5));
    EXPECT_FALSE(music.IsPlaying(2));
    fake.playingSongs.clear();
    fake.playingChannels.clear();
    EXPECT_FALSE(music.IsPlaying(1));
    EXPECT_FALSE(music.IsPlaying(5));
}

TEST_F(FModMusicTest, FadeTables)
{
    struct Case {
        const char* name;
        int songId;
        bool fadeIn;
        double start;
        std::vector<int> volumes; // FMOD volume after each update: trunc(100 x volume)
        bool stopsAtEnd;
    };
    const Case cases[] = {
        {"module in", 1, true, 0.0, {25, 50, 75, 100, 100}, false},
        {"module out", 1, false, 1.0, {75, 50, 25, 0, 0}, true},
        {"sample in", 5, true, 0.0, {25, 50, 75, 100, 100}, false},
        {"sample out", 5, false, 1.0, {75, 50, 25, 0, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.nextSong = 1;
        FModMusicInterface music(nullptr);
        ASSERT_TRUE(music.LoadMusic(1, "song.mod"));
        ASSERT_TRUE(music.LoadSample(5, "a", false));
        music.SetSongVolume(c.songId, c.start);
        fake.playingSongs = {1};
        fake.playingChannels = {5};
        if (c.fadeIn)
            music.FadeIn(c.songId, -1, 0.25, false);
        else
            music.FadeOut(c.songId, true, 0.25);
        const bool module = c.songId == 1;
        const std::string volumeCall = module ? "MasterVolume 1 " : "SetVolume 5 ";
        const std::string stopCall = module ? "StopSong 1" : "StopSound 5";
        for (size_t i = 0; i < c.volumes.size(); ++i) {
            fake.TakeCalls();
            music.Update();
            const bool stops = c.stopsAtEnd && i + 1 == c.volumes.size();
            Calls expected;
            if (stops)
                expected.push_back(stopCall);
            expected.push_back(volumeCall + std::to_string(c.volumes[i]));
            EXPECT_EQ(fake.TakeCalls(), expected) << "update " << i + 1;
        }
        music.Update(); // the fade has ended
        EXPECT_TRUE(fake.TakeCalls().empty());
    }
}

TEST_F(FModMusicTest, MasterVolumeScalesEverySong)
{
    FModMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusic(1, "song.mod"));
    ASSERT_TRUE(music.LoadSample(5, "a", false));
    music.SetSongVolume(1, 0.8);
    music.SetSongVolume(5, 0.8);
    fake.TakeCalls();
    music.SetVolume(0.5);
    // trunc(100 x 0.5 x 0.8)
    EXPECT_EQ(fake.TakeCalls(), (Calls{"MasterVolume 1 40", "SetVolume 5 40"}));
}

TEST_F(FModMusicTest, FadeOutAllReachesEverySong)
{
    FModMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusic(1, "song.mod"));
    ASSERT_TRUE(music.LoadSample(5, "a", false));
    ASSERT_TRUE(music.LoadMusic(9, "other.mod"));
    for (int id : {1, 5, 9})
        music.SetSongVolume(id, 0.5);
    music.FadeOutAll(true, 0.5);
    music.Update(); // 0.0
    fake.TakeCalls();
    music.Update(); // -0.5: silent, stopped
    EXPECT_EQ(fake.TakeCalls(), (Calls{"StopSong 1", "MasterVolume 1 0", "StopSound 5", "SetVolume 5 0",
                                       "StopSong 2", "MasterVolume 2 0"}));
    for (int id : {1, 5, 9})
        EXPECT_EQ(music.FindSong(id)->mVolumeAdd, 0.0) << id;
}

TEST_F(FModMusicTest, LoadingIntoUsedIdKeepsFirstSongAndFreesTheNewOne)
{
    fake.AddSampleFile("b.ogg", 22050, kMono16, 50);
    FModMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusic(1, "song.mod"));
    ASSERT_TRUE(music.LoadSample(5, "a", false));
    const Lumo::FModMusicInfo first = *music.FindSong(5);
    fake.TakeCalls();

    EXPECT_TRUE(music.LoadMusic(1, "other.mod"));
    EXPECT_EQ(fake.TakeCalls().back(), "FreeSong 2");
    EXPECT_EQ(music.FindSong(1)->mHMusic, reinterpret_cast<Plat::FMusicModule*>(uintptr_t(1)));

    EXPECT_TRUE(music.LoadSample(5, "b", false));
    EXPECT_EQ(fake.TakeCalls().back(), "Free b.ogg");
    EXPECT_EQ(music.FindSong(5)->mHSample, first.mHSample);
    EXPECT_FALSE(music.LoadMusic(2, "missing.mod"));
    EXPECT_FALSE(music.LoadSample(2, "missing", false));
    EXPECT_EQ(music.FindSong(2), nullptr);
}

TEST_F(FModMusicTest, JoinsIntroAndLoopIntoOneLoopingSample)
{
    fake.AddSampleFile("intro.ogg", 44100, kStereo16, 1000, 1);
    fake.AddSampleFile("loop.ogg", 44100, kStereo16, 5000, 7);
    const std::vector<uint8_t> intro = fake.sampleFiles["intro.ogg"].bytes;
    const std::vector<uint8_t> loop = fake.sampleFiles["loop.ogg"].bytes;
    FModMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadSampleWithIntro(3, "intro", "loop", true));

    const Calls calls = fake.TakeCalls();
    // 6000 frames of 4 bytes; mode 0x50 with the normal loop (2).
    const Calls tail(calls.end() - 10, calls.end());
    EXPECT_EQ(tail, (Calls{"Alloc -1 6000 0x52 44100 255 128 0", "Lock joined 0 24000", "Lock intro.ogg 0 4000",
                           "Unlock intro.ogg 4000 0", "Lock loop.ogg 0 20000", "Unlock loop.ogg 20000 0",
                           "Unlock joined 24000 0", "Free intro.ogg", "Free loop.ogg",
                           "LoopPoints joined 1000 6000"}));
    const auto live = fake.LiveSamples();
    ASSERT_EQ(live.size(), 1u);
    const FakeFModLibrary::Sample& joined = *live[0];
    EXPECT_EQ(joined.frames, 6000u);
    std::vector<uint8_t> expected = intro;
    expected.insert(expected.end(), loop.begin(), loop.end());
    EXPECT_EQ(joined.bytes, expected);
    EXPECT_EQ(music.FindSong(3)->mHSample, reinterpret_cast<Plat::FSoundSample*>(const_cast<FakeFModLibrary::Sample*>(&joined)));
    EXPECT_TRUE(music.FindSong(3)->mRepeatSample);
}

TEST_F(FModMusicTest, FailedJoinFreesEveryPart)
{
    struct Case {
        const char* name;
        int loopRate;
        unsigned loopMode;
        bool introLockFails;
        bool loopLockFails;
        bool joinedLockFails;
        bool loopMissing;
    };
    const Case cases[] = {
        {"different rates", 22050, kStereo16, false, false, false, false},
        {"different modes", 44100, kMono16, false, false, false, false},
        {"joined sample lock fails", 44100, kStereo16, false, false, true, false},
        {"intro lock fails", 44100, kStereo16, true, false, false, false},
        {"loop lock fails", 44100, kStereo16, false, true, false, false},
        {"loop part missing", 44100, kStereo16, false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFModLibrary library;
        library.AddSampleFile("intro.ogg", 44100, kStereo16, 1000, 0, c.introLockFails);
        if (!c.loopMissing)
            library.AddSampleFile("loop.ogg", c.loopRate, c.loopMode, 5000, 0, c.loopLockFails);
        library.allocLockFails = c.joinedLockFails;
        FModMusicInterface music(nullptr);
        EXPECT_FALSE(music.LoadSampleWithIntro(3, "intro", "loop", true));
        EXPECT_EQ(music.FindSong(3), nullptr);
        EXPECT_TRUE(library.LiveSamples().empty());
    }
}

// Our own library from here: real files in the test's folder.
using FModMusicFileTest = LumoTest::SoundFolderTest;

TEST_F(FModMusicFileTest, SampleLeavesPlainCachedWavAndLoadsItNextRun)
{
    // Our library tells formats by their bytes: a WAVE file under the Ogg
    // name stands for the decoded sound.
    const std::vector<uint8_t> pcm = LumoTest::SampleBytes({100, -200, 300, -400, 500, -600});
    const std::vector<uint8_t> wav = LumoTest::MakePcmWav(1, 22050, 16, pcm);
    temp.Write("work/music/theme.ogg", wav);
    {
        FModMusicInterface music(nullptr);
        ASSERT_TRUE(music.LoadSample(1, "music\\theme", true));
    }
    // RIFF, 36 + 12, WAVE, fmt of 16 bytes (PCM, 1 channel, 22050, 44100, 2, 16), data of 12 bytes.
    const std::string cached = temp.Read("appdata/cached/theme.wav");
    EXPECT_EQ(cached, std::string(wav.begin(), wav.end()));
    EXPECT_EQ(cached.size(), 44u + 12u);

    ASSERT_TRUE(Plat::GetFileSystem().RemoveFile(temp.Join("work/music/theme.ogg")));
    FModMusicInterface music(nullptr);
    EXPECT_TRUE(music.LoadSample(2, "music\\theme", false));
    EXPECT_FALSE(music.LoadSample(3, "music\\other", false));
}

TEST_F(FModMusicFileTest, SongsAndSamplesLoadFromThePakArchive)
{
    const std::vector<uint8_t> wav = LumoTest::MakePcmWav(2, 44100, 16, LumoTest::SampleBytes({1, 2, 3, 4}));
    const std::vector<uint8_t> song = LumoTest::MakeTestMod();
    const std::vector<PakArchiveItem> items = {
        {"music\\song.mod", std::string(song.begin(), song.end()), 0, {}},
        {"music\\empty.mod", std::string(), 0, {}},
        {"music\\tune.ogg", std::string(wav.begin(), wav.end()), 0, {}},
    };
    temp.Write("work/music.pak", PakArchiveWriter::Build(items));
    PakInterface pak;
    PakInterface* previous = Lumo::SetPakInterface(&pak);
    ASSERT_TRUE(pak.AddPakFile("music.pak"));
    {
        FModMusicInterface music(nullptr);
        EXPECT_TRUE(music.LoadSample(1, "music\\tune", false));
        EXPECT_TRUE(music.LoadMusic(2, "music\\song.mod"));
        EXPECT_FALSE(music.LoadMusic(3, "music\\empty.mod"));
    }
    Lumo::SetPakInterface(previous);
    EXPECT_TRUE(temp.Exists("appdata/cached/tune.wav"));
}

} // namespace
