// Our own FMOD library over the offline sound card: its export table,
// samples loaded, allocated, locked and played on numbered channels (with
// loop points), streams, tracker songs read through the program's file
// callbacks, and handles that are stale or out of range.
#include "platform/audio/FModAudio.h"
#include "platform/audio/FModLibrary.h"
#include "support/DecoderFixtures.h"
#include "support/SoundFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace {

template <typename T>
T Fn(const char* decorated)
{
    return reinterpret_cast<T>(Plat::FModAudioLibrary().Find(decorated));
}

// The library's functions, fetched by name as a program would.
struct Api {
    Plat::FSOUND_Init_t init = Fn<Plat::FSOUND_Init_t>("_FSOUND_Init@12");
    Plat::FSOUND_Close_t close = Fn<Plat::FSOUND_Close_t>("_FSOUND_Close@0");
    Plat::FSOUND_Sample_Load_t load = Fn<Plat::FSOUND_Sample_Load_t>("_FSOUND_Sample_Load@16");
    Plat::FSOUND_Sample_Alloc_t alloc = Fn<Plat::FSOUND_Sample_Alloc_t>("_FSOUND_Sample_Alloc@28");
    Plat::FSOUND_Sample_Free_t free = Fn<Plat::FSOUND_Sample_Free_t>("_FSOUND_Sample_Free@4");
    Plat::FSOUND_Sample_Lock_t lock = Fn<Plat::FSOUND_Sample_Lock_t>("_FSOUND_Sample_Lock@28");
    Plat::FSOUND_Sample_Unlock_t unlock = Fn<Plat::FSOUND_Sample_Unlock_t>("_FSOUND_Sample_Unlock@20");
    Plat::FSOUND_Sample_SetLoopPoints_t loopPoints =
        Fn<Plat::FSOUND_Sample_SetLoopPoints_t>("_FSOUND_Sample_SetLoopPoints@12");
    Plat::FSOUND_Sample_GetLength_t length = Fn<Plat::FSOUND_Sample_GetLength_t>("_FSOUND_Sample_GetLength@4");
    Plat::FSOUND_Sample_GetDefaults_t defaults =
        Fn<Plat::FSOUND_Sample_GetDefaults_t>("_FSOUND_Sample_GetDefaults@20");
    Plat::FSOUND_Sample_GetMode_t mode = Fn<Plat::FSOUND_Sample_GetMode_t>("_FSOUND_Sample_GetMode@4");
    Plat::FSOUND_PlaySound_t play = Fn<Plat::FSOUND_PlaySound_t>("_FSOUND_PlaySound@8");
    Plat::FSOUND_Channel_t stop = Fn<Plat::FSOUND_Channel_t>("_FSOUND_StopSound@4");
    Plat::FSOUND_SetVolume_t volume = Fn<Plat::FSOUND_SetVolume_t>("_FSOUND_SetVolume@8");
    Plat::FSOUND_SetPaused_t paused = Fn<Plat::FSOUND_SetPaused_t>("_FSOUND_SetPaused@8");
    Plat::FSOUND_SetLoopMode_t loopMode = Fn<Plat::FSOUND_SetLoopMode_t>("_FSOUND_SetLoopMode@8");
    Plat::FSOUND_Channel_t isPlaying = Fn<Plat::FSOUND_Channel_t>("_FSOUND_IsPlaying@4");
    Plat::FSOUND_Stream_OpenFile_t streamOpen = Fn<Plat::FSOUND_Stream_OpenFile_t>("_FSOUND_Stream_OpenFile@12");
    Plat::FSOUND_Stream_Close_t streamClose = Fn<Plat::FSOUND_Stream_Close_t>("_FSOUND_Stream_Close@4");
    Plat::FSOUND_Stream_Play_t streamPlay = Fn<Plat::FSOUND_Stream_Play_t>("_FSOUND_Stream_Play@8");
    Plat::FMUSIC_LoadSong_t loadSong = Fn<Plat::FMUSIC_LoadSong_t>("_FMUSIC_LoadSong@4");
    Plat::FMUSIC_Module_t playSong = Fn<Plat::FMUSIC_Module_t>("_FMUSIC_PlaySong@4");
    Plat::FMUSIC_Module_t stopSong = Fn<Plat::FMUSIC_Module_t>("_FMUSIC_StopSong@4");
    Plat::FMUSIC_Module_t songPlaying = Fn<Plat::FMUSIC_Module_t>("_FMUSIC_IsPlaying@4");
    Plat::FMUSIC_Module_t freeSong = Fn<Plat::FMUSIC_Module_t>("_FMUSIC_FreeSong@4");
    Plat::FMUSIC_ModuleValue_t songVolume = Fn<Plat::FMUSIC_ModuleValue_t>("_FMUSIC_SetMasterVolume@8");
    Plat::FSOUND_File_SetCallbacks_t callbacks =
        Fn<Plat::FSOUND_File_SetCallbacks_t>("_FSOUND_File_SetCallbacks@20");
};

