// A played game for gameplay tests: the engine of GameDataFixture with the
// gameplay's hooks installed, the run's gameplay values back at their start,
// a seeded generator, a simulated clock moved 4 ms per tick, and helpers to
// write the game data index with tuning values and to open level files the
// test writes. The player acts through MovePointer / PressKey, as the
// platform input would carry it. Header-only.
#pragma once

#include "game/engine/BassSoundLayer.h"
#include "game/engine/GameDataLoader.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/StateDigest.h"
#include "game/play/PlayHooks.h"
#include "game/play/PlayState.h"
#include "support/GameDataFixture.h"
#include "support/SimulatedClock.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace LumoTest {

// The sound library as a recording function table: the game's own sound
// layer runs over it (throttle and volumes included) and every start is
// heard by the name of its sample, whose file holds its own name.
class RecordingBass {
public:
    RecordingBass()
    {
        sCurrent = this;
        library = std::make_unique<Plat::BassLibrary>(Plat::BassLibrary({
            {"BASS_Init", P(&Init)},
            {"BASS_ErrorGetCode", P(&ErrorGetCode)},
            {"BASS_Start", P(&Ok)},
            {"BASS_Pause", P(&Ok)},
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
        }));
        layer = std::make_unique<BassSoundLayer>(library.get());
        layer->InitSound(nullptr);
    }
    ~RecordingBass()
    {
        layer.reset();
        sCurrent = nullptr;
    }
    RecordingBass(const RecordingBass&) = delete;
    RecordingBass& operator=(const RecordingBass&) = delete;

    int Plays(const std::string& name) const
    {
        int count = 0;
        for (const std::string& play : plays)
            count += play == name ? 1 : 0;
        return count;
    }

    std::unique_ptr<Plat::BassLibrary> library;
    std::unique_ptr<BassSoundLayer> layer;
    std::vector<std::string> plays;          // sample names, in order
    std::map<uint32_t, int> volumes;         // last volume per channel

private:
    template <typename T>
    static Plat::BassProc P(T function)
    {
        return reinterpret_cast<Plat::BassProc>(function);
    }
    static int Init(int, uint32_t, uint32_t, Plat::Window*, const void*) { return 1; }
    static int ErrorGetCode() { return 0; }
    static int Ok() { return 1; }
    static uint32_t SampleLoad(int, const void* data, uint32_t, uint32_t length, uint32_t, uint32_t)
    {
        const uint32_t sample = sCurrent->mNextSample++;
        sCurrent->mSampleNames[sample] = std::string(static_cast<const char*>(data), length);
        return sample;
    }
    static int SampleFree(uint32_t) { return 1; }
    static uint32_t SampleGetChannel(uint32_t sample, int)
    {
        const uint32_t channel = sCurrent->mNextChannel++;
        sCurrent->mChannelSamples[channel] = sample;
        sCurrent->mActive[channel] = true;
        return channel;
    }
    static int SetAttributes(uint32_t channel, int, int volume, int)
    {
        if (volume >= 0)
            sCurrent->volumes[channel] = volume;
        return 1;
    }
    static int ChannelPlay(uint32_t channel, int)
    {
        sCurrent->plays.push_back(sCurrent->mSampleNames[sCurrent->mChannelSamples[channel]]);
        return 1;
    }
    static uint32_t ChannelIsActive(uint32_t channel)
    {
        return sCurrent->mActive[channel] ? Plat::kBassActivePlaying : Plat::kBassActiveStopped;
    }
    static int ChannelStop(uint32_t channel)
    {
        sCurrent->mActive[channel] = false;
        return 1;
    }
    static int ChannelPause(uint32_t) { return 1; }
    static uint32_t MusicLoad(int, const void*, uint32_t, uint32_t, uint32_t, uint32_t) { return 0; }
    static void MusicFree(uint32_t) {}

    static inline RecordingBass* sCurrent = nullptr;
    uint32_t mNextSample = 1;
    uint32_t mNextChannel = 100;
    std::map<uint32_t, std::string> mSampleNames;
    std::map<uint32_t, uint32_t> mChannelSamples;
    std::map<uint32_t, bool> mActive;
};

class PlayFixture : public GameDataFixture {
protected:
    static constexpr uint32_t kTickMs = 4;
    static constexpr uint32_t kDefaultSeed = 12345;

