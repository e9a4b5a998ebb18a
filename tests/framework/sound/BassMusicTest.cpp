#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "framework/sound/BassInstance.h"
#include "framework/sound/BassMusicInterface.h"
#include "platform/audio/BassLibrary.h"
#include "platform/system/MessageBox.h"
#include "platform/system/ProcessControl.h"
#include "support/TempFolder.h"

namespace {

// Every call the player makes, as text.
std::vector<std::string> gCalls;
std::map<uint32_t, uint32_t> gActive;
uint32_t gNextHandle = 1;

template <typename... Args>
void Log(const char* format, Args... args)
{
    char text[160];
    std::snprintf(text, sizeof(text), format, args...);
    gCalls.push_back(text);
}

int Init(int, uint32_t, uint32_t, Plat::Window*) { return 1; }
int Ok() { return 1; }
int SetGlobalVolumes(int a, int b, int c) { Log("SetGlobalVolumes %d %d %d", a, b, c); return 1; }
int GetVolume() { return 100; }
uint32_t GetVersion() { return 0x20000; }
int ChannelStop(uint32_t h) { Log("Stop %u", h); return 1; }
int ChannelPause(uint32_t h) { Log("Pause %u", h); return 1; }
int ChannelPlay(uint32_t h, int restart) { Log("Play %u %d", h, restart); return 1; }
int ChannelSetAttributes(uint32_t h, int f, int v, int p) { Log("Attr %u %d %d %d", h, f, v, p); return 1; }
int ChannelGetAttributes(uint32_t, uint32_t*, uint32_t*, int*) { return 1; }
int ChannelSetPosition(uint32_t h, uint64_t pos) { Log("Pos %u %llx", h, (unsigned long long)pos); return 1; }
uint64_t ChannelGetPosition(uint32_t) { return 0; }
int ChannelSetFlags(uint32_t h, uint32_t f) { Log("Flags %u %x", h, f); return 1; }
uint32_t ChannelIsActive(uint32_t h) { return gActive[h]; }
uint32_t MusicLoad(int memory, const void* data, uint32_t, uint32_t length, uint32_t flags)
{
    if (memory == 0 || data == nullptr || length < 4)
        return 0;
    const uint32_t h = gNextHandle++;
    Log("MusicLoad %u %u %x", h, length, flags);
    return h;
}
uint32_t StreamCreate(int memory, const void* data, uint32_t, uint32_t length, uint32_t)
{
    if (memory == 0 || data == nullptr || length < 4)
        return 0;
    const uint32_t h = gNextHandle++;
    Log("Stream %u %u", h, length);
    return h;
}
void MusicFree(uint32_t h) { Log("MusicFree %u", h); }
void StreamFree(uint32_t h) { Log("StreamFree %u", h); }
uint32_t MusicGetAttribute(uint32_t, uint32_t) { return 0; }
int MusicSetAttribute(uint32_t h, uint32_t a, uint32_t v) { Log("Amplify %u %u %u", h, a, v); return 1; }
int ErrorGetCode() { return 0; }
void Unused() {}

template <typename T>
Plat::BassProc P(T f)
{
    return reinterpret_cast<Plat::BassProc>(f);
}

// The older library's functions (no BASS_SetConfig).
Plat::BassLibrary OlderLibrary()
{
    Plat::BassLibrary lib({
        {"BASS_Init", P(&Init)}, {"BASS_Free", P(&Ok)}, {"BASS_Stop", P(&Ok)}, {"BASS_Start", P(&Ok)},
        {"BASS_SetGlobalVolumes", P(&SetGlobalVolumes)}, {"BASS_GetVolume", P(&GetVolume)},
        {"BASS_GetVersion", P(&GetVersion)}, {"BASS_ChannelStop", P(&ChannelStop)},
        {"BASS_ChannelPlay", P(&ChannelPlay)}, {"BASS_ChannelPause", P(&ChannelPause)},
        {"BASS_ChannelSetAttributes", P(&ChannelSetAttributes)},
        {"BASS_ChannelGetAttributes", P(&ChannelGetAttributes)},
        {"BASS_ChannelSetPosition", P(&ChannelSetPosition)},
        {"BASS_ChannelGetPosition", P(&ChannelGetPosition)}, {"BASS_ChannelIsActive", P(&ChannelIsActive)},
        {"BASS_ChannelSetFlags", P(&ChannelSetFlags)}, {"BASS_MusicLoad", P(&MusicLoad)},
        {"BASS_MusicFree", P(&MusicFree)}, {"BASS_MusicGetAttribute", P(&MusicGetAttribute)},
        {"BASS_MusicSetAttribute", P(&MusicSetAttribute)}, {"BASS_StreamCreateFile", P(&StreamCreate)},
        {"BASS_StreamFree", P(&StreamFree)}, {"BASS_ErrorGetCode", P(&ErrorGetCode)},
    });
    for (const char* name : {"BASS_GetInfo", "BASS_ChannelSlideAttributes", "BASS_ChannelIsSliding",
                             "BASS_ChannelGetLevel", "BASS_ChannelSetSync", "BASS_ChannelRemoveSync",
                             "BASS_ChannelGetData", "BASS_FXSetParameters", "BASS_FXGetParameters",
                             "BASS_ChannelSetFX", "BASS_ChannelRemoveFX", "BASS_MusicGetOrders",
                             "BASS_MusicGetOrderPosition", "BASS_SampleLoad", "BASS_SampleFree",
                             "BASS_SampleSetInfo", "BASS_SampleGetInfo", "BASS_SampleGetChannel",
                             "BASS_SampleStop"})
        lib.Add(name, &Unused);
    return lib;
}

struct ExitCalled {
    int code;
};
void ThrowOnExit(int code) { throw ExitCalled{code}; }

class QuietBoxes : public Plat::MessageBoxes {
public:
    int Show(Plat::Window*, const std::string& text, const std::string&, uint32_t) override
    {
        shown.push_back(text);
        return Plat::kIdOk;
    }
    int Show(Plat::Window*, const std::u16string&, const std::u16string&, uint32_t) override { return Plat::kIdOk; }
    std::vector<std::string> shown;
};

class BassMusicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gCalls.clear();
        gActive.clear();
        gNextHandle = 1;
        library = OlderLibrary();
        previous = Plat::SetBassLibrary(&library);
        previousBoxes = Plat::SetMessageBoxes(&boxes);
        previousExit = Plat::SetExitHandler(&ThrowOnExit);
        module = folder.Write("song.mod", std::string("MODULEDATA"));
        stream = folder.Write("music.OGG", std::string("OGGSDATA"));
    }
    void TearDown() override
    {
        Plat::SetExitHandler(previousExit);
        Plat::SetMessageBoxes(previousBoxes);
        Plat::SetBassLibrary(previous);
    }

    LumoTest::TempFolder folder;
    Plat::BassLibrary library;
    const Plat::BassLibrary* previous = nullptr;
    QuietBoxes boxes;
    Plat::MessageBoxes* previousBoxes = nullptr;
    Plat::ExitHandler previousExit = nullptr;
    std::string module;
    std::string stream;
};