// 16-bit mono frames as sample bytes.
std::vector<uint8_t> Frames(std::initializer_list<int16_t> values)
{
    return LumoTest::SampleBytes(values);
}

// The largest absolute value over the rendered stereo samples.
int Peak(const std::vector<int16_t>& stereo)
{
    int peak = 0;
    for (int16_t value : stereo)
        peak = std::max(peak, std::abs(int(value)));
    return peak;
}

// Files served by the program's callbacks instead of the disk.
std::map<std::string, std::vector<uint8_t>> gServed;
struct ServedFile {
    const std::vector<uint8_t>* bytes;
    long position;
};
void* ServedOpen(const char* name)
{
    const auto it = gServed.find(name);
    return it != gServed.end() ? new ServedFile{&it->second, 0} : nullptr;
}
void ServedClose(void* handle) { delete static_cast<ServedFile*>(handle); }
int ServedRead(void* buffer, int size, void* handle)
{
    ServedFile& file = *static_cast<ServedFile*>(handle);
    const long count = std::min<long>(size, long(file.bytes->size()) - file.position);
    std::memcpy(buffer, file.bytes->data() + file.position, size_t(count));
    file.position += count;
    return int(count);
}
int ServedSeek(void* handle, int position, signed char mode)
{
    ServedFile& file = *static_cast<ServedFile*>(handle);
    file.position = mode == SEEK_END ? long(file.bytes->size()) + position : position;
    return 0;
}
int ServedTell(void* handle) { return int(static_cast<ServedFile*>(handle)->position); }

class FModAudioTest : public testing::Test {
protected:
    void TearDown() override
    {
        api.callbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
        api.close();
        gServed.clear();
    }

    Api api;
    LumoTest::OfflineSound sound;
    TempFolder temp;
};

TEST_F(FModAudioTest, ExportsEveryFunctionUnderItsDecoratedName)
{
    EXPECT_EQ(Plat::LoadFModLibrary("fmod.dll"), &Plat::FModAudioLibrary());
    for (const Plat::FModExport& entry : Plat::kFModExports)
        EXPECT_NE(Plat::FModAudioLibrary().Find(entry.decorated), nullptr) << entry.decorated;
    EXPECT_EQ(Plat::FModAudioLibrary().Find("FSOUND_Init"), nullptr); // undecorated names are not exported
    EXPECT_STREQ(Plat::kFModExports[0].decorated, "_FSOUND_SetBufferSize@4");
    EXPECT_STREQ(Plat::kFModExports[29].decorated, "_FMUSIC_IsPlaying@4");
}

