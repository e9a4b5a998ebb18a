// The game's sound layer against a recording sound library and a simulated
// clock: starting the output, the sample cache, the start throttle, channel
// and game volumes, pausing, the music cache, and silence whenever the
// output or the library is missing.
#include "game/engine/BassSoundLayer.h"

#include "game/engine/GameState.h"
#include "game/engine/MusicEntry.h"
#include "game/engine/SampleEntry.h"

#include "support/SimulatedClock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

// What the recording library answers and what it was asked, as text.
struct RecordedBass {
    std::vector<std::string> calls;
    std::deque<int> initResults; // answers of BASS_Init in turn; 1 once used up
    int errorCode = 0;
    bool loadFails = false;
    uint32_t nextSample = 1;
    uint32_t nextChannel = 100;
    uint32_t nextMusic = 500;
    std::map<uint32_t, uint32_t> active;
};
RecordedBass* gBass = nullptr;

template <typename... Args>
void Log(const char* format, Args... args)
{
    char text[160];
    std::snprintf(text, sizeof(text), format, args...);
    gBass->calls.push_back(text);
}

int Init(int device, uint32_t rate, uint32_t flags, Plat::Window*, const void*)
{
    Log("Init %d %u %u", device, rate, flags);
    if (gBass->initResults.empty())
        return 1;
    const int result = gBass->initResults.front();
    gBass->initResults.pop_front();
    return result;
}
int ErrorGetCode() { return gBass->errorCode; }
int Start() { Log("Start"); return 1; }
int Pause() { Log("Pause"); return 1; }
uint32_t SampleLoad(int memory, const void* data, uint32_t offset, uint32_t length, uint32_t max, uint32_t flags)
{
    Log("SampleLoad %d %s %u %u %u %u", memory, std::string(static_cast<const char*>(data), length).c_str(), offset,
        length, max, flags);
    return gBass->loadFails ? 0 : gBass->nextSample++;
}
int SampleFree(uint32_t sample) { Log("SampleFree %u", sample); return 1; }
uint32_t SampleGetChannel(uint32_t sample, int onlyNew)
{
    const uint32_t channel = gBass->nextChannel++;
    Log("GetChannel %u %d", sample, onlyNew);
    gBass->active[channel] = Plat::kBassActivePlaying;
    return channel;
}
int SetAttributes(uint32_t channel, int rate, int volume, int pan)
{
    Log("Attributes %u %d %d %d", channel, rate, volume, pan);
    return 1;
}
int ChannelPlay(uint32_t channel, int restart) { Log("Play %u %d", channel, restart); return 1; }
uint32_t ChannelIsActive(uint32_t channel) { return gBass->active[channel]; }
int ChannelStop(uint32_t channel)
{
    Log("Stop %u", channel);
    gBass->active[channel] = Plat::kBassActiveStopped;
    return 1;
}
int ChannelPause(uint32_t channel) { Log("ChannelPause %u", channel); return 1; }
uint32_t MusicLoad(int memory, const void* data, uint32_t offset, uint32_t length, uint32_t flags, uint32_t rate)
{
    Log("MusicLoad %d %s %u %u 0x%x %u", memory, std::string(static_cast<const char*>(data), length).c_str(), offset,
        length, flags, rate);
    return gBass->loadFails ? 0 : gBass->nextMusic++;
}
void MusicFree(uint32_t music) { Log("MusicFree %u", music); }

template <typename T>
Plat::BassProc P(T function)
{
    return reinterpret_cast<Plat::BassProc>(function);
}

Plat::BassLibrary RecordingLibrary()
{
    return Plat::BassLibrary({
        {"BASS_Init", P(&Init)},
        {"BASS_ErrorGetCode", P(&ErrorGetCode)},
        {"BASS_Start", P(&Start)},
        {"BASS_Pause", P(&Pause)},
        {"BASS_SampleLoad", P(&SampleLoad)},
        {"BASS_SampleFree", P(&SampleFree)},
        {"BASS_SampleGetChannel", P(&SampleGetChannel)},
        {"BASS_ChannelSetAttributes", P(&SetAttributes)},
        {"BASS_ChannelPlay", P(&ChannelPlay)},
        {"BASS_ChannelIsActive", P(&ChannelIsActive)},
        {"BASS_ChannelStop", P(&ChannelStop)},
        {"BASS_ChannelPause", P(&ChannelPause)},
        {"BASS_MusicLoad", P(&MusicLoad)},
        {"BASS_MusicFree", P(&MusicFree)},
    });
}