TEST_F(BassMusicTest, LoadsStreamsAndModulesByExtensionThroughMemory)
{
    Lumo::BassMusicInterface music(nullptr);
    EXPECT_TRUE(music.LoadMusic(1, module));
    EXPECT_TRUE(music.LoadMusic(2, stream));
    EXPECT_FALSE(music.LoadMusic(3, folder.Join("missing.mod")));
    EXPECT_EQ(gCalls, (std::vector<std::string>{"MusicLoad 1 10 4", "Stream 2 8"}));
    ASSERT_NE(music.FindSong(1), nullptr);
    EXPECT_EQ(music.FindSong(1)->mHMusic, 1u);
    EXPECT_EQ(music.FindSong(2)->mHStream, 2u);
    EXPECT_EQ(music.FindSong(3), nullptr);
}

TEST_F(BassMusicTest, LoadingIntoUsedIdKeepsFirstSongAndFreesNewOne)
{
    Lumo::BassMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusic(1, module));
    EXPECT_TRUE(music.LoadMusic(1, stream));
    EXPECT_EQ(music.FindSong(1)->mHMusic, 1u);
    EXPECT_EQ(gCalls.back(), "StreamFree 2");
}

TEST_F(BassMusicTest, FadeTables)
{
    struct Case {
        const char* name;
        bool fadeIn;
        double start;
        std::vector<int> volumes; // channel volume after each update
        bool stopsAtEnd;
    };
    const Case cases[] = {
        {"fade in", true, 0.0, {25, 50, 75, 100, 100}, false},
        {"fade out", false, 1.0, {75, 50, 25, 0, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gCalls.clear();
        Lumo::BassMusicInterface music(nullptr);
        ASSERT_TRUE(music.LoadMusic(7, module));
        music.SetSongVolume(7, c.start);
        const uint32_t h = music.FindSong(7)->mHMusic;
        if (c.fadeIn)
            music.FadeIn(7, -1, 0.25, false);
        else
            music.FadeOut(7, true, 0.25);
        for (size_t i = 0; i < c.volumes.size(); ++i) {
            gCalls.clear();
            music.Update();
            char expected[64];
            std::snprintf(expected, sizeof(expected), "Attr %u -1 %d -101", h, c.volumes[i]);
            ASSERT_FALSE(gCalls.empty());
            EXPECT_EQ(gCalls.back(), expected) << "update " << i + 1;
            const bool last = i + 1 == c.volumes.size();
            const bool stopped = gCalls.size() == 2 && gCalls[0] == "Stop " + std::to_string(h);
            EXPECT_EQ(stopped, last && c.stopsAtEnd) << "update " << i + 1;
        }
        gCalls.clear();
        music.Update(); // the fade has ended
        EXPECT_TRUE(gCalls.empty());
    }
}

TEST_F(BassMusicTest, FadeOutOfSilentSongOnlyRecordsStop)
{
    Lumo::BassMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusic(1, module));
    music.FadeOut(1, true, 0.25);
    EXPECT_EQ(music.FindSong(1)->mVolumeAdd, 0.0);
    EXPECT_TRUE(music.FindSong(1)->mStopOnFade);
}

TEST_F(BassMusicTest, MaxVolumeLowersOnlyLouderSongs)
{
    Lumo::BassMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusic(1, module));
    music.SetSongVolume(1, 0.8);
    music.SetSongMaxVolume(1, 0.5);
    EXPECT_EQ(music.FindSong(1)->mVolume, 0.5);
    music.SetSongVolume(1, 0.3);
    music.SetSongMaxVolume(1, 0.5);
    EXPECT_EQ(music.FindSong(1)->mVolume, 0.3);
}

