// A fresh engine over the committed game data of the source tree: the data
// folder as the working folder, an 800 x 600 screen to draw on, a recording
// sound layer and the messages told while loading. Header-only, so that only
// tests that use it link the engine.
#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/GameState.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/Platform.h"
#include "platform/files/FileSystem.h"
#include "support/FakePlatformHost.h"
#include "support/RecordingSoundLayer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace LumoTest {

// The "data" folder beside "tests" in the source tree.
inline std::string CommittedDataFolder()
{
    const std::string source = __FILE__;
    return source.substr(0, source.rfind("/tests/")) + "/data/";
}

// One line of tests/data/tricks.txt, which the trick generator writes: the
// trick's index (its level number is 1000 + index), the screen x of the
// throw that wins it, and the family it comes from.
struct RecordedTrick {
    int index = 0;
    float x = 0.0f;
    std::string family;
};

inline std::vector<RecordedTrick> ReadRecordedTricks()
{
    std::vector<RecordedTrick> tricks;
    std::ifstream in(CommittedDataFolder() + "../tests/data/tricks.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        RecordedTrick trick;
        std::istringstream(line) >> trick.index >> trick.x >> trick.family;
        tricks.push_back(trick);
    }
    return tricks;
}

class CommittedDataFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Lumo::TriangleRasterizer::InitSpanFunctions();
        mPreviousSink = LoadMessages::SetSink([this](const std::string& message) { mMessages.push_back(message); });
        mScreen.Create(800, 600);
        mScreen.SetImageMode(false, false);
        mGraphics = std::make_unique<Lumo::Graphics>(&mScreen);
        mPlatform.SetGraphics(mGraphics.get());
        ASSERT_TRUE(Plat::GetFileSystem().SetCurrentFolder(CommittedDataFolder()));
    }
    void TearDown() override
    {
        mGame.reset();
        Plat::GetFileSystem().SetCurrentFolder(mPreviousFolder);
        LoadMessages::SetSink(mPreviousSink);
    }

    // A new game state (the old one goes first) drawing on the screen and
    // playing through the recording layer.
    void MakeGame()
    {
        mGame.reset();
        mGame = std::make_unique<GameState>();
        mGame->mPlatform = &mPlatform;
        mGame->mImageCache.SetPlatform(&mPlatform);
        mGame->mSound = &mSound;
    }

    std::string mPreviousFolder = Plat::GetFileSystem().CurrentFolder();
    LoadMessages::Sink mPreviousSink;
    std::vector<std::string> mMessages;
    FakePlatformHost mHost;
    Platform mPlatform{&mHost};
    Lumo::MemoryImage mScreen;
    std::unique_ptr<Lumo::Graphics> mGraphics;
    RecordingSoundLayer mSound;
    std::unique_ptr<GameState> mGame;
};

} // namespace LumoTest