TEST_F(FModAudioTest, LoadedSampleDescribesItselfAndPlaysOnItsChannel)
{
    // 16384 is half of full scale, in every frame.
    const std::vector<int16_t> half(4410, 16384);
    const std::string path = temp.Write(
        "tone.wav", LumoTest::MakePcmWav(1, 44100, 16, LumoTest::SampleBytes(half)));
    Plat::FSoundSample* sample = api.load(-1, path.c_str(), 0, 0);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(api.length(sample), 4410u);
    EXPECT_EQ(api.mode(sample), Plat::kFSound16Bits | Plat::kFSoundMono | Plat::kFSoundLoopOff);
    int rate = 0;
    int volume = 0;
    int pan = 0;
    EXPECT_EQ(api.defaults(sample, &rate, &volume, &pan, nullptr), 1);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(volume, 255);
    EXPECT_EQ(pan, 128);

    EXPECT_EQ(api.play(3, sample), -1); // not started yet
    ASSERT_EQ(api.init(44100, 8, 0), 1);
    EXPECT_EQ(api.play(3, sample), 3);
    EXPECT_EQ(api.isPlaying(3), 1);
    EXPECT_EQ(api.isPlaying(2), 0);
    std::vector<int16_t> out = sound.device.Render(100);
    EXPECT_EQ(out[0], 16384);
    EXPECT_EQ(out[1], 16384);

    struct Case {
        const char* name;
        int volume;
        int16_t expected; // 16384 x volume / 255, rounded
    };
    const Case cases[] = {{"a fifth", 51, 3277}, {"silent", 0, 0}, {"full", 255, 16384}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(api.volume(3, c.volume), 1);
        out = sound.device.Render(10);
        EXPECT_EQ(out[0], c.expected);
        EXPECT_EQ(out[19], c.expected);
    }

    EXPECT_EQ(api.paused(3, 1), 1);
    EXPECT_EQ(Peak(sound.device.Render(100)), 0);
    EXPECT_EQ(api.isPlaying(3), 1); // paused still counts
    EXPECT_EQ(api.paused(3, 0), 1);
    EXPECT_EQ(Peak(sound.device.Render(100)), 16384);
    EXPECT_EQ(api.stop(3), 1);
    EXPECT_EQ(api.isPlaying(3), 0);
    EXPECT_EQ(Peak(sound.device.Render(100)), 0);

    // Channel -1 picks a free one; channels past the count do not exist.
    EXPECT_EQ(api.play(-1, sample), 0);
    EXPECT_EQ(api.play(8, sample), -1);
    EXPECT_EQ(api.volume(8, 10), 0);
}