TEST_F(BassMusicTest, PlayCallsAndActivity)
{
    Lumo::BassMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusic(1, module));
    ASSERT_TRUE(music.LoadMusic(2, stream));
    gCalls.clear();
    music.PlayMusic(1, 3, false);
    music.PlayMusic(2, 500, true);
    EXPECT_EQ(gCalls, (std::vector<std::string>{
                          "Attr 1 -1 100 -101", "Stop 1", "Stop 1", "Pos 1 ffffffff80000003", "Flags 1 4",
                          "Play 1 0", "Attr 2 -1 100 -101", "Stop 2", "Flags 2 0", "Play 2 1", "Pos 2 1f4"}));
    gActive[1] = Plat::kBassActivePlaying;
    gActive[2] = Plat::kBassActivePaused;
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_FALSE(music.IsPlaying(2));
    EXPECT_FALSE(music.IsPlaying(99));
    gCalls.clear();
    music.PauseAllMusic();
    music.ResumeAllMusic();
    music.SetVolume(0.5);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"Pause 1", "Play 2 0", "SetGlobalVolumes 20 20 20"}));
    gCalls.clear();
    music.UnloadAllMusic();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"Stop 1", "Stop 2", "MusicFree 1", "StreamFree 2"}));
    EXPECT_EQ(music.FindSong(1), nullptr);
}

TEST_F(BassMusicTest, MissingLibraryOrFunctionExitsWithFailure)
{
    Plat::SetBassLibrary(nullptr);
    try {
        Lumo::BassMusicInterface music(nullptr);
        FAIL() << "no exit";
    } catch (const ExitCalled& exit) {
        EXPECT_NE(exit.code, 0);
    }
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown.back(), "Can't find bass.dll.");

    library.Remove("BASS_ChannelPause");
    Plat::SetBassLibrary(&library);
    try {
        Lumo::BassMusicInterface music(nullptr);
        FAIL() << "no exit";
    } catch (const ExitCalled& exit) {
        EXPECT_NE(exit.code, 0);
    }
    EXPECT_EQ(boxes.shown.back(), "BASS_ChannelPause function not found in bass.dll");
}

} // namespace