using Calls = std::vector<std::string>;

class BassSoundLayerTest : public testing::Test {
protected:
    BassSoundLayerTest() { gBass = &bass; }
    ~BassSoundLayerTest() override { gBass = nullptr; }

    // A layer over the recording library, started; the start's calls are
    // forgotten.
    std::unique_ptr<BassSoundLayer> StartedLayer()
    {
        auto layer = std::make_unique<BassSoundLayer>(&library);
        layer->InitSound(nullptr);
        bass.calls.clear();
        return layer;
    }
    // A sample file of the test's folder holding its own name.
    std::string SampleFile(const std::string& name) { return folder.Write(name, name); }

    RecordedBass bass;
    Plat::BassLibrary library = RecordingLibrary();
    TempFolder folder;
};

TEST_F(BassSoundLayerTest, StartsAtEitherRateOrWhenAlreadyStartedElseRunsSilent)
{
    struct Case {
        const char* what;
        std::deque<int> initResults;
        int errorCode;
        bool on;
        Calls calls;
    };
    const Case cases[] = {
        {"44100 starts", {1}, 0, true, {"Init 1 44100 0", "Start"}},
        {"22050 starts", {0, 1}, 23, true, {"Init 1 44100 0", "Init 1 22050 0", "Start"}},
        {"already started", {0, 0}, Plat::kBassErrorAlready, true, {"Init 1 44100 0", "Init 1 22050 0", "Start"}},
        {"no device", {0, 0}, Plat::kBassErrorDevice, false, {"Init 1 44100 0", "Init 1 22050 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bass = RecordedBass();
        bass.initResults = c.initResults;
        bass.errorCode = c.errorCode;
        BassSoundLayer layer(&library);
        layer.InitSound(nullptr);
        EXPECT_EQ(layer.IsSoundOn(), c.on);
        EXPECT_EQ(bass.calls, c.calls);
    }
}

// With sound off every operation answers null, false or -1 and the library
// hears nothing more: after a failed start, and with a library that lacks a
// function (which is never started at all).
TEST_F(BassSoundLayerTest, SoundOffAnswersNothingAndCallsNothing)
{
    const std::string path = SampleFile("click.ogg");
    Plat::BassLibrary lacking = RecordingLibrary();
    lacking.Remove("BASS_ChannelStop");
    for (const bool missingFunction : {false, true}) {
        SCOPED_TRACE(missingFunction ? "a function is missing" : "no device");
        bass = RecordedBass();
        bass.initResults = {0, 0};
        bass.errorCode = Plat::kBassErrorDevice;
        BassSoundLayer layer(missingFunction ? &lacking : &library);
        layer.InitSound(nullptr);
        EXPECT_FALSE(layer.IsSoundOn());
        if (missingFunction) {
            EXPECT_EQ(bass.calls, Calls());
        }
        bass.calls.clear();

        SampleEntry stray;
        stray.mChannel = 7;
        EXPECT_EQ(layer.GetSample(path.c_str(), 0, 0), nullptr);
        EXPECT_EQ(layer.FindSample(path.c_str()), nullptr);
        EXPECT_FALSE(layer.LoadSampleEntry(&stray, path.c_str(), 0, 0));
        EXPECT_EQ(layer.GetSampleChannel(&stray), -1);
        EXPECT_EQ(layer.GetMusic(path.c_str()), nullptr);
        layer.PlaySample(&stray, kDefaultSampleRate);
        layer.SetChannelVolume(&stray, 50.0f);
        layer.SetVolumes(10.0f, 20.0f);
        layer.PauseSound();
        layer.ResumeSound();
        layer.FreeAllSamples();
        layer.FreeAllMusic();
        EXPECT_EQ(layer.GetMusicVolume(), 50);
        EXPECT_EQ(layer.GetSoundVolume(), 55);
        EXPECT_EQ(layer.SampleCount(), 0u);
        EXPECT_EQ(bass.calls, Calls());
    }
}

TEST_F(BassSoundLayerTest, NullEntriesAndNamesDoNothing)
{
    SoundLayer silent;
    auto layer = StartedLayer();
    for (SoundLayer* sound : {&silent, static_cast<SoundLayer*>(layer.get())}) {
        EXPECT_EQ(sound->GetSample(nullptr, 0, 0), nullptr);
        EXPECT_EQ(sound->FindSample(nullptr), nullptr);
        EXPECT_EQ(sound->GetMusic(nullptr), nullptr);
        // What a hover does when its sound was never loaded.
        sound->PlaySample(sound->FindSample("audio\\hot.ogg"), 44100);
        sound->SetChannelVolume(nullptr, 50.0f);
        sound->SetChannelVolume(nullptr, -1.0f);
        EXPECT_EQ(sound->GetSampleChannel(nullptr), -1);
        sound->FreeSample(nullptr);
        sound->PauseMusic(nullptr);
    }
    EXPECT_FALSE(layer->LoadSampleEntry(nullptr, "audio\\hot.ogg", 0, 0));
    EXPECT_EQ(bass.calls, Calls());
}

TEST_F(BassSoundLayerTest, SamplesAreLoadedOnceByTheirWholeName)
{
    auto layer = StartedLayer();
    // Longer than any fixed name field: each ask must find the first load.
    const std::string longFile = "audio/a-forty-character-sample-name-xx.ogg";
    const std::string twinFile = "audio/a-forty-character-sample-name-yy.ogg";
    const std::string longName = SampleFile(longFile);
    const std::string twin = SampleFile(twinFile);

    SampleEntry* entry = layer->GetSample(longName.c_str(), 1, 0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->mName, longName);
    EXPECT_EQ(layer->GetSample(longName.c_str(), 1, 0), entry);
    EXPECT_EQ(layer->FindSample(longName.c_str()), entry);
    SampleEntry* other = layer->GetSample(twin.c_str(), 0, 0);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, entry);
    // The file's bytes reach the library whole, looping only when asked.
    EXPECT_EQ(bass.calls, (Calls{"SampleLoad 1 " + longFile + " 0 42 32 4", "SampleLoad 1 " + twinFile + " 0 42 32 0"}));

    // Asked again with other flags: the flags change, nothing is reloaded.
    bass.calls.clear();
    EXPECT_EQ(layer->GetSample(longName.c_str(), 0, 1), entry);
    EXPECT_EQ(entry->mLoop, 0);
    EXPECT_EQ(entry->mMusic, 1);
    EXPECT_EQ(bass.calls, Calls());
    // Names are matched exactly.
    EXPECT_EQ(layer->FindSample((longName + " ").c_str()), nullptr);
    EXPECT_EQ(layer->SampleCount(), 2u);
}

TEST_F(BassSoundLayerTest, FailedLoadsLeaveNoEntry)
{
    auto layer = StartedLayer();
    EXPECT_EQ(layer->GetSample(folder.Join("missing.ogg").c_str(), 0, 0), nullptr);
    EXPECT_EQ(bass.calls, Calls());
    const std::string path = SampleFile("broken.ogg");
    bass.loadFails = true;
    EXPECT_EQ(layer->GetSample(path.c_str(), 0, 0), nullptr);
    EXPECT_EQ(layer->FindSample(path.c_str()), nullptr);
    EXPECT_EQ(layer->SampleCount(), 0u);
    // Once the library takes it, it loads.
    bass.loadFails = false;
    EXPECT_NE(layer->GetSample(path.c_str(), 0, 0), nullptr);
    EXPECT_EQ(layer->SampleCount(), 1u);
}

TEST_F(BassSoundLayerTest, PlaysAtTheSoundVolumeAndStartsMusicSilent)
{
    auto layer = StartedLayer();
    layer->SetVolumes(70.0f, 30.0f);
    SampleEntry* click = layer->GetSample(SampleFile("click.ogg").c_str(), 0, 0);
    SampleEntry* song = layer->GetSample(SampleFile("song.ogg").c_str(), 1, 1);
    ASSERT_NE(click, nullptr);
    ASSERT_NE(song, nullptr);
    bass.calls.clear();

    layer->PlaySample(click, 45000);
    EXPECT_EQ(layer->GetSampleChannel(click), 100);
    layer->PlaySample(song, kDefaultSampleRate);
    EXPECT_EQ(layer->GetSampleChannel(song), 101);
    // A rate the library would refuse (and the volume with it) plays at the
    // sample's own.
    layer->PlaySample(click, 50);
    EXPECT_EQ(bass.calls, (Calls{"GetChannel 1 0", "Attributes 100 45000 30 0", "Play 100 1",  //
                                 "GetChannel 2 0", "Attributes 101 -1 0 0", "Play 101 1",       //
                                 "GetChannel 1 0", "Attributes 102 -1 30 0", "Play 102 1"}));
}

TEST_F(BassSoundLayerTest, AtMostTwelvePlaysStartInAnyTwoHundredMilliseconds)
{
    // From a clock at 0 (a fresh or simulated one) as from any other time,
    // and across the clock's wrap.
    for (const uint32_t start : {100000u, 0u, 0xFFFFFF80u}) {
        SCOPED_TRACE(start);
        bass = RecordedBass();
        SimulatedClock clock(start);
        auto layer = StartedLayer();
        SampleEntry* entry = layer->GetSample(SampleFile("pop.ogg").c_str(), 0, 0);
        ASSERT_NE(entry, nullptr);
        auto plays = [&] {
            int count = 0;
            for (const std::string& call : bass.calls)
                count += call.rfind("Play ", 0) == 0 ? 1 : 0;
            return count;
        };

        // Thirteen plays within 48 ms: the thirteenth is dropped.
        for (int i = 0; i < 13; ++i) {
            layer->PlaySample(entry, kDefaultSampleRate);
            if (i < 12)
                clock.Advance(4);
        }
        EXPECT_EQ(plays(), 12);
        EXPECT_EQ(entry->mChannel, 111);
        // 200 ms after the first is still inside its window; 201 ms is not.
        clock.Advance(200 - 48);
        layer->PlaySample(entry, kDefaultSampleRate);
        EXPECT_EQ(plays(), 12);
        clock.Advance(1);
        layer->PlaySample(entry, kDefaultSampleRate);
        EXPECT_EQ(plays(), 13);
        // The second start (4 ms after the first) still holds its slot.
        layer->PlaySample(entry, kDefaultSampleRate);
        EXPECT_EQ(plays(), 13);
        clock.Advance(4);
        layer->PlaySample(entry, kDefaultSampleRate);
        EXPECT_EQ(plays(), 14);
    }
}

TEST_F(BassSoundLayerTest, ChannelVolumesArePercentsOfTheGameVolumesAndClamped)
{
    struct Case {
        const char* what;
        int music;       // the entry's music flag
        float percent;
        int volume;      // expected library volume; -1: the channel is stopped
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"zero keeps it playing at 0", 0, 0.0f, 0},
        {"half of the sound volume 55", 0, 50.0f, 27},
        {"fraction dropped first", 0, 99.9f, 54},
        {"over 100 percent", 0, 150.0f, 82},
        {"far over", 0, 1e30f, 100},
        {"NaN is silence", 0, nan, 0},
        {"music uses the music volume 80", 1, 50.0f, 40},
        {"music over the top", 1, 150.0f, 100},
        {"below zero stops", 0, -1.0f, -1},
        {"just below zero stops", 1, -0.5f, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bass = RecordedBass();
        auto layer = StartedLayer();
        layer->SetVolumes(80.0f, 55.0f);
        SampleEntry* entry = layer->GetSample(SampleFile("voice.ogg").c_str(), 0, c.music);
        ASSERT_NE(entry, nullptr);
        layer->PlaySample(entry, kDefaultSampleRate);
        bass.calls.clear();

        layer->SetChannelVolume(entry, c.percent);
        const std::string expected = c.volume < 0 ? "Stop 100" : "Attributes 100 -1 " + std::to_string(c.volume) + " -101";
        EXPECT_EQ(bass.calls, Calls{expected});
        EXPECT_EQ(bass.active[100], c.volume < 0 ? Plat::kBassActiveStopped : Plat::kBassActivePlaying);
    }
}

TEST_F(BassSoundLayerTest, ChannelsThatStoppedAreLeftAlone)
{
    auto layer = StartedLayer();
    SampleEntry* entry = layer->GetSample(SampleFile("voice.ogg").c_str(), 0, 0);
    ASSERT_NE(entry, nullptr);
    layer->SetChannelVolume(entry, 50.0f); // never played
    layer->PlaySample(entry, kDefaultSampleRate);
    bass.active[100] = Plat::kBassActiveStopped;
    bass.calls.clear();
    layer->SetChannelVolume(entry, 50.0f);
    layer->SetChannelVolume(entry, -1.0f);
    EXPECT_EQ(bass.calls, Calls());
}

TEST_F(BassSoundLayerTest, GameVolumesAreClampedAndMinusOneKeepsOne)
{
    struct Case {
        float music, sound;
        int musicAfter, soundAfter;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {70.9f, 20.2f, 70, 20},  {150.0f, -20.0f, 100, 0}, {-1.0f, 30.0f, 50, 30},
        {10.0f, -1.0f, 10, 55},  {nan, 1e9f, 0, 100},      {-1.5f, -0.5f, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.music << " " << c.sound);
        auto layer = StartedLayer();
        layer->SetVolumes(c.music, c.sound);
        EXPECT_EQ(layer->GetMusicVolume(), c.musicAfter);
        EXPECT_EQ(layer->GetSoundVolume(), c.soundAfter);
    }
    // Playing channels keep their volume.
    EXPECT_EQ(bass.calls, Calls());
}

TEST_F(BassSoundLayerTest, PausesResumesAndFreesEverything)
{
    auto layer = StartedLayer();
    layer->PauseSound();
    layer->ResumeSound();
    EXPECT_EQ(bass.calls, (Calls{"Pause", "Start"}));

    SampleEntry* first = layer->GetSample(SampleFile("a.ogg").c_str(), 0, 0);
    SampleEntry* second = layer->GetSample(SampleFile("b.ogg").c_str(), 0, 0);
    layer->GetSample(SampleFile("c.ogg").c_str(), 0, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const std::string song = SampleFile("song.mod");
    MusicEntry* music = layer->GetMusic(song.c_str());
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(layer->GetMusic(song.c_str()), music);
    EXPECT_EQ(layer->GetMusic(folder.Join("none.mod").c_str()), nullptr);
    EXPECT_EQ(layer->MusicCount(), 1u);
    bass.calls.clear();

    layer->PauseMusic(music);
    layer->PauseMusic(music);
    EXPECT_EQ(music->mPaused, 1);
    SampleEntry stranger;
    layer->FreeSample(&stranger);
    layer->FreeSample(second);
    EXPECT_EQ(layer->FindSample(folder.Join("b.ogg").c_str()), nullptr);
    EXPECT_EQ(layer->FindSample(folder.Join("a.ogg").c_str()), first);
    layer->FreeAllSamples();
    layer->FreeAllMusic();
    EXPECT_EQ(layer->SampleCount(), 0u);
    EXPECT_EQ(layer->MusicCount(), 0u);
    EXPECT_EQ(bass.calls, (Calls{"ChannelPause 500", "SampleFree 2", "SampleFree 1", "SampleFree 3", "MusicFree 500"}));

    // Gone from the cache, a name loads again.
    EXPECT_NE(layer->GetSample(folder.Join("a.ogg").c_str(), 0, 0), nullptr);
}

TEST_F(BassSoundLayerTest, MusicLoadsLoopingWithRamps)
{
    auto layer = StartedLayer();
    ASSERT_NE(layer->GetMusic(SampleFile("song.mod").c_str()), nullptr);
    EXPECT_EQ(bass.calls, Calls{"MusicLoad 1 song.mod 0 8 0x204 0"});
    bass.loadFails = true;
    EXPECT_EQ(layer->GetMusic(SampleFile("bad.mod").c_str()), nullptr);
    EXPECT_EQ(layer->MusicCount(), 1u);
}

TEST_F(BassSoundLayerTest, TheGameStateTakesTheLayerAndFallsBackToSilence)
{
    GameState game;
    auto layer = StartedLayer();
    game.SetSound(layer.get());
    EXPECT_EQ(Game().mSound, layer.get());
    EXPECT_TRUE(Game().mSound->IsSoundOn());
    game.SetSound(nullptr);
    ASSERT_NE(Game().mSound, nullptr);
    EXPECT_FALSE(Game().mSound->IsSoundOn());
}

} // namespace
