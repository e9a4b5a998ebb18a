// A played game for gameplay tests: the engine of GameDataFixture with the
// gameplay's hooks installed, the run's gameplay values back at their start,
// a seeded generator, a simulated clock moved 4 ms per tick, and helpers to
// write the game data index with tuning values and to open level files the
// test writes. The player acts through MovePointer / PressKey, as the
// platform input would carry it. Header-only.
#pragma once

#include "game/engine/GameDataLoader.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/StateDigest.h"
#include "game/play/PlayHooks.h"
#include "game/play/PlayState.h"
#include "support/GameDataFixture.h"
#include "support/SimulatedClock.h"

#include <string>
#include <utility>
#include <vector>

namespace LumoTest {

class PlayFixture : public GameDataFixture {
protected:
    static constexpr uint32_t kTickMs = 4;
    static constexpr uint32_t kDefaultSeed = 12345;

    PlayFixture() { InstallPlay(); }
    ~PlayFixture() override
    {
        // The engine's own hooks again before the state goes: ours go first.
        if (mGame)
            mGame->mHooks = &hooks;
        Play().Reset();
    }

    // A fresh game state and fresh gameplay values, seeded.
    void NewPlayGame(uint32_t seed = kDefaultSeed)
    {
        NewGame();
        InstallPlay(seed);
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

    // A key press the game sees at its next tick (down and up again).
    void PressKey(int code)
    {
        mGame->mInput.KeyDown(code);
        mGame->mInput.KeyUp(code);
    }

    PlayerProfile& Profile() { return mGame->mProfiles.Current(); }
    void SetMode(int mode) { Profile().mMode = mode; }

    SimulatedClock clock;
    PlayHooks playHooks;

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