    PlayFixture() { InstallPlay(); }
    ~PlayFixture() override
    {
        // The engine's own hooks and sound again before the state goes: ours go first.
        if (mGame) {
            // Screens let go of their samples while the layer that owns them lives.
            if (bass)
                mGame->mLiveObjects.RemoveAll();
            mGame->mHooks = &hooks;
            mGame->mSound = &sound;
        }
        Play().Reset();
    }

    // A fresh game state and fresh gameplay values, seeded.
    void NewPlayGame(uint32_t seed = kDefaultSeed)
    {
        NewGame();
        InstallPlay(seed);
        if (bass)
            mGame->mSound = bass->layer.get();
    }

    // From now on the game's own sound layer plays through a recording
    // sound library (bass->Plays(name) counts what was heard, after the
    // layer's throttle). Writes a sample file for each name; a name without
    // a file is not heard, as in the game. Call it before opening screens:
    // screens already open are closed.
    void HearThroughBass(const std::vector<std::string>& sampleNames)
    {
        mGame->mLiveObjects.RemoveAll();
        for (const std::string& name : sampleNames) {
            std::string path = name;
            for (char& c : path)
                c = c == '\\' ? '/' : c;
            mFolder.Write(path, name);
        }
        mGame->mSound = &sound;
        bass.reset();
        bass = std::make_unique<RecordingBass>();
        mGame->mSound = bass->layer.get();
    }

    void SeedRandom(uint32_t seed) { mGame->mRandom.SeedRandom(seed); }

    // Writes "config.xml" with one "global" element per tuning pair (in
    // order), a bare "main_menu" screen and the given level files
    // ("levels\\x.xml" names), and reads it as the game does at start.
    void LoadConfig(const std::vector<std::pair<std::string, std::string>>& tuning,
                    const std::vector<std::string>& levelFiles = {})
    {
        std::vector<std::string> elements;
        for (const auto& [key, value] : tuning)
            elements.push_back(key + "=\"" + value + "\"");
        LoadConfigElements(elements, levelFiles);
    }
    // The same with each "global" element's attributes written out whole.
    void LoadConfigElements(const std::vector<std::string>& globalAttributes,
                            const std::vector<std::string>& levelFiles = {})
    {
        mFolder.Write("levels/fixture_menu.xml", "<object type=\"level\" name=\"main_menu\">\n"
                                                 "<stage name=\"idle\" ms=\"100000000\">\n</object>\n");
        std::string config = "<game>\n";
        for (const std::string& attributes : globalAttributes)
            config += "<global " + attributes + ">\n";
        config += "<level_file name=\"levels\\fixture_menu.xml\">\n";
        for (const std::string& file : levelFiles)
            config += "<level_file_game name=\"" + file + "\">\n";
        config += "</game>\n";
        mFolder.Write("config.xml", config);
        LoadGameData("config.xml");
    }

    // Writes a level file (path with '/' as the disk has it) and opens it as
    // the new topmost screen; the opened level, or null.
    Level* OpenLevel(const std::string& file, const std::string& xml)
    {
        mFolder.Write(file, xml);
        std::string gamePath = file;
        for (char& c : gamePath)
            c = c == '/' ? '\\' : c;
        LoadObjectFromFile(gamePath.c_str(), nullptr);
        return Topmost();
    }

    // One game tick, 4 ms of simulated time.
    void Tick()
    {
        clock.Advance(kTickMs);
        UpdateLiveObjects(*mGame);
    }
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            Tick();
    }
    // Runs the ticks and gives the digest after each.
    std::vector<uint64_t> DigestsOver(int count)
    {
        std::vector<uint64_t> digests;
        digests.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            Tick();
            digests.push_back(StateDigest(*mGame));
        }
        return digests;
    }
    uint64_t Digest() const { return StateDigest(*mGame); }

    PlayerProfile& Profile() { return mGame->mProfiles.Current(); }
    void SetMode(int mode) { Profile().mMode = mode; }

    SimulatedClock clock;
    PlayHooks playHooks;
    std::unique_ptr<RecordingBass> bass;

private:
    void InstallPlay(uint32_t seed = kDefaultSeed)
    {
        Play().Reset();
        mGame->mHooks = &playHooks;
        mGame->mRandom.SeedRandom(seed);
    }
};

} // namespace LumoTest

using LumoTest::PlayFixture;