TEST_F(FModAudioTest, JoinedSamplePlaysIntroOnceThenLoopsTheLoopPart)
{
    ASSERT_EQ(api.init(44100, 4, 0), 1);
    Plat::FSoundSample* sample =
        api.alloc(-1, 6, Plat::kFSound16Bits | Plat::kFSoundMono | Plat::kFSoundLoopNormal, 44100, 255, 128, 0);
    ASSERT_NE(sample, nullptr);
    void* part[2] = {nullptr, nullptr};
    unsigned bytes[2] = {0, 0};
    EXPECT_EQ(api.lock(sample, 0, 13, &part[0], &part[1], &bytes[0], &bytes[1]), 0); // past the end
    ASSERT_EQ(api.lock(sample, 0, 12, &part[0], &part[1], &bytes[0], &bytes[1]), 1);
    ASSERT_EQ(bytes[0], 12u);
    EXPECT_EQ(part[1], nullptr);
    const std::vector<uint8_t> data = Frames({1000, 1000, 2000, 3000, 4000, 5000});
    std::memcpy(part[0], data.data(), data.size());
    EXPECT_EQ(api.unlock(sample, part[0], part[1], bytes[0], bytes[1]), 1);
    // The intro is frames 0-1, the loop part frames 2-5.
    EXPECT_EQ(api.loopPoints(sample, 2, 7), 0);
    EXPECT_EQ(api.loopPoints(sample, 2, 6), 1);

    struct Case {
        const char* name;
        unsigned loopMode;
        std::vector<int16_t> left; // the first 12 frames
        bool playingAfter;
    };
    const Case cases[] = {
        {"looping", Plat::kFSoundLoopNormal,
         {1000, 1000, 2000, 3000, 4000, 5000, 2000, 3000, 4000, 5000, 2000, 3000}, true},
        {"once", Plat::kFSoundLoopOff, {1000, 1000, 2000, 3000, 4000, 5000, 0, 0, 0, 0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(api.play(1, sample), 1);
        EXPECT_EQ(api.loopMode(1, c.loopMode), 1);
        const std::vector<int16_t> out = sound.device.Render(12);
        std::vector<int16_t> left;
        for (size_t i = 0; i < out.size(); i += 2)
            left.push_back(out[i]);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(api.isPlaying(1) != 0, c.playingAfter);
    }
}

TEST_F(FModAudioTest, FreedAndClosedHandlesDoNothing)
{
    ASSERT_EQ(api.init(44100, 4, 0), 1);
    Plat::FSoundSample* sample = api.alloc(-1, 100, Plat::kFSound8Bits | Plat::kFSoundStereo, 8000, 255, 128, 0);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(api.length(sample), 100u);
    ASSERT_EQ(api.play(0, sample), 0);
    api.free(sample);
    EXPECT_EQ(api.isPlaying(0), 0); // freeing stops its channels
    EXPECT_EQ(api.length(sample), 0u);
    EXPECT_EQ(api.play(0, sample), -1);
    api.free(sample);

    Plat::FSoundSample* other = api.alloc(-1, 10, Plat::kFSound16Bits, 8000, 255, 128, 0);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, sample); // handles are not reused
    api.close();
    EXPECT_EQ(api.length(other), 0u);
    EXPECT_EQ(api.play(0, other), -1);
    EXPECT_EQ(api.alloc(-1, 0, Plat::kFSound16Bits, 8000, 255, 128, 0), nullptr);
    EXPECT_EQ(api.load(-1, temp.Join("missing.wav").c_str(), 0, 0), nullptr);
    const std::string junk = temp.Write("junk.wav", std::string("RIFF\x04\0\0\0WAVE", 12));
    EXPECT_EQ(api.load(-1, junk.c_str(), 0, 0), nullptr);
}

TEST_F(FModAudioTest, NoInitWithoutSoundCard)
{
    sound.device.available = false;
    EXPECT_EQ(api.init(44100, 4, 0), 0);
    sound.device.available = true;
    EXPECT_EQ(api.init(44100, 0, 0), 0);
    EXPECT_EQ(api.init(44100, 4, 0), 1);
}

TEST_F(FModAudioTest, SongsAndStreamsReadThroughTheProgramsCallbacks)
{
    gServed["music\\song.mod"] = LumoTest::MakeTestMod();
    gServed["music\\tone.wav"] = LumoTest::MakePcmWav(1, 44100, 16, LumoTest::SampleBytes(std::vector<int16_t>(44100, 8000)));
    EXPECT_EQ(api.callbacks(&ServedOpen, nullptr, nullptr, nullptr, nullptr), 0); // all or none
    ASSERT_EQ(api.callbacks(&ServedOpen, &ServedClose, &ServedRead, &ServedSeek, &ServedTell), 1);
    ASSERT_EQ(api.init(44100, 4, 0), 1);

    Plat::FMusicModule* song = api.loadSong("music\\song.mod");
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(api.loadSong("music\\missing.mod"), nullptr);
    EXPECT_EQ(api.songPlaying(song), 0);
    ASSERT_EQ(api.playSong(song), 1);
    EXPECT_EQ(api.songPlaying(song), 1);
    EXPECT_GT(Peak(sound.device.Render(2000)), 1000);
    EXPECT_EQ(api.songVolume(song, 0), 1);
    EXPECT_EQ(Peak(sound.device.Render(2000)), 0);
    EXPECT_EQ(api.stopSong(song), 1);
    EXPECT_EQ(api.songPlaying(song), 0);

    Plat::FSoundStream* stream = api.streamOpen("music\\tone.wav", 0, 0);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(api.streamPlay(2, stream), 2);
    EXPECT_EQ(api.isPlaying(2), 1);
    const std::vector<int16_t> out = sound.device.Render(1000);
    EXPECT_NEAR(out[1000], 8000, 1); // 8000 of 32768, through the float path
    EXPECT_EQ(api.streamClose(stream), 1);
    EXPECT_EQ(api.isPlaying(2), 0);
    EXPECT_EQ(api.streamClose(stream), 0);
    EXPECT_EQ(api.freeSong(song), 1);
    EXPECT_EQ(api.playSong(song), 0);

    // Without callbacks the files come from the disk again.
    ASSERT_EQ(api.callbacks(nullptr, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(api.loadSong("music\\song.mod"), nullptr);
    const std::vector<uint8_t> mod = LumoTest::MakeTestMod();
    EXPECT_NE(api.loadSong(temp.Write("song.mod", mod).c_str()), nullptr);
}

} // namespace
